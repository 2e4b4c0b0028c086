// What the LV2 binding needs to know of Mothwing Poly beyond its parameters.
#include "korv_plugin_identity.h"
#include "lv2/lv2_plugin_info.h"
#include "mothwing.h"

namespace {
const LV2ParamUnit kMothwingUnits[] = {{kCutoff, "http://lv2plug.in/ns/extensions/units#hz"},
                                       {kAttack, "http://lv2plug.in/ns/extensions/units#ms"},
                                       {kDecay, "http://lv2plug.in/ns/extensions/units#ms"},
                                       {kSustain, "http://lv2plug.in/ns/extensions/units#pc"},
                                       {kRelease, "http://lv2plug.in/ns/extensions/units#ms"},
                                       {kVolume, "http://lv2plug.in/ns/extensions/units#db"}};
}  // namespace

const LV2PluginInfo kLV2PluginInfo = {
    KORV_PLUGIN_LV2_URI,
    kMothwingUnits,
    static_cast<int>(sizeof(kMothwingUnits) / sizeof(kMothwingUnits[0])),
    KORV_PLUGIN_LV2_URI "#ui",
    "http://lv2plug.in/ns/lv2core#InstrumentPlugin",
    // The licence follows the identity, so a copy under another name and maker claims nothing of ours.
    KORV_PLUGIN_LV2_URI "#license",
    "Proprietary software of " KORV_PLUGIN_MAKER ". All rights reserved; no licence to copy, modify or "
    "redistribute is granted."};
