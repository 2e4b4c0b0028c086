// The example plug-in, Slantwise EQ, opened from its bundles the way hosts open it: korval-host finds
// the unit in the component bundle's Info.plist, lv2apply runs the LV2 bundle, and in this process the
// host's own unit driver and a lilv host drive each.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "host/commands/commands.h"
#include "host/files/preset_file.h"
#include "host/unit/block_renderer.h"
#include "host_test_support.h"
#include "lv2/lilv_test_host.h"

namespace {

using namespace korval_host;
using namespace korval_host_test;

#ifndef KORV_TOOL_ENVIRONMENT
#define KORV_TOOL_ENVIRONMENT ""
#endif

const std::string kBundle = KORV_EXAMPLE_BUNDLE_DIR;

HostRun RunExample(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"--bundle", kBundle});
  return RunHost(arguments);
}

// Two channels of a tone with a little noise; the left one silenced when leftSilent.
void WriteStereo(const std::string& path, bool leftSilent) {
  WriteTestSound(path, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4096);
  if (!leftSilent) return;
  Sound sound = ReadSound(path);
  for (size_t i = 0; i < sound.samples.size(); i += 2) sound.samples[i] = 0.0f;
  SF_INFO info = sound.info;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr);
  sf_writef_float(file, sound.samples.data(), sound.info.frames);
  sf_close(file);
}

double ChannelPeak(const std::vector<float>& samples, int channel) {
  double peak = 0.0;
  for (size_t i = channel; i < samples.size(); i += 2) peak = std::max(peak, std::fabs(double(samples[i])));
  return peak;
}

double LargestDifference(const std::vector<float>& a, const std::vector<float>& b, int channel) {
  double largest = 0.0;
  for (size_t i = channel; i < a.size() && i < b.size(); i += 2) largest = std::max(largest, std::fabs(double(a[i] - b[i])));
  return largest;
}

class SlantwiseExample : public ::testing::Test {
 protected:
  TempDir mDir;
  std::string In() const { return mDir.Path("in.wav"); }
  std::string Out(const std::string& name) const { return mDir.Path(name); }
};

TEST_F(SlantwiseExample, ValidatesFromItsBundleAlone) {
  const HostRun run = RunExample({"validate"});
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find(" 0 failed"), std::string::npos) << run.output;
  const HostRun info = RunExample({"info"});
  EXPECT_NE(info.output.find("subtype 'Slt1' manufacturer 'Qlmr'"), std::string::npos) << info.output;
}

TEST_F(SlantwiseExample, EachChannelIsFilteredOnItsOwn) {
  const std::vector<std::string> tilt = {"--param", "Tilt=6", "--tail", "0"};
  std::vector<Sound> in, out;
  for (bool leftSilent : {false, true}) {
    WriteStereo(In(), leftSilent);
    std::vector<std::string> render = {"render", In(), Out("out.wav")};
    render.insert(render.end(), tilt.begin(), tilt.end());
    const HostRun run = RunExample(render);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    in.push_back(ReadSound(In()));
    out.push_back(ReadSound(Out("out.wav")));
    ASSERT_EQ(out.back().info.channels, 2);
    ASSERT_EQ(out.back().samples.size(), in.back().samples.size());
  }
  // The tilt changes both channels of a stereo input...
  for (int channel = 0; channel < 2; ++channel) {
    EXPECT_GT(LargestDifference(in[0].samples, out[0].samples, channel), 0.05 * ChannelPeak(in[0].samples, channel));
  }
  // ...and the right channel alone comes out on the right as it did beside the left, the left silent.
  EXPECT_EQ(ChannelPeak(out[1].samples, 0), 0.0);
  EXPECT_EQ(LargestDifference(out[0].samples, out[1].samples, 1), 0.0);
}

TEST_F(SlantwiseExample, ASavedPresetRendersAsItsValues) {
  WriteStereo(In(), false);
  const std::vector<std::string> params = {"--param", "Tilt=-4.5", "--param", "Pivot=2200", "--param", "Output=-3",
                                           "--param", "Mode=1",     "--param", "Mono=1"};
  // The preset names the mode by its text, the render by its number: the same setting.
  std::vector<std::string> save = {"preset", "save", Out("p.aupreset")};
  save.insert(save.end(), params.begin(), params.end());
  std::replace(save.begin(), save.end(), std::string("Mode=1"), std::string("mode=steep"));
  ASSERT_EQ(RunExample(save).exitStatus, 0);
  std::vector<std::string> direct = {"render", In(), Out("params.wav"), "--tail", "0"};
  direct.insert(direct.end(), params.begin(), params.end());
  ASSERT_EQ(RunExample(direct).exitStatus, 0);
  ASSERT_EQ(RunExample({"render", In(), Out("preset.wav"), "--preset", Out("p.aupreset"), "--tail", "0"}).exitStatus, 0);
  EXPECT_TRUE(ReadBytes(Out("preset.wav")) == ReadBytes(Out("params.wav")));
  // Mono sums the channels before filtering, so both come out alike.
  const Sound out = ReadSound(Out("params.wav"));
  EXPECT_EQ(LargestDifference(std::vector<float>(out.samples.begin() + 1, out.samples.end()), out.samples, 0), 0.0);
  const HostRun shown = RunExample({"preset", "show", Out("p.aupreset")});
  EXPECT_NE(shown.output.find("Steep"), std::string::npos) << shown.output;
}

