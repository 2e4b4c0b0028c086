#pragma once
// A small plug-in and an editor without a window for the editor tests: the plug-in records what
// the editor tells the host, the editor makes its pictures in memory and records what it would
// have shown or asked.
#include <cstdio>
#include <string>
#include <vector>

#include "framework/fx_base.h"
#include "gui/igraphics.h"
#include "gui/ipopup_menu.h"
#include "raster/rast_bitmap.h"

namespace gui_test {

enum { kDry = 0, kWet, kOut, kMode, kBypass, kNumParams };

// What the host heard, in order: 'B'egin gesture, 'I'nformed of a value, 'E'nd gesture.
struct HostEvent {
  char kind;
  int paramIdx;
  double value;
};

class GuiTestPlug : public IFxBase {
 public:
  // Dry and Wet are in the first group, the others in the second.
  explicit GuiTestPlug(const char* mixGroup = "", const char* levelGroup = "")
      : IFxBase(kNumParams, "1-1", 0, "GuiTest", "GuiTest", "BrightmoorAudio", 0x10000, 0x47756954, 0x42726D41, 0,
                false, true, false, kAPIAU) {
    GetParam(kDry)->InitDouble("Dry", 0.0, 0.0, 1.0, 0.01, "", mixGroup);
    GetParam(kWet)->InitDouble("Wet", 1.0, 0.0, 1.0, 0.01, "", mixGroup);
    GetParam(kOut)->InitDouble("Out", 0.0, -15.0, 15.0, 0.001, "dB", levelGroup);
    GetParam(kMode)->InitEnum("Mode", 1, 3, "", levelGroup);
    GetParam(kMode)->SetDisplayText(0, "Soft");
    GetParam(kMode)->SetDisplayText(1, "Warm");
    GetParam(kMode)->SetDisplayText(2, "Hard");
    GetParam(kBypass)->InitBool("Bypass", false, "", levelGroup);
  }

  void BeginInformHostOfParamChange(int idx) override { mEvents.push_back({'B', idx, 0.0}); }
  void InformHostOfParamChange(int idx, double value) override { mEvents.push_back({'I', idx, value}); }
  void EndInformHostOfParamChange(int idx) override { mEvents.push_back({'E', idx, 0.0}); }
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = *pDenom = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int w, int h) override { mResizedTo = {w, h}; }
  bool SendMidiMsg(IMidiMsg*) override { return false; }

  std::string EventKinds() const {
    std::string s;
    for (const HostEvent& e : mEvents) s += e.kind;
    return s;
  }

  std::vector<HostEvent> mEvents;
  std::vector<int> mResizedTo;
};

// Picture names are "WxH" (with any extension): the picture's row r, column c holds the pixel
// PixelAt(c, r), so the source position of every copied pixel can be read back. Other names fail.
inline RAST_pixel PixelAt(int c, int r) { return RAST_RGBA(r & 0xff, (r >> 8) & 0xff, c & 0xff, 255); }

class TestGraphics : public IGraphics {
 public:
  TestGraphics(IFxBase* pPlug, int w, int h, int fps = 0) : IGraphics(pPlug, w, h, fps) {}
  using IGraphics::OpenWindow;

  bool DrawScreen(IRECT* pR) override {
    mScreenAreas.push_back(*pR);
    return true;
  }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 1; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) override {
    mMenuTexts.clear();
    mMenuChecked.clear();
    for (int i = 0; i < pMenu->GetNItems(); ++i) {
      mMenuTexts.push_back(pMenu->GetItemText(i));
      mMenuChecked.push_back(pMenu->IsItemChecked(i));
    }
    mMenuArea = *pAreaRect;
    if (mMenuChoice < 0) return nullptr;
    pMenu->SetChosenItemIdx(mMenuChoice);
    return pMenu;
  }
  void CreateTextEntry(IControl* pControl, IText*, IRECT* pTextRect, const char* str, IParam* pParam) override {
    mEntryControl = pControl;
    mEntryParam = pParam;
    mEntryText = str;
    mEntryArea = *pTextRect;
  }
  void HostPath(BRM_String*) override {}
  void PluginPath(BRM_String*) override {}
  void DesktopPath(BRM_String*) override {}
  void AppSupportPath(BRM_String*, bool) override {}
  void SandboxSafeAppSupportPath(BRM_String*) override {}
  void PromptForFile(BRM_String* pFilename, EFileAction, BRM_String*, const char*) override {
    mFilePrompts++;
    pFilename->Set(mFileToChoose.c_str());
  }
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char*, const char*, const char*) override {
    mOpenedURLs.push_back(url);
    return mOpenURLResult;
  }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  bool GetTextFromClipboard(BRM_String*) override { return false; }
  void UpdateTooltips() override {}
  RAST_IBitmap* OSLoadBitmap(int, const char* name) override {
    mLoads++;
    int w = 0, h = 0;
    if (!name || std::sscanf(name, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) return nullptr;
    RAST_MemBitmap* pBitmap = new RAST_MemBitmap(w, h, 4);
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c) pBitmap->getBits()[r * pBitmap->getRowSpan() + c] = PixelAt(c, r);
    return pBitmap;
  }

  RAST_pixel CanvasPixel(int x, int y) { return GetBits()[y * GetCanvas()->getRowSpan() + x]; }
  // Draws whatever is dirty, as the platform's timer and redraw would; false when nothing was.
  bool Tick() {
    IRECT r;
    if (!IsDirty(&r)) return false;
    Draw(&r);
    return true;
  }

  std::vector<IRECT> mScreenAreas;
  int mLoads = 0;
  int mMenuChoice = -1;
  std::vector<std::string> mMenuTexts;
  std::vector<bool> mMenuChecked;
  IRECT mMenuArea;
  IControl* mEntryControl = nullptr;
  IParam* mEntryParam = nullptr;
  std::string mEntryText;
  IRECT mEntryArea;
  std::vector<std::string> mOpenedURLs;
  bool mOpenURLResult = true;
  int mFilePrompts = 0;
  std::string mFileToChoose = "/tmp/impulse.wav";
};

// Picture ids are process-wide cache keys: every test asks for fresh ones.
inline int FreshBitmapId() {
  static int s_nextId = 5000;
  return s_nextId++;
}

inline std::string PictureName(int w, int h) { return std::to_string(w) + "x" + std::to_string(h) + ".png"; }

}  // namespace gui_test
