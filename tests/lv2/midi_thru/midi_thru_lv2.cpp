// The test MIDI effect's LV2 description: it sends MIDI, so it gets an event output.
#include "korv_plugin_identity.h"
#include "lv2/lv2_plugin_info.h"

const LV2PluginInfo kLV2PluginInfo = {KORV_PLUGIN_LV2_URI,
                                      nullptr,
                                      0,
                                      KORV_PLUGIN_LV2_URI "#ui",
                                      "http://lv2plug.in/ns/lv2core#MIDIPlugin",
                                      "urn:korvaline-tests:license",
                                      "For the framework's tests only.",
                                      true};
