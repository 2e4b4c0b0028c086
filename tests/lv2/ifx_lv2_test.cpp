// The LV2 bundle as a host sees it through lilv: its description, rendering at any block size, state
// through lilv's state API, and refusals of what a host should not pass.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "support/alloc_counter.h"
#include "support/lock_counter.h"
#include "lv2/lilv_test_host.h"

namespace korv_test {
namespace {

constexpr int kFrames = 48000;

class LV2BindingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(host.Plugin(), nullptr) << "the bundle did not load"; }

  bool HasNode(const LilvNodes* nodes, const char* uri) {
    LilvNode* node = lilv_new_uri(host.World(), uri);
    const bool found = nodes && lilv_nodes_contains(nodes, node);
    lilv_node_free(node);
    return found;
  }

  LilvTestHost host;
};

TEST_F(LV2BindingTest, DescribesEveryParameterAsAControlPort) {
  struct Expected {
    const char* symbol;
    const char* name;
    float min, max, def;
    const char* unit;
  };
  const Expected expected[] = {{"dry", "Dry", 0.0f, 1.0f, 0.0f, nullptr},
                               {"wet", "Wet", 0.0f, 1.0f, 1.0f, nullptr},
                               {"out", "Out", -15.0f, 15.0f, 0.0f, "http://lv2plug.in/ns/extensions/units#db"}};
  LilvNode* unitPredicate = lilv_new_uri(host.World(), "http://lv2plug.in/ns/extensions/units#unit");
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.symbol);
    LilvNode* symbol = lilv_new_string(host.World(), e.symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(host.Plugin(), symbol);
    lilv_node_free(symbol);
    ASSERT_NE(port, nullptr);
    LilvNode* name = lilv_port_get_name(host.Plugin(), port);
    EXPECT_STREQ(lilv_node_as_string(name), e.name);
    lilv_node_free(name);
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(host.Plugin(), port, &def, &min, &max);
    EXPECT_EQ(lilv_node_as_float(min), e.min);
    EXPECT_EQ(lilv_node_as_float(max), e.max);
    EXPECT_EQ(lilv_node_as_float(def), e.def);
    lilv_node_free(def);
    lilv_node_free(min);
    lilv_node_free(max);
    LilvNodes* units = lilv_port_get_value(host.Plugin(), port, unitPredicate);
    if (e.unit) EXPECT_TRUE(HasNode(units, e.unit));
    else EXPECT_EQ(units, nullptr);
    lilv_nodes_free(units);
  }
  lilv_node_free(unitPredicate);

  LilvNode* audio = lilv_new_uri(host.World(), LV2_CORE__AudioPort);
  LilvNode* input = lilv_new_uri(host.World(), LV2_CORE__InputPort);
  LilvNode* output = lilv_new_uri(host.World(), LV2_CORE__OutputPort);
  EXPECT_EQ(lilv_plugin_get_num_ports_of_class(host.Plugin(), audio, input, nullptr), 2u);
  EXPECT_EQ(lilv_plugin_get_num_ports_of_class(host.Plugin(), audio, output, nullptr), 2u);
  lilv_node_free(audio);
  lilv_node_free(input);
  lilv_node_free(output);
  EXPECT_TRUE(lilv_plugin_has_latency(host.Plugin()));
  LilvNodes* optional = lilv_plugin_get_optional_features(host.Plugin());
  EXPECT_TRUE(HasNode(optional, LV2_CORE__hardRTCapable));
  lilv_nodes_free(optional);
  LilvNodes* required = lilv_plugin_get_required_features(host.Plugin());
  EXPECT_EQ(lilv_nodes_size(required), 0u);
  lilv_nodes_free(required);
}

