// Summing each block's older products ahead of time changes only the order of additions: the
// output stays within rounding of the literal engine (whole sum when the block completes, the
// described staggering), and it does not depend on how the host cuts the stream into calls.
#include <gtest/gtest.h>

#include <random>

#include "convolution_test_support.h"
#include "dsp/convolution_engine.h"
#include "dsp/convolution_engine_div.h"

namespace {

using conv_test::Fill;
using conv_test::Noise;
using conv_test::StreamCalls;

std::vector<int> RandomSizes(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> size(1, 700);
  std::vector<int> sizes(97);
  for (int& s : sizes) s = size(rng);
  return sizes;
}

double Peak(const std::vector<double>& v) {
  double peak = 0;
  for (double x : v) peak = std::max(peak, std::fabs(x));
  return peak;
}

// 70000 taps reach the 32768-point engine; 54000 samples pass three of its blocks, one silent. The second
// channel (when present) exercises the packed pair of a mono impulse; a stereo impulse makes
// each channel sum on its own.
struct Layout {
  const char* name;
  int channels;
  bool stereoImpulse;
};

class Spreading : public ::testing::TestWithParam<Layout> {};

TEST_P(Spreading, MatchesTheLiteralEngineForEveryCallPattern) {
  const Layout setup = GetParam();
  const std::vector<double> left = conv_test::DecayingNoise(70000, 21), right = conv_test::DecayingNoise(70000, 22);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, left, setup.stereoImpulse ? &right : nullptr);
  std::vector<std::vector<double>> x = {Noise(54000, 23)};
  if (setup.channels == 2) x.push_back(Noise(54000, 24));
  // A silent stretch leaves whole blocks of every engine without a spectrum.
  for (auto& channel : x) std::fill(channel.begin() + 17000, channel.begin() + 34000, 0.0);

  BRM_ConvolutionEngine_Div literal;
  literal.SetSpreading(false);
  literal.SetImpulse(&impulse);
  const auto want = StreamCalls(literal, x, {64});

  std::vector<std::vector<double>> first;
  for (const std::vector<int>& sizes : {std::vector<int>{1}, {7}, {64}, {4096}, RandomSizes(25)}) {
    BRM_ConvolutionEngine_Div div;
    div.SetImpulse(&impulse);
    const auto got = StreamCalls(div, x, sizes);
    for (int c = 0; c < setup.channels; ++c) {
      const double tol = 1e-12 * Peak(want[c]);
      for (size_t t = 0; t < want[c].size(); ++t)
        ASSERT_NEAR(got[c][t], want[c][t], tol) << "channel " << c << " sample " << t << ", calls of " << sizes[0];
    }
    if (first.empty())
      first = got;
    else
      EXPECT_EQ(got, first) << "calls of " << sizes[0] << " give other bits than calls of 1";
  }
}

INSTANTIATE_TEST_SUITE_P(Channels, Spreading,
                         ::testing::Values(Layout{"Mono", 1, false}, Layout{"PackedPair", 2, false},
                                           Layout{"StereoImpulse", 2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Equal inputs with a stereo impulse share one transform; those blocks are summed whole, and
// switching between shared and separate blocks must not reuse a sum prepared for the other.
TEST(Spreading, SharedBlocksMatchTheLiteralEngine) {
  const std::vector<double> left = Noise(3000, 26), right = Noise(3000, 27);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, left, &right);
  std::vector<double> a = Noise(12000, 28), b = a;
  for (int t = 5000; t < 7000; ++t) b[t] = -a[t];
  BRM_ConvolutionEngine spread, literal;
  literal.SetSpreading(false);
  spread.SetImpulse(&impulse, 512);
  literal.SetImpulse(&impulse, 512);
  const auto got = conv_test::Stream(spread, {a, b}, 100), want = conv_test::Stream(literal, {a, b}, 100);
  for (int c = 0; c < 2; ++c) {
    ASSERT_EQ(got[c].size(), want[c].size());
    const double tol = 1e-12 * Peak(want[c]);
    for (size_t t = 0; t < want[c].size(); ++t) ASSERT_NEAR(got[c][t], want[c][t], tol) << c << " " << t;
  }
}

// Two channels of a mono impulse first out of step (each alone, through real transforms), then
// in step (a packed pair): the pair's sums read the blocks each channel took alone.
TEST(Spreading, ChannelsThatFallIntoStepKeepTheirOlderBlocks) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, conv_test::DecayingNoise(3000, 31));
  const std::vector<double> a = Noise(8192, 32), b = Noise(8192, 33);
  std::vector<double> got[2], want[2];
  for (bool spread : {true, false}) {
    BRM_ConvolutionEngine engine;
    engine.SetSpreading(spread);
    engine.SetImpulse(&impulse, 512);
    std::vector<double>* out = spread ? got : want;
    for (int at = 0; at < 8192; at += 256) {
      double* ptrs[2] = {const_cast<double*>(a.data()) + at, const_cast<double*>(b.data()) + at};
      engine.Add(ptrs, 256, 2);
      // Output held back on the first channel only: the first block is taken by each channel alone.
      if (at == 0) engine.AddSilenceToOutput(100, 1);
      const int ready = engine.Avail(256 + (at == 0 ? 100 : 0));
      for (int c = 0; c < 2; ++c) out[c].insert(out[c].end(), engine.Get()[c], engine.Get()[c] + ready);
      // Past the second channel's output, which brings both back into step.
      engine.Advance(at == 0 ? 356 : ready);
    }
  }
  for (int c = 0; c < 2; ++c) {
    ASSERT_EQ(got[c].size(), want[c].size());
    const double tol = 1e-12 * Peak(want[c]);
    for (size_t t = 0; t < want[c].size(); ++t) ASSERT_NEAR(got[c][t], want[c][t], tol) << c << " " << t;
  }
}

