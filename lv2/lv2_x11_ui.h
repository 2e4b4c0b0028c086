#pragma once
// The plug-in's editor as an LV2 X11 UI in the host's UI process. It keeps a plug-in object of its own
// as its parameter model and talks to the running instance through control ports alone: port events
// set the model's parameters and move the controls, the editor's gestures write the ports (with
// touch around them when the host offers it). The editor is shown inside the host's parent window
// through the editor layer's embedded display, at the host's scale factor, and the host's idle calls
// serve its events, timer and redraws: nothing the editor shows (a menu, a text field) waits inside
// one, so every idle call returns promptly.
#include <lv2/ui/ui.h>

#include <memory>

#include "lv2/ifx_lv2.h"

class EmbeddedEditorDisplay;
class IGraphicsMac;

class LV2X11UI : public LV2EditorHost {
 public:
  // The UI for the plug-in made by MakePlug, with its pictures under bundlePath; null, with the
  // reason on stderr, when the host offers no parent window or no write function, the parent does
  // not exist or the X display cannot be reached. *pWidget receives the editor's X window, which is
  // twice the editor's size when the options give a ui:scaleFactor of 1.5 or more.
  static LV2X11UI* Create(const char* bundlePath, LV2UI_Write_Function write, LV2UI_Controller controller,
                          const LV2_Feature* const* features, LV2UI_Widget* pWidget);
  ~LV2X11UI() override;
  LV2X11UI(const LV2X11UI&) = delete;
  LV2X11UI& operator=(const LV2X11UI&) = delete;

  // A control input's new plain value (format 0, one float); anything else is ignored.
  void PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* pBuffer);
  // Serves the display once; non-zero when the display has gone and the UI can show nothing more.
  int Idle();

  // The descriptor for index 0 (null for any other), carrying uri.
  static const LV2UI_Descriptor* GetDescriptor(uint32_t index, const char* uri);

  IGraphics* MakeEditor(IFxBase* pPlug, int w, int h, int fps) override;
  void BeginGesture(int paramIdx) override;
  void ParamChanged(int paramIdx, double value) override;
  void EndGesture(int paramIdx) override;

 private:
  LV2X11UI(const char* bundlePath, LV2UI_Write_Function write, LV2UI_Controller controller);
  bool Open(unsigned long parentXWindow, LV2UI_Widget* pWidget);
  uint32_t PortOf(int paramIdx) const { return mModel->Ports().FirstParam() + static_cast<uint32_t>(paramIdx); }

  BRM_String mBundlePath;
  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  const LV2UI_Touch* mTouch = nullptr;
  std::unique_ptr<IFxLV2> mModel;
  // Made by the model's editor request, owned by the model.
  IGraphicsMac* mEditor = nullptr;
  // Released last: the editor closes its view while the display still exists.
  std::unique_ptr<EmbeddedEditorDisplay> mDisplay;
  // The parameter under the user's hand: the host's echoes of earlier writes must not pull it back.
  int mGestureParam = -1;
  // Device pixels per editor pixel, from the host's scale factor.
  int mScale = 1;
};