TEST_F(LV2BindingTest, DescribesItsX11EditorInTheBundle) {
  LilvUIs* uis = lilv_plugin_get_uis(host.Plugin());
  ASSERT_EQ(lilv_uis_size(uis), 1u);
  const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
  LilvNode* x11 = lilv_new_uri(host.World(), LV2_UI__X11UI);
  EXPECT_TRUE(lilv_ui_is_a(ui, x11));
  lilv_node_free(x11);
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
  EXPECT_EQ(access(binary, R_OK), 0) << binary;
  lilv_free(binary);
  struct Expected {
    const char* predicate;
    std::vector<const char*> objects;
  };
  const Expected expected[] = {
      {LV2_CORE__requiredFeature, {LV2_UI__parent}},
      {LV2_CORE__optionalFeature,
       {LV2_UI__idleInterface, LV2_UI__resize, LV2_UI__touch, LV2_URID__map, LV2_OPTIONS__options}},
      {LV2_OPTIONS__supportedOption, {LV2_UI__scaleFactor}},
      {LV2_CORE__extensionData, {LV2_UI__idleInterface}}};
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.predicate);
    LilvNode* predicate = lilv_new_uri(host.World(), e.predicate);
    LilvNodes* objects = lilv_world_find_nodes(host.World(), lilv_ui_get_uri(ui), predicate, nullptr);
    EXPECT_EQ(lilv_nodes_size(objects), e.objects.size());
    for (const char* object : e.objects) EXPECT_TRUE(HasNode(objects, object)) << object;
    lilv_nodes_free(objects);
    lilv_node_free(predicate);
  }
  lilv_uis_free(uis);
}

TEST_F(LV2BindingTest, EveryBlockSizeAndInPlaceRenderTheSame) {
  const std::vector<float> input = TestSignal(kFrames);
  TestInstance reference(host);
  ASSERT_NE(reference.Get(), nullptr);
  const std::vector<float> expected = reference.Render(input, 64);
  EXPECT_EQ(reference.Control("latency"), 0.0f);
  // 4096 is longer than the host's maximum block, so the binding takes it in pieces.
  for (int block : {1, 7, 4096}) {
    TestInstance instance(host);
    EXPECT_EQ(instance.Render(input, block), expected) << "block " << block;
  }
  TestInstance inPlace(host);
  EXPECT_EQ(inPlace.Render(input, 64, true), expected);
}

TEST_F(LV2BindingTest, RunAllocatesAndLocksNothingWhileControlsChange) {
  TestInstance instance(host);
  ASSERT_NE(instance.Get(), nullptr);
  const std::vector<float> input = TestSignal(4096);
  instance.Render(input, 512);
  float& wet = instance.Control("wet");
  float& out = instance.Control("out");
  AllocationScope allocations;
  LockScope locks;
  for (int i = 0; i < 16; ++i) {
    wet = 0.05f * static_cast<float>(i);
    out = static_cast<float>(i) - 8.0f;
    lilv_instance_run(instance.Get(), 256);
  }
  EXPECT_EQ(allocations.Count(), 0);
  EXPECT_EQ(locks.Count(), 0);
  // The count sees the plug-in's locks: activation takes the instance mutex.
  LockScope activation;
  lilv_instance_deactivate(instance.Get());
  lilv_instance_activate(instance.Get());
  EXPECT_GT(activation.Count(), 0);
}

TEST_F(LV2BindingTest, ControlValuesReachTheAudioClampedAndFinite) {
  const std::vector<float> input = TestSignal(8192);
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float written, heardAs;
  };
  const Case cases[] = {{inf, 15.0f}, {-inf, -15.0f}, {1e30f, 15.0f}, {-40.0f, -15.0f},
                        {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    TestInstance written(host), clamped(host);
    written.Control("out") = c.written;
    clamped.Control("out") = c.heardAs;
    const std::vector<float> output = written.Render(input, 256);
    for (float sample : output) ASSERT_TRUE(std::isfinite(sample));
    EXPECT_EQ(output, clamped.Render(input, 256));
  }
}

TEST_F(LV2BindingTest, ReactivationForgetsWhatWasHeard) {
  TestInstance instance(host);
  ASSERT_NE(instance.Get(), nullptr);
  instance.Render(TestSignal(kFrames), 512);
  lilv_instance_deactivate(instance.Get());
  lilv_instance_activate(instance.Get());
  const std::vector<float> after = instance.Render(std::vector<float>(8192, 0.0f), 512);
  for (size_t i = 0; i < after.size(); ++i) ASSERT_EQ(after[i], 0.0f) << i;
}

// Two inputs are declared, so a source on either side must be heard: the reverb hears their mean,
// and on a stereo track the dry signal stays stereo, each output keeping its own input's.
TEST_F(LV2BindingTest, TheWetPathHearsBothInputsAsTheirMeanTheDryPathEachOnItsOwn) {
  const std::vector<float> signal = TestSignal(8192), silence(8192, 0.0f);
  std::vector<float> half = signal;
  for (float& x : half) x *= 0.5f;
  TestInstance leftOnly(host), rightOnly(host), both(host);
  ASSERT_NE(both.Get(), nullptr);
  const std::vector<float> expected = both.Render(half, 256);
  float loudest = 0.0f;
  for (float x : expected) loudest = std::max(loudest, std::fabs(x));
  EXPECT_GT(loudest, 0.01f);
  EXPECT_EQ(leftOnly.Render(signal, 256, false, &silence), expected);
  EXPECT_EQ(rightOnly.Render(silence, 256, false, &signal), expected);

  TestInstance dryOnly(host);
  dryOnly.Control("dry") = 1.0f;
  dryOnly.Control("wet") = 0.0f;
  std::vector<float> right;
  EXPECT_EQ(dryOnly.Render(signal, 256, false, &silence, &right), signal);
  EXPECT_EQ(right, silence);
}

