#include "dsp/convolution_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "convolution_test_support.h"

namespace {

using conv_test::Case;
using conv_test::ExpectConvolution;
using conv_test::Fill;
using conv_test::Noise;
using conv_test::Stream;

class FFTModeAccuracy : public ::testing::TestWithParam<Case> {};

TEST_P(FFTModeAccuracy, MatchesDirectConvolutionDelayedByLatency) {
  const Case c = GetParam();
  const std::vector<double> h = conv_test::DecayingNoise(c.taps, 11);
  const std::vector<double> x = Noise(5000, 12);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine engine;
  const int latency = engine.SetImpulse(&impulse);
  EXPECT_EQ(latency, engine.GetFFTSize() / 2);
  const auto out = Stream(engine, {x}, c.block, c.taps + 2 * latency);
  ExpectConvolution(h, x, out[0], static_cast<int>(x.size()) + c.taps);
}

INSTANTIATE_TEST_SUITE_P(ImpulsesAndBlocks, FFTModeAccuracy,
                         ::testing::Values(Case{1, 1}, Case{1, 7}, Case{64, 4096}, Case{128, 7}, Case{129, 64},
                                           Case{1000, 1}, Case{1000, 7}, Case{1000, 4096}));

TEST(ConvolutionEngine, DirectModeHasNoLatencyAndKeepsTheCount) {
  const std::vector<double> h = Noise(37, 3);
  const std::vector<double> x = Noise(1000, 4);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine engine;
  EXPECT_EQ(engine.SetImpulse(&impulse, -1, 0, 0, true), 0);
  double* first[1] = {const_cast<double*>(x.data())};
  engine.Add(first, 7, 1);
  EXPECT_EQ(engine.Avail(7), 7);
  EXPECT_NEAR(engine.Get()[0][0], static_cast<double>(static_cast<float>(h[0])) * x[0], 1e-15);
  engine.Reset();
  const auto out = Stream(engine, {x}, 7);
  ASSERT_EQ(out[0].size(), x.size());
  ExpectConvolution(h, x, out[0], static_cast<int>(x.size()));
}

TEST(ConvolutionEngine, OffsetAndCapSelectPartOfTheImpulse) {
  const std::vector<double> h = Noise(300, 5);
  const std::vector<double> x = Noise(800, 6);
  const std::vector<double> part(h.begin() + 50, h.begin() + 150);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  for (bool direct : {false, true}) {
    BRM_ConvolutionEngine engine;
    engine.SetImpulse(&impulse, -1, 50, 100, direct);
    const auto out = Stream(engine, {x}, 64, 400);
    ExpectConvolution(part, x, out[0], static_cast<int>(x.size()));
  }
}

TEST(ConvolutionEngine, EmptyImpulsePassesAudioThroughWithoutDelay) {
  const std::vector<double> x = Noise(300, 7);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, std::vector<double>(10, 0.5));
  BRM_ConvolutionEngine offsetPastEnd;
  offsetPastEnd.SetImpulse(&impulse, -1, 10);
  EXPECT_EQ(Stream(offsetPastEnd, {x}, 64)[0], x);
  for (bool direct : {false, true}) {
    BRM_ConvolutionEngine noImpulse;
    noImpulse.SetImpulse(nullptr, -1, 0, 0, direct);
    EXPECT_EQ(Stream(noImpulse, {x}, 7)[0], x);
  }
  BRM_ConvolutionEngine neverSet;
  EXPECT_EQ(Stream(neverSet, {x, x}, 5)[1], x);
}

TEST(ConvolutionEngine, AvailReportsOnlyWholeBlocks) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, {1.0});
  BRM_ConvolutionEngine engine;
  EXPECT_EQ(engine.SetImpulse(&impulse), 16);
  EXPECT_EQ(engine.GetFFTSize(), 32);
  EXPECT_EQ(engine.Avail(10), 0) << "nothing added yet";
  const std::vector<double> x = Noise(16, 8);
  double* ptrs[1] = {const_cast<double*>(x.data())};
  engine.Add(ptrs, 10, 1);
  EXPECT_EQ(engine.Avail(10), 0);
  EXPECT_EQ(engine.Get()[0], nullptr);
  ptrs[0] += 10;
  engine.Add(ptrs, 6, 1);
  EXPECT_EQ(engine.Avail(16), 16);
  // The single tap is 1.0, so the first block is the input itself (to float precision).
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(engine.Get()[0][i], x[i], 1e-7);
}