TEST_F(SlantwiseExample, LV2BundleRendersAsTheComponent) {
  WriteStereo(In(), false);
  ASSERT_EQ(RunExample({"render", In(), Out("host.wav"), "--tail", "0", "--param", "Tilt=3.5", "--param",
                        "Pivot=700", "--param", "Output=-2", "--param", "Mode=1"})
                .exitStatus,
            0);
  const std::string bundle = KORV_EXAMPLE_LV2_BUNDLE_DIR;
  const std::string command = std::string("env ") + KORV_TOOL_ENVIRONMENT + " LV2_PATH='" +
                              bundle.substr(0, bundle.rfind('/')) + "' lv2apply -i '" + In() + "' -o '" +
                              Out("lv2.wav") + "' -c tilt 3.5 -c pivot 700 -c output -2 -c mode 1 " +
                              "urn:quillmereaudio:slantwise >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const Sound host = ReadSound(Out("host.wav")), lv2 = ReadSound(Out("lv2.wav"));
  ASSERT_EQ(lv2.samples.size(), host.samples.size());
  ASSERT_FALSE(host.samples.empty());
  for (int channel = 0; channel < 2; ++channel) {
    EXPECT_LE(LargestDifference(host.samples, lv2.samples, channel), 1e-6 * ChannelPeak(host.samples, channel));
  }
}

// ---- Switches and choices, whichever way their values arrive ----

constexpr int kRouteFrames = 4096;
constexpr UInt32 kRouteBlock = 512;
constexpr UInt32 kTiltID = 0;

// A switch or a choice of the example, its texts for 0 and 1.
struct Choice {
  const char* name;
  const char* symbol;
  AudioUnitParameterID id;
  const char* texts[2];
};
const Choice kMode = {"Mode", "mode", 3, {"Gentle", "Steep"}};
const Choice kMono = {"Mono", "mono", 4, {"off", "on"}};

// What the plug-in holds for the parameter, the text it shows for that, and the left output of a
// stereo render: two different channels, so that Mono is heard, tilted, so that Mode is.
struct Outcome {
  double stored = std::numeric_limits<double>::quiet_NaN();
  std::string shown;
  std::vector<float> heard;
};

std::vector<float> Channel(int which) {
  const std::vector<float> signal = korv_test::TestSignal(2 * kRouteFrames);
  return {signal.begin() + which * kRouteFrames, signal.begin() + (which + 1) * kRouteFrames};
}

// The example's unit opened in this process as korval-host opens it.
std::unique_ptr<HostedUnit> OpenExampleUnit() {
  static const std::string registered = RegisterBundle(kBundle);
  EXPECT_EQ(registered, "");
  std::string error;
  std::unique_ptr<HostedUnit> unit =
      HostedUnit::Open({kAudioUnitType_Effect, MakeFourCharCode("Slt1"), MakeFourCharCode("Qlmr"), 0, 0}, &error);
  EXPECT_TRUE(unit) << error;
  return unit;
}

// Each route applies a value to a fresh instance tilted by 6 dB and observes it.
class SwitchRoutes : public ::testing::Test {
 public:
  using Apply = Outcome (SwitchRoutes::*)(const Choice&, double);

  std::unique_ptr<HostedUnit> OpenTiltedUnit() {
    std::unique_ptr<HostedUnit> unit = OpenExampleUnit();
    if (unit) {
      EXPECT_EQ(unit->SetParameter(kTiltID, 6.0f), noErr);
    }
    return unit;
  }

  std::string Shown(const Choice& choice, double value) {
    std::unique_ptr<HostedUnit> unit = OpenExampleUnit();
    return unit ? unit->DisplayValue(choice.id, static_cast<AudioUnitParameterValue>(value)) : "";
  }