// A chunk restored behind the host's controls must not play values the controls do not show.
TEST_F(LV2BindingTest, AfterAStateRestoreTheControlPortsAreTheTruth) {
  const std::vector<float> input = TestSignal(8192);
  TestInstance restored(host), reference(host);
  ASSERT_NE(restored.Get(), nullptr);
  for (TestInstance* instance : {&restored, &reference}) {
    instance->Control("dry") = 0.5f;
    instance->Control("out") = -6.0f;
    lilv_instance_run(instance->Get(), 0);
  }
  const double values[3] = {1.0, 0.0, 12.0};
  ASSERT_EQ(restored.RestoreChunk(values, sizeof(values), host.Urids().Id(LV2_ATOM__Chunk)), LV2_STATE_SUCCESS);
  EXPECT_EQ(restored.Render(input, 256), reference.Render(input, 256));
  EXPECT_EQ(restored.Chunk(), reference.Chunk());
}

// A host may save right after setting its controls, before any run has applied them.
TEST_F(LV2BindingTest, SavedStateHoldsTheControlPortsValuesRunOrNot) {
  for (bool runFirst : {false, true}) {
    SCOPED_TRACE(runFirst ? "after a run" : "before any run");
    TestInstance instance(host);
    ASSERT_NE(instance.Get(), nullptr);
    if (runFirst) lilv_instance_run(instance.Get(), 0);
    instance.Control("dry") = 0.25f;
    instance.Control("out") = -6.0f;
    const double expected[3] = {0.25, 1.0, -6.0};
    const std::vector<unsigned char> chunk = instance.Chunk();
    ASSERT_EQ(chunk.size(), sizeof(expected));
    EXPECT_EQ(std::memcmp(chunk.data(), expected, sizeof(expected)), 0);
  }
}

// What a host does with its port values beside the state: reads them on save, writes them on restore.
struct PortValues {
  TestInstance* instance;
  LV2_URID floatType;
};

const void* GetPortValue(const char* symbol, void* userData, uint32_t* size, uint32_t* type) {
  auto* ports = static_cast<PortValues*>(userData);
  *size = sizeof(float);
  *type = ports->floatType;
  return &ports->instance->Control(symbol);
}

void SetPortValue(const char* symbol, void* userData, const void* value, uint32_t size, uint32_t type) {
  auto* ports = static_cast<PortValues*>(userData);
  if (size == sizeof(float) && type == ports->floatType)
    std::memcpy(&ports->instance->Control(symbol), value, sizeof(float));
}

TEST_F(LV2BindingTest, StateThroughLilvRestoresIntoAFreshInstance) {
  const std::vector<float> input = TestSignal(kFrames);
  TestInstance saved(host);
  ASSERT_NE(saved.Get(), nullptr);
  saved.Control("dry") = 0.3f;
  saved.Control("wet") = 0.7f;
  saved.Control("out") = -6.0f;
  lilv_instance_run(saved.Get(), 0);
  const std::vector<unsigned char> chunk = saved.Chunk();
  ASSERT_EQ(chunk.size(), 3 * sizeof(double));

  const LV2_URID floatType = host.Urids().Id(LV2_ATOM__Float);
  PortValues savedPorts = {&saved, floatType};
  LilvState* state = lilv_state_new_from_instance(host.Plugin(), saved.Get(), host.Urids().Map(), nullptr, nullptr,
                                                  nullptr, nullptr, GetPortValue, &savedPorts, LV2_STATE_IS_POD, nullptr);
  ASSERT_NE(state, nullptr);
  char* text = lilv_state_to_string(host.World(), host.Urids().Map(), host.Urids().Unmap(), state,
                                    "urn:korv-test:state", nullptr);
  lilv_state_free(state);
  ASSERT_NE(text, nullptr);
  LilvState* loaded = lilv_state_new_from_string(host.World(), host.Urids().Map(), text);
  lilv_free(text);
  ASSERT_NE(loaded, nullptr);

  // The fresh instance's ports start at their defaults; the state carries the port values beside the
  // chunk, and the controls win from the next run on.
  TestInstance restored(host);
  PortValues restoredPorts = {&restored, floatType};
  lilv_state_restore(loaded, restored.Get(), SetPortValue, &restoredPorts, 0, nullptr);
  lilv_state_free(loaded);
  EXPECT_EQ(restored.Chunk(), chunk);
  EXPECT_EQ(restored.Control("out"), -6.0f);
  EXPECT_EQ(restored.Render(input, 64), saved.Render(input, 64));
}

