// The LV2 bundle's only export: the descriptor of the effect on the LV2 binding.
#include "lv2/ifx_lv2.h"
#include "lv2/lv2_plugin_info.h"

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return IFxLV2::GetDescriptor(index, kLV2PluginInfo);
}