  Outcome Observe(HostedUnit& unit, const Choice& choice) {
    Outcome outcome;
    AudioUnitParameterValue value = -1;
    EXPECT_EQ(unit.GetParameter(choice.id, &value), noErr);
    outcome.stored = value;
    outcome.shown = unit.DisplayValue(choice.id, value);
    EXPECT_EQ(unit.Configure(48000, 2, kRouteBlock), noErr);
    BlockRenderer renderer(unit, 2, kRouteBlock, RenderRoute::kEntry);
    EXPECT_EQ(renderer.Connect(), noErr);
    EXPECT_EQ(AudioUnitInitialize(unit.Unit()), noErr);
    const std::vector<float> channels[2] = {Channel(0), Channel(1)};
    for (UInt32 done = 0; done < static_cast<UInt32>(kRouteFrames); done += kRouteBlock) {
      for (UInt32 c = 0; c < 2; ++c) std::copy_n(channels[c].begin() + done, kRouteBlock, renderer.Input(c));
      EXPECT_EQ(renderer.Render(kRouteBlock), noErr);
      outcome.heard.insert(outcome.heard.end(), renderer.Output(0), renderer.Output(0) + kRouteBlock);
    }
    return outcome;
  }

  // The unit's state with the value in place of the parameter's.
  CFRef<CFPropertyListRef> StateHolding(const HostedUnit& unit, const Choice& choice, double value) {
    CFRef<CFPropertyListRef> saved;
    EXPECT_EQ(unit.SaveState(&saved), noErr);
    const auto dictionary = static_cast<CFDictionaryRef>(saved.Get());
    CFRef<CFStringRef> dataKey = MakeCFString("data");
    const auto data = static_cast<CFDataRef>(CFDictionaryGetValue(dictionary, dataKey.Get()));
    std::vector<UInt8> bytes(CFDataGetBytePtr(data), CFDataGetBytePtr(data) + CFDataGetLength(data));
    std::memcpy(bytes.data() + choice.id * sizeof(double), &value, sizeof(value));
    CFRef<CFDataRef> patched(CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size())));
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionaryApplyFunction(
        dictionary,
        [](const void* key, const void* entry, void* target) {
          CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(target), key, entry);
        },
        copy);
    CFDictionarySetValue(copy, dataKey.Get(), patched.Get());
    return CFRef<CFPropertyListRef>(copy);
  }

  Outcome ViaParamOption(const Choice& choice, double value) {
    std::unique_ptr<HostedUnit> unit = OpenTiltedUnit();
    char text[64];
    std::snprintf(text, sizeof(text), "%s=%.9g", choice.name, value);
    EXPECT_EQ(ApplyParameterTexts(*unit, {text}), kExitOk);
    return Observe(*unit, choice);
  }

  Outcome ViaPresetFile(const Choice& choice, double value) {
    std::unique_ptr<HostedUnit> unit = OpenTiltedUnit();
    const std::string path = mDir.Path("switch.aupreset");
    EXPECT_EQ(WritePresetFile(path, StateHolding(*unit, choice, value).Get()), "");
    CFRef<CFPropertyListRef> read;
    EXPECT_EQ(ReadPresetFile(path, &read), "");
    EXPECT_EQ(unit->RestoreState(read.Get()), noErr);
    return Observe(*unit, choice);
  }

  Outcome ViaAUState(const Choice& choice, double value) {
    std::unique_ptr<HostedUnit> unit = OpenTiltedUnit();
    EXPECT_EQ(unit->RestoreState(StateHolding(*unit, choice, value).Get()), noErr);
    return Observe(*unit, choice);
  }

  Outcome ViaAUParameter(const Choice& choice, double value) {
    std::unique_ptr<HostedUnit> unit = OpenTiltedUnit();
    EXPECT_EQ(unit->SetParameter(choice.id, static_cast<AudioUnitParameterValue>(value)), noErr);
    return Observe(*unit, choice);
  }

  // What the instance holds is what it saves; the text is the one the plug-in shows for that.
  Outcome ObserveLV2(korv_test::TestInstance& instance, const Choice& choice) {
    Outcome outcome;
    const std::vector<float> right = Channel(1);
    outcome.heard = instance.Render(Channel(0), static_cast<int>(kRouteBlock), false, &right);
    const std::vector<unsigned char> chunk = instance.Chunk();
    EXPECT_GE(chunk.size(), (choice.id + 1) * sizeof(double));
    if (chunk.size() >= (choice.id + 1) * sizeof(double))
      std::memcpy(&outcome.stored, chunk.data() + choice.id * sizeof(double), sizeof(double));
    outcome.shown = Shown(choice, outcome.stored);
    return outcome;
  }

  Outcome ViaLV2Port(const Choice& choice, double value) {
    korv_test::TestInstance instance(mLV2);
    instance.Control("tilt") = 6.0f;
    instance.Control(choice.symbol) = static_cast<float>(value);
    return ObserveLV2(instance, choice);
  }

  // As a host that restores the state alone: the parameter's port names no value.
  Outcome ViaLV2State(const Choice& choice, double value) {
    korv_test::TestInstance instance(mLV2);
    instance.Control("tilt") = 6.0f;
    instance.Control(choice.symbol) = std::numeric_limits<float>::quiet_NaN();
    std::vector<unsigned char> chunk = instance.Chunk();
    EXPECT_GE(chunk.size(), (choice.id + 1) * sizeof(double));
    if (chunk.size() < (choice.id + 1) * sizeof(double)) return {};
    std::memcpy(chunk.data() + choice.id * sizeof(double), &value, sizeof(value));
    EXPECT_EQ(instance.RestoreChunk(chunk.data(), chunk.size(), mLV2.Urids().Id(LV2_ATOM__Chunk)), LV2_STATE_SUCCESS);
    return ObserveLV2(instance, choice);
  }

  TempDir mDir;
  korv_test::LilvTestHost mLV2{KORV_EXAMPLE_LV2_BUNDLE_DIR, "urn:quillmereaudio:slantwise"};
};