TEST(ConvolutionEngine, ChoosesTheFFTSizeFromTheImpulse) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, Noise(100, 9));
  BRM_ConvolutionEngine engine;
  EXPECT_EQ(engine.SetImpulse(&impulse, -1), 128);
  EXPECT_EQ(engine.GetFFTSize(), 256);
  Fill(impulse, Noise(100000, 9));
  EXPECT_EQ(engine.SetImpulse(&impulse, -16), 16);
  EXPECT_EQ(engine.SetImpulse(&impulse, -20), 32) << "stops at the first power of two reaching the limit";
  EXPECT_EQ(engine.SetImpulse(&impulse, -1), 16384);
  EXPECT_EQ(engine.SetImpulse(&impulse, -100000), 16384) << "never beyond the largest transform";
  EXPECT_EQ(engine.SetImpulse(&impulse, 512), 256);
  EXPECT_EQ(engine.SetImpulse(&impulse, 1000), 16384) << "an unsupported size is chosen automatically";
}

// The filtered input values must leave no trace at all: the output equals that of zeros.
TEST(ConvolutionEngine, TinyInfiniteAndNaNInputsCountAsSilence) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, Noise(200, 10));
  std::vector<double> clean = Noise(2000, 11);
  std::vector<double> dirty = clean;
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), 1e-300, -3e-17};
  for (int i = 0; i < 5; ++i) {
    dirty[100 + 300 * i] = bad[i];
    clean[100 + 300 * i] = 0.0;
  }
  BRM_ConvolutionEngine a, b;
  a.SetImpulse(&impulse);
  b.SetImpulse(&impulse);
  EXPECT_EQ(Stream(a, {dirty}, 64, 600), Stream(b, {clean}, 64, 600));
}

TEST(ConvolutionEngine, ResetEqualsFresh) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, Noise(700, 12));
  const std::vector<double> warmup = Noise(1500, 13), x = Noise(3000, 14);
  for (bool direct : {false, true}) {
    BRM_ConvolutionEngine used, fresh;
    used.SetImpulse(&impulse, 128, 0, 0, direct);
    fresh.SetImpulse(&impulse, 128, 0, 0, direct);
    Stream(used, {warmup}, 100);
    used.Reset();
    EXPECT_EQ(Stream(used, {x}, 64), Stream(fresh, {x}, 64));
  }
}

// Two channels, a mono impulse: channels go through one transform together.
TEST(ConvolutionEngine, PairModeConvolvesBothChannels) {
  const std::vector<double> h = Noise(500, 15);
  const std::vector<double> left = Noise(3000, 16), right = Noise(3000, 17);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine engine;
  engine.SetImpulse(&impulse, 64);
  const auto out = Stream(engine, {left, right}, 7, 600);
  ExpectConvolution(h, left, out[0], 3500);
  ExpectConvolution(h, right, out[1], 3500);

  BRM_ConvolutionEngine silentRight;
  silentRight.SetImpulse(&impulse, 64);
  const auto half = Stream(silentRight, {left, right}, 64, 600, true);
  ExpectConvolution(h, left, half[0], 3500);
  for (double v : half[1]) ASSERT_NEAR(v, 0.0, 1e-12);
}

// Two channels, a stereo impulse: identical inputs share one transform, differing inputs don't.
// Moving into or out of sharing must not lose any part of either channel's history.
TEST(ConvolutionEngine, StereoImpulseWithSharedAndSeparateInput) {
  const std::vector<double> h0 = Noise(1000, 18), h1 = Noise(1000, 19);
  const std::vector<double> common = Noise(6000, 20), other = Noise(6000, 21);
  auto spliced = [](const std::vector<double>& head, const std::vector<double>& rest) {
    std::vector<double> v = rest;
    std::copy(head.begin(), head.begin() + 3072, v.begin());
    return v;
  };
  const std::vector<double> silence(6000, 0.0);
  const std::pair<std::vector<double>, std::vector<double>> inputs[] = {
      {common, common},
      {common, spliced(common, other)},
      {spliced(silence, common), spliced(other, common)},
  };
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h0, &h1);
  for (const auto& [first, second] : inputs) {
    BRM_ConvolutionEngine engine;
    engine.SetImpulse(&impulse, 64);
    const auto out = Stream(engine, {first, second}, 64, 1100);
    ExpectConvolution(h0, first, out[0], 7000);
    ExpectConvolution(h1, second, out[1], 7000);
  }
}

