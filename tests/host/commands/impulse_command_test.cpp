// korval-host impulse writes the impulse the effect convolves with at a rate, for other convolvers.
#include <gtest/gtest.h>

#include <vector>

#include "effect/impulse_response.h"
#include "effect/resample.h"
#include "host_test_support.h"

using namespace korval_host_test;

namespace {

// What the effect's Reset hands its convolution engine at `rate`, as the file's floats.
std::vector<float> EffectImpulse(double rate) {
  const int length = ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, rate);
  std::vector<double> resampled(static_cast<size_t>(length));
  Resample(kKorvalineIR, kKorvalineIRLength, kKorvalineIRSampleRate, resampled.data(), length, rate);
  return std::vector<float>(resampled.begin(), resampled.end());
}

TEST(HostImpulse, WritesTheResampledImpulseAsMonoFloatWav) {
  TempDir dir;
  // The built-in rate copies the impulse; any other interpolates it. 48 kHz is the default.
  for (const auto& [rate, options] : {std::pair{44100, std::vector<std::string>{"--rate", "44100"}},
                                      std::pair{48000, std::vector<std::string>{}}}) {
    std::vector<std::string> arguments{"impulse", dir.Path("ir.wav")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const HostRun run = RunHost(arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const Sound written = ReadSound(dir.Path("ir.wav"));
    EXPECT_EQ(written.info.samplerate, rate);
    EXPECT_EQ(written.info.channels, 1);
    EXPECT_EQ(written.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const std::vector<float> expected = EffectImpulse(rate);
    ASSERT_EQ(written.samples.size(), expected.size()) << rate;
    EXPECT_TRUE(written.samples == expected) << rate << " Hz: the samples differ from the effect's";
  }
}

TEST(HostImpulse, RefusesBadOptionsAndLeavesNoFile) {
  TempDir dir;
  const std::string out = dir.Path("ir.wav");
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"impulse"}, "needs an output file"},
      // The impulse is KORVALINE's own: another unit's is not answered with it.
      {{"--component", "aufx:Slt1:Qlmr", "impulse", out}, "the unit aufx:Slt1:Qlmr is another plug-in"},
      {{"impulse", out, "--rate", "7999"}, "--rate takes"},
      {{"impulse", out, "--rate", "768001"}, "--rate takes"},
      {{"impulse", out, "--rate", "48k"}, "--rate takes"},
      {{"impulse", out, "--rate"}, "--rate needs a value"},
      {{"impulse", out, "--level", "1"}, "unexpected argument --level"},
      {{"impulse", out, dir.Path("second.wav")}, "unexpected argument"},
      {{"impulse", dir.Path("missing/ir.wav")}, "cannot write"}};
#ifdef KORV_FAULTY_BUNDLE_DIR
  cases.push_back({{"--bundle", KORV_FAULTY_BUNDLE_DIR, "impulse", out}, "the unit aufx:Tst1:Korv is another plug-in"});
#endif
  for (const auto& [arguments, message] : cases) {
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    EXPECT_TRUE(dir.Files().empty()) << run.output;
  }
}

}  // namespace
