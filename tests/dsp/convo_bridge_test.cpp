// The bridged first outputs of a block must be the circular convolution the block's whole
// transforms give, to rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "convolution_test_support.h"
#include "dsp/convo_bridge.h"

namespace {

TEST(Bridge, FirstOutputsAreTheBlocksCircularConvolution) {
  struct Case {
    int block, head;
  };
  for (const Case& c : {Case{64, 32}, Case{1024, 64}, Case{16384, 1024}}) {
    const int n = 2 * c.block;
    const std::vector<double> kernel = conv_test::Noise(n, 31), x = conv_test::Noise(c.block, 32);
    BRM_CONVO_Bridge bridge;
    ASSERT_TRUE(bridge.Build(kernel.data(), c.block, c.head));
    for (int lane = 0; lane < 2; ++lane) {
      bridge.Begin(lane);
      for (int k = 0; k < bridge.GetChunks(); ++k) bridge.AddChunk(lane, x.data() + k * c.head);
    }
    std::vector<double> got(c.head);
    bridge.Output(1, got.data());
    for (int t = 0; t < c.head; ++t) {
      long double want = 0, scale = 0;
      for (int m = 0; m < c.block; ++m) {
        const long double term = static_cast<long double>(x[m]) * kernel[((t - m) % n + n) % n];
        want += term;
        scale += std::fabs(term);
      }
      ASSERT_NEAR(got[t], static_cast<double>(want), 1e-14 * static_cast<double>(scale)) << c.block << " t=" << t;
    }
  }
}

TEST(Bridge, SizesItCannotCutAreRefused) {
  const std::vector<double> kernel(4096, 1.0);
  BRM_CONVO_Bridge bridge;
  for (auto [block, head] : {std::pair{2048, 16}, {2048, 48}, {1024, 2048}, {3000, 1000}}) {
    EXPECT_FALSE(bridge.Build(kernel.data(), block, head)) << block << " " << head;
  }
  EXPECT_FALSE(bridge.Build(nullptr, 2048, 64));
  EXPECT_EQ(0, bridge.GetChunks());
}

}  // namespace
