// A real transform done in pieces must give the bits of the whole transform, however the work
// is divided.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "dsp/fft.h"
#include "dsp/fft_stepped.h"

namespace {

TEST(SteppedRealFft, EveryDivisionOfTheWorkGivesTheBitsOfTheWholeTransform) {
  struct Case {
    int len, leaf, steps;
  };
  const Case cases[] = {{64, 32, 1}, {64, 32, 3}, {1024, 32, 7}, {4096, 256, 100}, {32768, 1024, 16}, {32768, 2048, 1000}};
  std::mt19937 rng(5);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (const Case& c : cases) {
    BRM_SteppedRealFFT stepped;
    ASSERT_TRUE(stepped.Build(c.len, c.leaf));
    for (int inverse : {0, 1}) {
      std::vector<double> ours(c.len), whole(c.len);
      for (double& v : ours) v = normal(rng);
      whole = ours;
      BRM_real_fft(whole.data(), c.len, inverse);
      stepped.Start(ours.data(), inverse);
      for (int s = 1; s < c.steps; ++s) stepped.StepTo(s, c.steps);
      stepped.StepTo(c.steps, c.steps);
      EXPECT_FALSE(stepped.Busy());
      EXPECT_EQ(0, std::memcmp(ours.data(), whole.data(), sizeof(double) * c.len)) << c.len << " " << inverse;
    }
  }
}

TEST(SteppedRealFft, UnsupportedLengthsAreRefused) {
  BRM_SteppedRealFFT stepped;
  for (int len : {0, 32, 48, 65536}) EXPECT_FALSE(stepped.Build(len)) << len;
  double buf[64] = {};
  stepped.Start(buf, 0);
  EXPECT_FALSE(stepped.Busy());
}

}  // namespace
