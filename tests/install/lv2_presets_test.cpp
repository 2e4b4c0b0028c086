// The factory presets as an LV2 host finds and applies them: the example's bundle lists each with its
// label, and restoring one through lilv sets every control port to the preset's value.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <cstring>
#include <map>
#include <string>

#include "lv2/lilv_test_host.h"

namespace korv_test {
namespace {

// The presets' labels mapped to their port values: the example's factory presets.
using PortValues = std::map<std::string, float>;
const std::map<std::string, PortValues> kExamplePresets = {
    {"Default", {{"tilt", 0.0f}, {"pivot", 1000.0f}, {"output", 0.0f}, {"mode", 0.0f}, {"mono", 0.0f}}},
    {"Warm", {{"tilt", -3.0f}, {"pivot", 800.0f}, {"output", 1.0f}, {"mode", 0.0f}, {"mono", 0.0f}}},
    {"Bright", {{"tilt", 4.0f}, {"pivot", 2500.0f}, {"output", -2.0f}, {"mode", 1.0f}, {"mono", 0.0f}}},
};

struct Restore {
  TestInstance* instance;
  LV2_URID floatType;
  PortValues set;
};

void SetPortValue(const char* symbol, void* userData, const void* value, uint32_t size, uint32_t type) {
  auto* restore = static_cast<Restore*>(userData);
  ASSERT_EQ(restore->floatType, type);
  ASSERT_EQ(sizeof(float), size);
  float plain;
  std::memcpy(&plain, value, sizeof(plain));
  restore->instance->Control(symbol) = plain;
  restore->set[symbol] = plain;
}

// Each preset of the plug-in, by label, with the port values restoring it gives.
std::map<std::string, PortValues> RestoredPresets(LilvTestHost& host) {
  std::map<std::string, PortValues> restored;
  LilvNode* presetClass = lilv_new_uri(host.World(), LV2_PRESETS__Preset);
  LilvNode* label = lilv_new_uri(host.World(), LILV_NS_RDFS "label");
  LilvNodes* presets = lilv_plugin_get_related(host.Plugin(), presetClass);
  LILV_FOREACH(nodes, i, presets) {
    const LilvNode* preset = lilv_nodes_get(presets, i);
    lilv_world_load_resource(host.World(), preset);
    LilvNode* name = lilv_world_get(host.World(), preset, label, nullptr);
    LilvState* state = lilv_state_new_from_world(host.World(), host.Urids().Map(), preset);
    if (name && state) {
      TestInstance instance(host);
      Restore restore{&instance, host.Urids().Id(LV2_ATOM__Float), {}};
      lilv_state_restore(state, instance.Get(), SetPortValue, &restore, 0, host.Features());
      restored[lilv_node_as_string(name)] = restore.set;
    }
    lilv_state_free(state);
    lilv_node_free(name);
  }
  lilv_nodes_free(presets);
  lilv_node_free(label);
  lilv_node_free(presetClass);
  return restored;
}

TEST(LV2Presets, TheExamplesFactoryPresetsSetItsPorts) {
  LilvTestHost host(KORV_EXAMPLE_LV2_BUNDLE_DIR, "urn:quillmereaudio:slantwise");
  ASSERT_NE(nullptr, host.Plugin());
  EXPECT_EQ(kExamplePresets, RestoredPresets(host));
}

}  // namespace
}  // namespace korv_test