// A bridged engine against the literal one, on its own: a silent stretch (silent blocks, then no
// older products at all), an impulse whose first block is silent (blocks that only join the ring),
// and a stereo impulse, whose second channel bridges.
TEST(Bridging, MatchesTheLiteralEngineForEveryCallPattern) {
  struct Case {
    const char* name;
    int silentImpulseHead;
    bool stereoImpulse;
  };
  for (const Case& c : {Case{"mono", 0, false}, Case{"silent first block", 1024, false}, Case{"stereo impulse", 0, true}}) {
    std::vector<double> left = conv_test::DecayingNoise(9000, 41), right = conv_test::DecayingNoise(9000, 42);
    std::fill(left.begin(), left.begin() + c.silentImpulseHead, 0.0);
    BRM_ImpulseBuffer impulse;
    Fill(impulse, left, c.stereoImpulse ? &right : nullptr);
    const int channels = c.stereoImpulse ? 2 : 1;
    std::vector<std::vector<double>> x;
    for (int ch = 0; ch < channels; ++ch) {
      x.push_back(Noise(20000, 43 + ch));
      std::fill(x.back().begin() + 9000, x.back().begin() + 15000, 0.0);
    }
    BRM_ConvolutionEngine literal;
    literal.SetImpulse(&impulse, 2048);
    literal.SetSpreading(false);
    const auto want = conv_test::Stream(literal, x, 64);
    std::vector<std::vector<double>> first;
    for (int size : {1, 7, 64, 333, 4096}) {
      BRM_ConvolutionEngine bridged;
      bridged.SetImpulse(&impulse, 2048);
      bridged.SetBridging(true);
      ASSERT_TRUE(bridged.GetBridging()) << c.name;
      const auto got = conv_test::Stream(bridged, x, size);
      for (int ch = 0; ch < channels; ++ch) {
        ASSERT_EQ(got[ch].size(), want[ch].size()) << c.name;
        const double tol = 1e-12 * Peak(want[ch]);
        for (size_t t = 0; t < want[ch].size(); ++t)
          ASSERT_NEAR(got[ch][t], want[ch][t], tol) << c.name << " channel " << ch << " sample " << t;
      }
      if (first.empty())
        first = got;
      else
        EXPECT_EQ(got, first) << c.name << ": calls of " << size << " give other bits than calls of 1";
    }
  }
}

// With output to spare, a complete block is taken and transformed in the call before its output
// is due; turning spreading off in between must still give the block's whole sum.
TEST(Spreading, TurningItOffAfterABlockWasTakenEarlyKeepsTheOutput) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, conv_test::DecayingNoise(5000, 51));
  const std::vector<double> x = Noise(12288, 52);
  std::vector<double> got, want;
  for (bool switchOff : {false, true}) {
    BRM_ConvolutionEngine engine;
    engine.SetImpulse(&impulse, 2048);
    engine.SetSpreading(switchOff);
    engine.AddSilenceToOutput(1024 + 64, 1);
    std::vector<double>& out = switchOff ? got : want;
    for (int at = 0; at < 12288; at += 64) {
      double* ptrs[1] = {const_cast<double*>(x.data()) + at};
      engine.Add(ptrs, 64, 1);
      const int ready = std::min(engine.Avail(64), 64);
      out.insert(out.end(), engine.Get()[0], engine.Get()[0] + ready);
      engine.Advance(ready);
      if (switchOff && at + 64 == 5 * 1024) engine.SetSpreading(false);
    }
  }
  ASSERT_EQ(got.size(), want.size());
  const double tol = 1e-12 * Peak(want);
  for (size_t t = 0; t < want.size(); ++t) ASSERT_NEAR(got[t], want[t], tol) << t;
}

}  // namespace
