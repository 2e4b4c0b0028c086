#pragma once
// An editor without a window: it draws into its canvas and nothing more, for pictures of panels.
// Its pictures come from a loader function by resource id.
#include <functional>

#include "gui/igraphics.h"

class OffscreenGraphics : public IGraphics {
 public:
  using Loader = std::function<RAST_IBitmap*(int id)>;
  OffscreenGraphics(IFxBase* pPlug, int w, int h, Loader loader) : IGraphics(pPlug, w, h), mLoader(std::move(loader)) {}
  using IGraphics::OpenWindow;

  bool DrawScreen(IRECT*) override { return true; }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu*, IRECT*) override { return nullptr; }
  void CreateTextEntry(IControl*, IText*, IRECT*, const char*, IParam*) override {}
  void HostPath(BRM_String*) override {}
  void PluginPath(BRM_String*) override {}
  void DesktopPath(BRM_String*) override {}
  void AppSupportPath(BRM_String*, bool) override {}
  void SandboxSafeAppSupportPath(BRM_String*) override {}
  void PromptForFile(BRM_String*, EFileAction, BRM_String*, const char*) override {}
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  bool GetTextFromClipboard(BRM_String*) override { return false; }
  void UpdateTooltips() override {}
  RAST_IBitmap* OSLoadBitmap(int id, const char*) override { return mLoader ? mLoader(id) : nullptr; }

 private:
  Loader mLoader;
};
