// The audio path of the convolution engines allocates nothing once it has seen a block of the
// host's size: every queue and work buffer is sized on the first call.
#include <gtest/gtest.h>

#include "convolution_test_support.h"
#include "dsp/convolution_engine.h"
#include "dsp/convolution_engine_div.h"
#include "support/alloc_counter.h"

namespace {

template <class Engine>
long AllocationsWhileStreaming(Engine& engine, int block, int channels, int samples) {
  std::vector<double> left = conv_test::Noise(block, 1), right = conv_test::Noise(block, 2);
  double* ptrs[2] = {left.data(), right.data()};
  auto cycle = [&] {
    engine.Add(ptrs, block, channels);
    const int ready = engine.Avail(block);
    double** out = engine.Get();
    volatile double sink = ready > 0 ? out[0][ready - 1] : 0.0;
    (void)sink;
    engine.Advance(ready);
  };
  cycle();
  korv_test::AllocationScope scope;
  for (int done = block; done < samples; done += block) cycle();
  return scope.Count();
}

class DividedAllocations : public ::testing::TestWithParam<int> {};

// 70000 taps reach the 32768-point engine; the stream passes several of its blocks.
TEST_P(DividedAllocations, NoneAfterTheFirstBlock) {
  if (!korv_test::CountsMalloc()) GTEST_SKIP() << "the engines allocate through malloc, uncounted in this build";
  BRM_ImpulseBuffer impulse;
  conv_test::Fill(impulse, conv_test::DecayingNoise(70000, 3));
  for (int channels : {1, 2}) {
    BRM_ConvolutionEngine_Div div;
    div.SetImpulse(&impulse);
    EXPECT_EQ(AllocationsWhileStreaming(div, GetParam(), channels, 3 * 16384 + 5000), 0) << channels << " channels";
  }
}

INSTANTIATE_TEST_SUITE_P(Blocks, DividedAllocations, ::testing::Values(1, 7, 64, 256, 4096));

TEST(EngineAllocations, NoneAfterTheFirstBlockInEveryMode) {
  if (!korv_test::CountsMalloc()) GTEST_SKIP() << "the engines allocate through malloc, uncounted in this build";
  BRM_ImpulseBuffer mono, stereo;
  conv_test::Fill(mono, conv_test::Noise(3000, 4));
  const std::vector<double> left = conv_test::Noise(3000, 5), right = conv_test::Noise(3000, 6);
  conv_test::Fill(stereo, left, &right);
  for (int block : {7, 300}) {
    BRM_ConvolutionEngine fft, pair, direct, stereoImpulse;
    fft.SetImpulse(&mono, 256);
    pair.SetImpulse(&mono, 256);
    direct.SetImpulse(&mono, -1, 0, 500, true);
    stereoImpulse.SetImpulse(&stereo, 512);
    EXPECT_EQ(AllocationsWhileStreaming(fft, block, 1, 20000), 0) << block;
    EXPECT_EQ(AllocationsWhileStreaming(pair, block, 2, 20000), 0) << block;
    EXPECT_EQ(AllocationsWhileStreaming(direct, block, 2, 20000), 0) << block;
    EXPECT_EQ(AllocationsWhileStreaming(stereoImpulse, block, 2, 20000), 0) << block;
  }
}

}  // namespace