// Mono and Mode hold whole values whichever way a value arrives, and what they show is what is heard;
// an LV2 host's toggled port is on above 0.
TEST_F(SwitchRoutes, HoldWholeValuesAndSoundAsTheyShow) {
  struct Route {
    const char* name;
    Apply apply;
    bool lv2, throughPort;
  };
  const Route routes[] = {{"--param", &SwitchRoutes::ViaParamOption, false, false},
                          {"preset file", &SwitchRoutes::ViaPresetFile, false, false},
                          {"AU state", &SwitchRoutes::ViaAUState, false, false},
                          {"AU parameter call", &SwitchRoutes::ViaAUParameter, false, false},
                          {"LV2 control port", &SwitchRoutes::ViaLV2Port, true, true},
                          {"LV2 state", &SwitchRoutes::ViaLV2State, true, false}};
  struct Case {
    const Choice* choice;
    double sent;
    // What the parameter holds, and what it holds when the value comes through its LV2 port (Mono's
    // is declared toggled).
    double whole, wholeThroughPort;
  };
  const Case cases[] = {{&kMono, 0.7, 1, 1}, {&kMono, 0.3, 0, 1}, {&kMono, 1e-45, 0, 1},
                        {&kMode, 0.7, 1, 1}, {&kMode, 0.3, 0, 0}};

  // What each host hears for a whole value, set where no rounding is involved.
  std::map<std::tuple<bool, const Choice*, double>, std::vector<float>> reference;
  for (bool lv2 : {false, true}) {
    for (const Choice* choice : {&kMono, &kMode}) {
      for (double whole : {0.0, 1.0})
        reference[{lv2, choice, whole}] = (this->*(lv2 ? &SwitchRoutes::ViaLV2Port : &SwitchRoutes::ViaAUParameter))(
                                              *choice, whole).heard;
      ASSERT_NE(reference[std::make_tuple(lv2, choice, 0.0)], reference[std::make_tuple(lv2, choice, 1.0)])
          << choice->name << " is not heard";
    }
  }
  for (const Route& route : routes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(route.name) + ": " + c.choice->name + " " + std::to_string(c.sent));
      const double whole = route.throughPort ? c.wholeThroughPort : c.whole;
      const Outcome outcome = (this->*route.apply)(*c.choice, c.sent);
      EXPECT_EQ(outcome.stored, whole);
      EXPECT_EQ(outcome.shown, c.choice->texts[whole != 0.0]);
      EXPECT_TRUE(outcome.heard == reference[std::make_tuple(route.lv2, c.choice, whole)]);
    }
  }
}

// A fresh instance holds the defaults; the preset it names must be the one holding them.
TEST(SlantwiseUnit, AFreshUnitNamesThePresetItHolds) {
  std::unique_ptr<HostedUnit> fresh = OpenExampleUnit();
  ASSERT_TRUE(fresh);
  AUPreset present{};
  ASSERT_EQ(GetPropertyValue(fresh->Unit(), kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &present),
            noErr);
  CFRef<CFStringRef> name(present.presetName);
  EXPECT_EQ(ToUtf8(name.Get()), "Default");
  CFRef<CFPropertyListRef> before, after;
  ASSERT_EQ(fresh->SaveState(&before), noErr);
  ASSERT_EQ(AudioUnitSetProperty(fresh->Unit(), kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &present,
                                 sizeof(present)),
            noErr);
  ASSERT_EQ(fresh->SaveState(&after), noErr);
  EXPECT_TRUE(CFEqual(before.Get(), after.Get())) << "choosing the preset it names changes nothing";
}

}  // namespace
