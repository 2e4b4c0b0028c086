// The LV2 X11 UI: the editor over a parameter model of its own, embedded in the host's window.
#include "lv2/lv2_x11_ui.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/editor_layout.h"
#include "gui/mac/embedded_editor_display.h"
#include "gui/mac/igraphics_mac.h"

namespace {

void Refuse(const char* reason) { std::fprintf(stderr, "LV2 editor not opened: %s\n", reason); }

// The editor draws at whole scales only (each canvas pixel a square of device pixels), up to two: the
// host's ui:scaleFactor rounded to the nearest of them. 1 when the host gives none or a value that is
// not a positive float.
int ScaleFromOptions(const LV2_Options_Option* pOptions, const LV2_URID_Map* pMap) {
  if (!pOptions || !pMap || !pMap->map) return 1;
  const LV2_URID scaleFactor = pMap->map(pMap->handle, LV2_UI__scaleFactor);
  const LV2_URID atomFloat = pMap->map(pMap->handle, LV2_ATOM__Float);
  for (const LV2_Options_Option* o = pOptions; o->key || o->value; ++o) {
    if (o->key != scaleFactor || o->type != atomFloat || o->size != sizeof(float) || !o->value) continue;
    float factor;
    std::memcpy(&factor, o->value, sizeof factor);
    if (!std::isfinite(factor) || factor <= 0) return 1;
    return factor < 1.5f ? 1 : 2;
  }
  return 1;
}

}  // namespace

LV2X11UI::LV2X11UI(const char* bundlePath, LV2UI_Write_Function write, LV2UI_Controller controller)
    : mBundlePath(bundlePath), mWrite(write), mController(controller) {}

LV2X11UI* LV2X11UI::Create(const char* bundlePath, LV2UI_Write_Function write, LV2UI_Controller controller,
                           const LV2_Feature* const* features, LV2UI_Widget* pWidget) {
  unsigned long parent = 0;
  const LV2UI_Touch* pTouch = nullptr;
  const LV2UI_Resize* pResize = nullptr;
  const LV2_Options_Option* pOptions = nullptr;
  const LV2_URID_Map* pMap = nullptr;
  for (const LV2_Feature* const* f = features; f && *f; ++f) {
    const char* uri = (*f)->URI;
    if (!uri) continue;
    if (!std::strcmp(uri, LV2_UI__parent)) parent = reinterpret_cast<unsigned long>((*f)->data);
    else if (!std::strcmp(uri, LV2_UI__touch)) pTouch = static_cast<const LV2UI_Touch*>((*f)->data);
    else if (!std::strcmp(uri, LV2_UI__resize)) pResize = static_cast<const LV2UI_Resize*>((*f)->data);
    else if (!std::strcmp(uri, LV2_OPTIONS__options)) pOptions = static_cast<const LV2_Options_Option*>((*f)->data);
    else if (!std::strcmp(uri, LV2_URID__map)) pMap = static_cast<const LV2_URID_Map*>((*f)->data);
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
  pUI->mScale = ScaleFromOptions(pOptions, pMap);
  if (!pUI->Open(parent, pWidget)) return nullptr;
  if (pResize && pResize->ui_resize)
    pResize->ui_resize(pResize->handle, pUI->mEditor->Width() * pUI->mScale, pUI->mEditor->Height() * pUI->mScale);
  return pUI.release();
}

bool LV2X11UI::Open(unsigned long parentXWindow, LV2UI_Widget* pWidget) {
  mModel.reset(MakePlug());
  if (!mModel) {
    Refuse("the plug-in could not be constructed");
    return false;
  }
  mModel->SetEditorHost(this);
  mDisplay = EmbeddedEditorDisplay::Acquire();
  if (!mDisplay) {
    Refuse("the X display cannot be reached");
    return false;
  }
  if (!mModel->SelectEditorLayout(kEditorLayoutFixed) || !mEditor) {
    Refuse("the plug-in has no editor");
    return false;
  }
  const unsigned long xWindow = mDisplay->ShowInside(mEditor, parentXWindow, mScale);
  if (!xWindow) {
    Refuse("the host's parent window does not exist");
    return false;
  }
  *pWidget = reinterpret_cast<LV2UI_Widget>(xWindow);
  return true;
}

LV2X11UI::~LV2X11UI() {
  if (mGestureParam >= 0) EndGesture(mGestureParam);
  if (mDisplay) mDisplay->CloseWindow();
  // The model deletes its editor, which closes the view, while the display still exists; the host
  // hears nothing more.
  if (mModel) mModel->SetEditorHost(nullptr);
  mModel.reset();
  mDisplay.reset();
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
  return mDisplay->Serve() ? 0 : 1;
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
