#pragma once
// The editor on the Mac windowing services: a Cocoa view that shows the canvas, a timer that asks
// for redraws of what changed, events turned into editor calls, and pictures from the bundle.
#include <CoreGraphics/CoreGraphics.h>

#include "base/heap_buf.h"
#include "gui/igraphics.h"

class NSView;
class NSWindow;

class IGraphicsMac : public IGraphics {
 public:
  IGraphicsMac(IFxBase* pPlug, int w, int h, int fps = 0);
  ~IGraphicsMac() override;

  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* GetBundleID() const { return mBundleID.Get(); }
  // Pictures are then read from files under this directory (their names are paths relative to it)
  // instead of the bundle's resources: for editors whose plug-in comes in a plain folder.
  void SetPictureDirectory(const char* directory) { mPictureDirectory.Set(directory); }

  bool DrawScreen(IRECT* pR) override;
  // Measures inside its own autorelease pool: text objects the measuring makes go with it.
  bool MeasureIText(IText* pTxt, const char* str, IRECT* pR) override;
  // Closes an open text field without applying what was typed, and an open menu without a choice.
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mView != nullptr; }
  const char* GetGUIAPI() override { return "Cocoa GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  // Both need an open view: without one no menu shows (null) and no field opens.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) override;
  // Returns at once: the display drives the menu and the view hands the choice on.
  void PopUpMenu(std::unique_ptr<IPopupMenu> pMenu, IRECT* pAreaRect, MenuChoice onChosen) override;
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam) override;
  void HostPath(BRM_String* pPath) override;
  void PluginPath(BRM_String* pPath) override;
  void DesktopPath(BRM_String* pPath) override;
  void AppSupportPath(BRM_String* pPath, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(BRM_String* pPath) override;
  void PromptForFile(BRM_String* pFilename, EFileAction action = kFileOpen, BRM_String* pDir = nullptr,
                     const char* extensions = "") override;
  bool PromptForColor(IColor*, const char* = "") override { return false; }
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  using IGraphics::OpenWindow;
  // Closes any open view and returns a new one (the caller's reference), added to pParentView
  // when one is given.
  void* OpenWindow(void* pParentView) override;
  // pHostWindow is the host's NSWindow: the editor is shown in a borderless child window over it.
  void AttachSubWindow(void* pHostWindow) override;
  void RemoveSubWindow() override;
  void CloseWindow() override;
  void* GetWindow() override { return mView; }
  bool GetTextFromClipboard(BRM_String* pStr) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  RAST_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The system version as 0xMMmb; 0 when it cannot be had.
  static int GetUserOSVersion();
  // A PNG resource of the bundle, found by the name's base (directories and extension dropped);
  // null for names that are not PNG, a missing bundle or a missing resource.
  static RAST_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* name);

 private:
  void MakeColorSpace();

  // The editor's own reference to the open view, dropped when the view closes. Its class is named
  // per plug-in (gui/mac/cocoa_class_names.h), so only the sources built per plug-in know it.
  NSView* mView = nullptr;
  BRM_String mBundleID;
  BRM_String mPictureDirectory;
  CGColorSpaceRef mColorSpace = nullptr;
  BRM_HeapBuf mDoubleBuffer{4096};
  NSWindow* mHostWindow = nullptr;
};

// The editor for a plug-in on any binding, finding its pictures in the bundle of the plug-in it is
// built into (korv_add_gui_mac's BUNDLE_ID).
IGraphicsMac* MakeGraphics(IFxBase* pPlug, int w, int h, int fps = 0);
