// korval-host render goes on after the input for the unit's tail, as long as asked or as the reverb rings.
#include <gtest/gtest.h>

#include <cmath>

#include "host/unit/hosted_unit.h"
#include "host/unit/silence_watch.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

constexpr int kRate = 8000, kFrames = 2000;

// The tail the unit reports once prepared for kRate, in frames.
long ReportedTailFrames() {
  EXPECT_EQ(RegisterBundle(KORV_TEST_BUNDLE_DIR), "");
  std::string error;
  std::unique_ptr<HostedUnit> unit =
      HostedUnit::Open({kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0}, &error);
  EXPECT_NE(unit, nullptr) << error;
  Float64 seconds = 0;
  if (!unit || unit->Configure(kRate, 1, 512) != noErr || AudioUnitInitialize(unit->Unit()) != noErr ||
      GetPropertyValue(unit->Unit(), kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &seconds) != noErr)
    ADD_FAILURE() << "no tail time";
  return std::lround(seconds * kRate);
}

class HostTail : public ::testing::Test {
 protected:
  void SetUp() override { WriteTestSound(mDir.Path("in.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames, kRate); }

  Sound Render(std::vector<std::string> options) {
    std::vector<std::string> arguments{"render", mDir.Path("in.wav"), mDir.Path("out.wav")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    return ReadSound(mDir.Path("out.wav"));
  }

  TempDir mDir;
};

TEST_F(HostTail, ByDefaultTheReverbRingsOnUntilItsLastAudibleFrame) {
  const long tailLimit = ReportedTailFrames();
  long quieter = 0;
  for (const char* out : {"Out=0", "Out=15"}) {
    const Sound output = Render({"--param", out});
    const long tail = static_cast<long>(output.samples.size()) - kFrames;
    ASSERT_GT(tail, kRate) << out << ": the reverb rings for seconds";
    EXPECT_GT(tail, quieter + kRate / 4) << out << ": a louder reverb takes longer to die away";
    EXPECT_LT(tail, tailLimit) << out << ": the render stops once the output has been quiet for a second";
    quieter = tail;
    float audible = 0;
    for (long i = kFrames; i < kFrames + kRate / 10; ++i) audible = std::max(audible, std::abs(output.samples[i]));
    EXPECT_GT(audible, 1e-3f) << out << ": the tail starts as the reverb of the input";
    EXPECT_GE(std::abs(output.samples.back()), SilenceWatch::kQuietLevel)
        << out << ": the quiet second that ends the render is not written";
  }
  EXPECT_EQ(Render({"--param", "Wet=0"}).samples.size(), static_cast<size_t>(kFrames))
      << "the dry signal alone ends with the input: no tail of silence";
}

TEST_F(HostTail, AGivenTailIsRenderedToTheFrame) {
  for (const auto& [seconds, frames] : {std::pair{"0", 0}, {"0.25", kRate / 4}, {"1e-9", 0}, {"12", 12 * kRate}}) {
    EXPECT_EQ(Render({"--tail", seconds}).samples.size(), static_cast<size_t>(kFrames + frames)) << seconds;
  }
}

}  // namespace
