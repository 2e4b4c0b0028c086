#include "dsp/convo_cplxmul.h"
#include "dsp/convo_direct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

TEST(ConvoDirect, Avx2MatchesScalarBitForBit) {
  if (!brm_convo::CpuHasAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (int count : {1, 3, 4, 5, 64, 67}) {
    for (int len : {1, 2, 4, 7, 64, 131}) {
      std::vector<float> taps(count);
      std::vector<double> history(count + len);
      for (float& t : taps) t = static_cast<float>(dist(rng));
      for (double& x : history) x = dist(rng) * std::ldexp(1.0, static_cast<int>(rng() % 40) - 20);
      std::vector<double> want(len), got(len);
      brm_convo::DirectConvolveScalar(taps.data(), count, history.data(), want.data(), len);
      brm_convo::DirectConvolveAvx2(taps.data(), count, history.data(), got.data(), len);
      ASSERT_EQ(std::memcmp(want.data(), got.data(), sizeof(double) * len), 0) << count << " taps, " << len << " outputs";
    }
  }
}

TEST(ConvoDirect, ScalarSumsTapsTimesReversedHistory) {
  const float taps[] = {3, 2, 1, 0.5f, 4};
  const double history[] = {1, 10, 100, 1000, 10000, 2};
  double out[2];
  brm_convo::DirectConvolveScalar(taps, 5, history, out, 2);
  EXPECT_EQ(out[0], 3 + 20 + 100 + 500 + 40000);
  EXPECT_EQ(out[1], 30 + 200 + 1000 + 5000 + 8);
}

}  // namespace
