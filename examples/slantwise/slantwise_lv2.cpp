// What the LV2 binding needs to know of Slantwise EQ beyond its parameters.
#include "slantwise.h"
#include "korv_plugin_identity.h"
#include "lv2/lv2_plugin_info.h"

namespace {
const LV2ParamUnit kSlantwiseUnits[] = {{kTilt, "http://lv2plug.in/ns/extensions/units#db"},
                                        {kPivot, "http://lv2plug.in/ns/extensions/units#hz"},
                                        {kOutput, "http://lv2plug.in/ns/extensions/units#db"}};
}  // namespace

const LV2PluginInfo kLV2PluginInfo = {
    KORV_PLUGIN_LV2_URI,
    kSlantwiseUnits,
    static_cast<int>(sizeof(kSlantwiseUnits) / sizeof(kSlantwiseUnits[0])),
    KORV_PLUGIN_LV2_URI "#ui",
    "http://lv2plug.in/ns/lv2core#EQPlugin",
    // The licence follows the identity, so a copy under another name and maker claims nothing of ours.
    KORV_PLUGIN_LV2_URI "#license",
    "Proprietary software of " KORV_PLUGIN_MAKER ". All rights reserved; no licence to copy, modify or "
    "redistribute is granted."};
