// The LV2 UI descriptor of the X11 editor: plain C callbacks that find the UI in the handle and
// refuse what a host should not have passed.
#include <cstring>

#include "lv2/lv2_x11_ui.h"

namespace {

LV2X11UI* UI(LV2UI_Handle handle) { return static_cast<LV2X11UI*>(handle); }

LV2UI_Handle CallInstantiate(const LV2UI_Descriptor*, const char*, const char* bundlePath, LV2UI_Write_Function write,
                             LV2UI_Controller controller, LV2UI_Widget* pWidget, const LV2_Feature* const* features) {
  return LV2X11UI::Create(bundlePath, write, controller, features, pWidget);
}

void CallCleanup(LV2UI_Handle handle) { delete UI(handle); }

void CallPortEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* pBuffer) {
  if (handle) UI(handle)->PortEvent(port, bufferSize, format, pBuffer);
}

int CallIdle(LV2UI_Handle handle) { return handle ? UI(handle)->Idle() : 1; }

const void* CallExtensionData(const char* uri) {
  static const LV2UI_Idle_Interface kIdle = {CallIdle};
  return uri && !std::strcmp(uri, LV2_UI__idleInterface) ? &kIdle : nullptr;
}

}  // namespace

const LV2UI_Descriptor* LV2X11UI::GetDescriptor(uint32_t index, const char* uri) {
  static const LV2UI_Descriptor kDescriptor = {uri, CallInstantiate, CallCleanup, CallPortEvent, CallExtensionData};
  return index == 0 ? &kDescriptor : nullptr;
}
