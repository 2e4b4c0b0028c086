// The LV2 X11 UI: the editor over a parameter model of its own, embedded in the host's window.
#include "lv2/lv2_x11_ui.h"

#include <korval_platform/x11_display.h>

#include <cstdio>
#include <cstring>

#include "gui/mac/igraphics_mac.h"

namespace {

// Every binding's plug-in shows its own front panel as editor layout 0.
constexpr int kOwnEditorLayout = 0;

// The X display is the process's: every editor of this module shares one, opened by the first and
// closed with the last. Hosts call UIs on one thread.
std::unique_ptr<korv_appkit::X11Display> s_display;
int s_displayUsers = 0;

korv_appkit::X11Display* AcquireDisplay() {
  if (!s_display) s_display = std::make_unique<korv_appkit::X11Display>();
  if (!s_display->isOpen()) {
    s_display.reset();
    return nullptr;
  }
  ++s_displayUsers;
  return s_display.get();
}

void ReleaseDisplay() {
  if (--s_displayUsers == 0) s_display.reset();
}

void Refuse(const char* reason) { std::fprintf(stderr, "LV2 editor not opened: %s\n", reason); }

}  // namespace

LV2X11UI::LV2X11UI(const char* bundlePath, LV2UI_Write_Function write, LV2UI_Controller controller)
    : mBundlePath(bundlePath), mWrite(write), mController(controller) {}

LV2X11UI* LV2X11UI::Create(const char* bundlePath, LV2UI_Write_Function write, LV2UI_Controller controller,
                           const LV2_Feature* const* features, LV2UI_Widget* pWidget) {
  unsigned long parent = 0;
  const LV2UI_Touch* pTouch = nullptr;
  const LV2UI_Resize* pResize = nullptr;
  for (const LV2_Feature* const* f = features; f && *f; ++f) {
    const char* uri = (*f)->URI;
    if (!uri) continue;
    if (!std::strcmp(uri, LV2_UI__parent)) parent = reinterpret_cast<unsigned long>((*f)->data);
    else if (!std::strcmp(uri, LV2_UI__touch)) pTouch = static_cast<const LV2UI_Touch*>((*f)->data);
    else if (!std::strcmp(uri, LV2_UI__resize)) pResize = static_cast<const LV2UI_Resize*>((*f)->data);
  }
  if (!parent) {
    Refuse("the host offers no parent window (ui:parent)");
    return nullptr;
  }
  if (!write || !pWidget || !bundlePath) {
    Refuse("the host passes no write function, widget or bundle path");
    return nullptr;
  }
  std::unique_ptr<LV2X11UI> pUI(new LV2X11UI(bundlePath, write, controller));
  if (pTouch && pTouch->touch) pUI->mTouch = pTouch;
  if (!pUI->Open(parent, pWidget)) return nullptr;
  if (pResize && pResize->ui_resize)
    pResize->ui_resize(pResize->handle, pUI->mEditor->Width(), pUI->mEditor->Height());
  return pUI.release();
}

bool LV2X11UI::Open(unsigned long parentXWindow, LV2UI_Widget* pWidget) {
  mModel.reset(MakePlug());
  if (!mModel) {
    Refuse("the plug-in could not be constructed");
    return false;
  }
  mModel->SetEditorHost(this);
  korv_appkit::X11Display* pDisplay = AcquireDisplay();
  if (!pDisplay) {
    Refuse("the X display cannot be reached");
    return false;
  }
  mHoldsDisplay = true;
  if (!mModel->SelectEditorLayout(kOwnEditorLayout) || !mEditor) {
    Refuse("the plug-in has no editor");
    return false;
  }
  auto* pView = static_cast<NSView*>(mEditor->OpenWindow(nullptr));
  mWindow = pDisplay->openWindowIn(pView, parentXWindow);
  // The window holds the view now, or nothing does and the editor closes it with itself.
  pView->release();
  if (!mWindow) {
    Refuse("the host's parent window does not exist");
    return false;
  }
  *pWidget = reinterpret_cast<LV2UI_Widget>(pDisplay->xWindowOf(mWindow));
  pDisplay->runFor(0);
  return true;
}

LV2X11UI::~LV2X11UI() {
  if (mGestureParam >= 0) EndGesture(mGestureParam);
  if (mWindow) s_display->closeWindow(mWindow);
  // The model deletes its editor, which closes the view, while the display still exists; the host
  // hears nothing more.
  if (mModel) mModel->SetEditorHost(nullptr);
  mModel.reset();
  if (mHoldsDisplay) ReleaseDisplay();
}

IGraphics* LV2X11UI::MakeEditor(IFxBase* pPlug, int w, int h, int fps) {
  // Only the first editor is shown; a layout change after opening is not offered through LV2.
  if (mEditor) return nullptr;
  mEditor = MakeGraphics(pPlug, w, h, fps);
  mEditor->SetPictureDirectory(mBundlePath.Get());
  return mEditor;
}

void LV2X11UI::PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* pBuffer) {
  const LV2PortLayout layout = mModel->Ports();
  if (format != 0 || bufferSize != sizeof(float) || !pBuffer || port < layout.FirstParam() ||
      port >= layout.Latency())
    return;
  float value;
  std::memcpy(&value, pBuffer, sizeof(value));
  const int paramIdx = static_cast<int>(port - layout.FirstParam());
  if (paramIdx == mGestureParam) return;
  mModel->SetParameterFromHost(paramIdx, static_cast<double>(value));
}

int LV2X11UI::Idle() {
  s_display->runFor(0);
  return s_display->isOpen() ? 0 : 1;
}

void LV2X11UI::BeginGesture(int paramIdx) {
  mGestureParam = paramIdx;
  if (mTouch) mTouch->touch(mTouch->handle, PortOf(paramIdx), true);
}

void LV2X11UI::ParamChanged(int paramIdx, double value) {
  const float plain = static_cast<float>(value);
  mWrite(mController, PortOf(paramIdx), sizeof(plain), 0, &plain);
}

void LV2X11UI::EndGesture(int paramIdx) {
  if (mTouch) mTouch->touch(mTouch->handle, PortOf(paramIdx), false);
  if (paramIdx == mGestureParam) mGestureParam = -1;
}
