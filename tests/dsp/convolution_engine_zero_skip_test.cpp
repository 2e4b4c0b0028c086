// Silent stretches of an impulse are neither stored nor multiplied, and an impulse with nothing
// audible costs no transform: the output must stay the same to the bit as the engine's that
// stores and visits every block, for every way of cutting the stream into calls.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "convolution_test_support.h"
#include "dsp/convolution_engine_div.h"
#include "support/alloc_counter.h"

namespace {

using conv_test::Noise;
using conv_test::StreamCalls;

constexpr int kTaps = 70000;

// Silent at the start (the direct part, the 128- to 2048-point engines and the 8192-point
// engine's first block), in the middle (the 32768-point engine's second block) and at the end
// (its last block).
std::vector<double> GappedImpulse(unsigned seed, int middleFrom, int middleTo) {
  std::vector<double> h = conv_test::DecayingNoise(kTaps, seed);
  std::fill(h.begin(), h.begin() + 9000, 0.0);
  std::fill(h.begin() + middleFrom, h.begin() + middleTo, 0.0);
  std::fill(h.begin() + 60000, h.end(), 0.0);
  return h;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(double) * a.size()) == 0;
}

struct StoredWork {
  int impulseBlocks = 0, ringBlocks = 0, silentEngines = 0;
};

StoredWork Count(const BRM_ConvolutionEngine_Div& div) {
  StoredWork w;
  for (int i = 0; i < div.GetEngineCount(); ++i) {
    w.impulseBlocks += div.GetEngine(i)->GetStoredImpulseBlocks();
    w.ringBlocks += div.GetEngine(i)->GetRingBlocks();
    w.silentEngines += div.GetEngine(i)->IsSilent();
  }
  return w;
}

struct Layout {
  const char* name;
  int channels;
  bool stereoImpulse;
  bool allZero;
};

class ZeroSkipping : public ::testing::TestWithParam<Layout> {};

TEST_P(ZeroSkipping, GivesTheSameBitsAsVisitingEveryBlock) {
  const Layout setup = GetParam();
  std::vector<double> left = GappedImpulse(61, 30000, 50000), right = GappedImpulse(62, 12288, 16384);
  if (setup.allZero) left.assign(kTaps, 0.0);
  BRM_ImpulseBuffer impulse;
  conv_test::Fill(impulse, left, setup.stereoImpulse ? &right : nullptr);
  // Long enough for the 32768-point engine's shortened ring to wrap; with a silent stretch.
  std::vector<std::vector<double>> x;
  for (int c = 0; c < setup.channels; ++c) {
    x.push_back(Noise(90000, 63 + c));
    std::fill(x.back().begin() + 40000, x.back().begin() + 58000, 0.0);
  }

  BRM_ConvolutionEngine_Div literal;
  literal.SetZeroSkipping(false);
  literal.SetImpulse(&impulse);
  const auto want = StreamCalls(literal, x, {64});
  const StoredWork all = Count(literal);

  std::mt19937 rng(64);
  std::vector<int> randomSizes(97);
  for (int& s : randomSizes) s = std::uniform_int_distribution<int>(1, 700)(rng);
  for (const std::vector<int>& sizes : {std::vector<int>{1}, {7}, {64}, {4096}, randomSizes}) {
    BRM_ConvolutionEngine_Div div;
    div.SetImpulse(&impulse);
    const StoredWork skipped = Count(div);
    EXPECT_LT(skipped.impulseBlocks, all.impulseBlocks);
    EXPECT_LT(skipped.ringBlocks, all.ringBlocks);
    // The direct part and the 128-, 512- and 2048-point engines hear nothing (all six engines
    // with an all-zero impulse).
    EXPECT_EQ(skipped.silentEngines, setup.allZero ? 6 : 4);
    const auto got = StreamCalls(div, x, sizes);
    for (int c = 0; c < setup.channels; ++c)
      EXPECT_TRUE(SameBits(got[c], want[c])) << "channel " << c << ", calls of " << sizes[0];
  }
}

INSTANTIATE_TEST_SUITE_P(Impulses, ZeroSkipping,
                         ::testing::Values(Layout{"Mono", 1, false, false}, Layout{"PackedPair", 2, false, false},
                                           Layout{"StereoImpulse", 2, true, false}, Layout{"AllZero", 1, false, true},
                                           Layout{"AllZeroPair", 2, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ZeroSkipping, AllocatesNothingWhileStreaming) {
  if (!korv_test::CountsMalloc()) GTEST_SKIP() << "the engines allocate through malloc, uncounted in this build";
  for (bool allZero : {false, true}) {
    BRM_ImpulseBuffer impulse;
    conv_test::Fill(impulse, allZero ? std::vector<double>(kTaps, 0.0) : GappedImpulse(65, 30000, 50000));
    for (int block : {7, 256}) {
      BRM_ConvolutionEngine_Div div;
      div.SetImpulse(&impulse);
      const std::vector<double> x = Noise(block, 66);
      double* ptrs[1] = {const_cast<double*>(x.data())};
      auto cycle = [&] {
        div.Add(ptrs, block, 1);
        div.Advance(div.Avail(block));
      };
      cycle();
      korv_test::AllocationScope scope;
      for (int done = block; done < 5 * 16384; done += block) cycle();
      EXPECT_EQ(scope.Count(), 0) << "block " << block << (allZero ? ", all-zero impulse" : "");
    }
  }
}

}  // namespace
