// The LV2 editor module's only export: the descriptor of the effect's X11 editor.
#include "lv2/lv2_plugin_info.h"
#include "lv2/lv2_x11_ui.h"

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return LV2X11UI::GetDescriptor(index, kLV2PluginInfo.mUIURI);
}
