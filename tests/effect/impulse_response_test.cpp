#include "effect/impulse_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(ImpulseResponse, ComesInEqualAdjacentPairsOfFiniteSamples) {
  for (int k = 0; k < kKorvalineIRLength / 2; ++k) {
    ASSERT_TRUE(std::isfinite(kKorvalineIR[2 * k])) << 2 * k;
    ASSERT_EQ(kKorvalineIR[2 * k], kKorvalineIR[2 * k + 1]) << "pair " << k;
  }
}

TEST(ImpulseResponse, BeginsWithTheDirectPulse) {
  const long expected[] = {716, 716, 2285, 2285, -731, -731};  // in units of 1e-4
  for (int i = 0; i < 6; ++i) EXPECT_EQ(std::lround(kKorvalineIR[i] * 1e4), expected[i]) << i;
}

TEST(ImpulseResponse, LargestMagnitudeOnlyAtIndicesTwoAndThree) {
  const float peak = std::fabs(kKorvalineIR[2]);
  EXPECT_EQ(std::lround(peak * 1e4), 2285);
  for (int i = 0; i < kKorvalineIRLength; ++i) {
    if (i == 2 || i == 3) continue;
    ASSERT_LT(std::fabs(kKorvalineIR[i]), peak) << i;
  }
}

TEST(ImpulseResponse, SilentFromIndex201446) {
  EXPECT_NE(kKorvalineIR[201445], 0.0f);
  for (int i = 201446; i < kKorvalineIRLength; ++i) ASSERT_EQ(kKorvalineIR[i], 0.0f) << i;
}

TEST(ImpulseResponse, SumAndSumOfSquares) {
  double sum = 0.0, sumOfSquares = 0.0;
  for (float x : kKorvalineIR) {
    sum += x;
    sumOfSquares += static_cast<double>(x) * x;
  }
  EXPECT_EQ(std::llround(sum * 1e5), -2695) << sum;
  EXPECT_EQ(std::llround(sumOfSquares * 1e5), 13214) << sumOfSquares;
}

// The room's tail must die away smoothly: energy in consecutive 200 ms windows keeps falling,
// by between 2 and 12 dB a window (a local RT60 between 1 and 6 s), until the response ends.
TEST(ImpulseResponse, TailDecaysSmoothly) {
  const int window = static_cast<int>(0.2 * kKorvalineIRSampleRate);
  std::vector<double> energyDb;
  for (int start = window; start + window <= 201446; start += window) {
    double e = 0.0;
    for (int i = start; i < start + window; ++i) e += static_cast<double>(kKorvalineIR[i]) * kKorvalineIR[i];
    energyDb.push_back(10.0 * std::log10(e));
  }
  ASSERT_GT(energyDb.size(), 20u);
  for (size_t w = 1; w < energyDb.size(); ++w) {
    const double drop = energyDb[w - 1] - energyDb[w];
    EXPECT_GT(drop, 2.0) << "window " << w;
    EXPECT_LT(drop, 12.0) << "window " << w;
  }
}

}  // namespace
