// The example plug-in, Slantwise EQ, opened from its bundles the way hosts open it: korval-host finds
// the unit in the component bundle's Info.plist, and lv2apply runs the LV2 bundle.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace {

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

}  // namespace