TEST(ConvolutionEngine, IdenticalStereoImpulseActsAsMono) {
  const std::vector<double> h = Noise(300, 22);
  const std::vector<double> left = Noise(2000, 23), right = Noise(2000, 24);
  BRM_ImpulseBuffer stereo, mono;
  Fill(stereo, h, &h);
  Fill(mono, h);
  BRM_ConvolutionEngine a, b;
  a.SetImpulse(&stereo, 128);
  b.SetImpulse(&mono, 128);
  EXPECT_EQ(Stream(a, {left, right}, 64, 300), Stream(b, {left, right}, 64, 300));
}

TEST(ConvolutionEngine, NewImpulseKeepsPendingAudio) {
  const std::vector<double> h = Noise(100, 25);
  const std::vector<double> x = Noise(1000, 26);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine engine;
  engine.SetImpulse(&impulse, 256);
  double* ptrs[1] = {const_cast<double*>(x.data())};
  engine.Add(ptrs, 100, 1);
  engine.SetImpulse(&impulse, 256);
  ptrs[0] += 100;
  engine.Add(ptrs, 900, 1);
  ASSERT_EQ(engine.Avail(1000), 896) << "seven whole blocks of 128";
  std::vector<double> out(engine.Get()[0], engine.Get()[0] + 896);
  ExpectConvolution(h, x, out, 896);
}

TEST(ConvolutionEngine, AddSilenceToOutputDelaysTheResult) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, {0.5});
  BRM_ConvolutionEngine engine;
  engine.SetImpulse(&impulse, -1, 0, 0, true);
  const std::vector<double> x = Noise(10, 27);
  double* ptrs[1] = {const_cast<double*>(x.data())};
  engine.Add(ptrs, 10, 1);
  engine.AddSilenceToOutput(5, 1);
  ASSERT_EQ(engine.Avail(15), 15);
  EXPECT_EQ(engine.Get()[0][10], 0.0);
  EXPECT_EQ(engine.Get()[0][9], static_cast<double>(0.5f) * x[9]);
}

TEST(ConvolutionEngine, BadArgumentsAreHarmless) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, Noise(50, 28));
  BRM_ConvolutionEngine engine;
  engine.SetImpulse(&impulse, -1, -5, -3, false);
  EXPECT_EQ(engine.GetLatency(), 64) << "a negative offset and cap count as none";
  double* none = nullptr;
  engine.Add(&none, -4, 1);
  engine.Add(&none, 10, 0);
  engine.Add(nullptr, 10, 7);
  EXPECT_EQ(engine.Avail(-3), 0);
  engine.Advance(-10);
  engine.Advance(1 << 26);
  EXPECT_EQ(engine.Avail(0), 0);
  engine.AddSilenceToOutput(-1, 2);
}

TEST(ImpulseBuffer, ChannelsAndLength) {
  BRM_ImpulseBuffer buffer;
  EXPECT_EQ(buffer.GetNumChannels(), 1);
  EXPECT_EQ(buffer.m_samplerate, 44100.0);
  EXPECT_EQ(buffer.SetLength(4), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(buffer.m_channel_data[0].Get()[i], 0.0);
  buffer.m_channel_data[0].Get()[3] = 2.5;
  buffer.SetNumChannels(5);
  EXPECT_EQ(buffer.GetNumChannels(), 2);
  EXPECT_EQ(buffer.m_channel_data[1].GetSize(), 4);
  EXPECT_EQ(buffer.m_channel_data[1].Get()[3], 2.5);
  EXPECT_EQ(buffer.SetLength(6), 6);
  EXPECT_EQ(buffer.m_channel_data[1].Get()[3], 2.5);
  EXPECT_EQ(buffer.m_channel_data[1].Get()[5], 0.0);
  buffer.SetNumChannels(0);
  EXPECT_EQ(buffer.GetNumChannels(), 1);
  EXPECT_EQ(buffer.m_channel_data[1].GetSize(), 0);
  EXPECT_EQ(buffer.GetLength(), 6);
  EXPECT_EQ(buffer.SetLength(-3), 0);
}

}  // namespace