TEST_F(LV2BindingTest, DamagedStateIsRefusedWithNothingChanged) {
  TestInstance instance(host);
  ASSERT_NE(instance.Get(), nullptr);
  instance.Control("out") = 4.0f;
  lilv_instance_run(instance.Get(), 0);
  const std::vector<unsigned char> before = instance.Chunk();
  // Ports that name no value leave the saved state to the parameters, which are what a restore changes.
  for (const char* symbol : {"dry", "wet", "out"})
    instance.Control(symbol) = std::numeric_limits<float>::quiet_NaN();
  const double values[3] = {1.0, 0.0, -12.0};
  const LV2_URID chunkType = host.Urids().Id(LV2_ATOM__Chunk);
  struct Case {
    const char* what;
    size_t size;
    LV2_URID type;
    bool offerKey;
  };
  const Case cases[] = {{"short", 2 * sizeof(double), chunkType, true},
                        {"empty", 0, chunkType, true},
                        {"wrong type", sizeof(values), host.Urids().Id(LV2_ATOM__String), true},
                        {"missing", sizeof(values), chunkType, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NE(instance.RestoreChunk(values, c.size, c.type, c.offerKey), LV2_STATE_SUCCESS);
    EXPECT_EQ(instance.Chunk(), before);
  }
  EXPECT_EQ(instance.RestoreChunk(values, sizeof(values), chunkType), LV2_STATE_SUCCESS);
  EXPECT_NE(instance.Chunk(), before);
}

TEST_F(LV2BindingTest, RefusesUnusableRatesAndFeatures) {
  for (double rate : {0.0, -48000.0, std::nan(""), std::numeric_limits<double>::infinity(), 1.0, 1000.0, 7999.0,
                      768001.0, 1e300}) {
    SCOPED_TRACE(rate);
    EXPECT_EQ(lilv_plugin_instantiate(host.Plugin(), rate, host.Features()), nullptr);
  }
  const LV2_Feature mapWithoutData = {LV2_URID__map, nullptr};
  const LV2_Feature* const broken[] = {&mapWithoutData, nullptr};
  EXPECT_EQ(lilv_plugin_instantiate(host.Plugin(), 48000.0, broken), nullptr);

  // Without a URID map there is no naming the state: saving says which feature is missing.
  const LV2_Feature* const none[] = {nullptr};
  TestInstance unmapped(host, 48000.0, none);
  ASSERT_NE(unmapped.Get(), nullptr);
  const LV2_State_Interface* pState = unmapped.StateInterface();
  const LV2_Handle handle = lilv_instance_get_handle(unmapped.Get());
  EXPECT_EQ(pState->save(handle, nullptr, nullptr, 0, nullptr), LV2_STATE_ERR_UNKNOWN);
  EXPECT_EQ(unmapped.Chunk(), std::vector<unsigned char>());
  EXPECT_EQ(unmapped.Render(TestSignal(256), 256).size(), 256u);
}

TEST_F(LV2BindingTest, SurvivesUnconnectedPortsEmptyRunsAndRunBeforeActivate) {
  LilvInstance* instance = lilv_plugin_instantiate(host.Plugin(), 44100.0, host.Features());
  ASSERT_NE(instance, nullptr);
  float out[64];
  std::fill(out, out + 64, 1.0f);
  lilv_instance_connect_port(instance, 2, out);
  lilv_instance_connect_port(instance, 999, out);
  lilv_instance_run(instance, 64);
  EXPECT_EQ(out[63], 0.0f) << "run before activate gives silence";
  lilv_instance_activate(instance);
  lilv_instance_run(instance, 0);
  lilv_instance_connect_port(instance, 2, nullptr);
  lilv_instance_run(instance, 5000);
  lilv_instance_deactivate(instance);
  lilv_instance_free(instance);
}

}  // namespace
}  // namespace korv_test
