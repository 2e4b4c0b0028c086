// What the LV2 binding needs to know of KORVAL-Q34 beyond its parameters: its and its editor's URIs,
// the unit of "Out", its class and its licence.
#include "effect/korvaline.h"
#include "korv_plugin_identity.h"
#include "lv2/lv2_plugin_info.h"

namespace {
const LV2ParamUnit kKorvalineUnits[] = {{kOut, "http://lv2plug.in/ns/extensions/units#db"}};
}  // namespace

const LV2PluginInfo kLV2PluginInfo = {
    KORV_PLUGIN_LV2_URI,
    kKorvalineUnits,
    static_cast<int>(sizeof(kKorvalineUnits) / sizeof(kKorvalineUnits[0])),
    KORV_PLUGIN_LV2_URI "#ui",
    "http://lv2plug.in/ns/lv2core#ReverbPlugin",
    "urn:brightmooraudio:license:proprietary",
    "Proprietary software of BrightmoorAudio. All rights reserved; no licence to copy, modify or "
    "redistribute is granted."};
