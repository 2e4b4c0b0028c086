#include "effect/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "effect/impulse_response.h"

namespace {

std::vector<double> ResampledIR(double rate) {
  std::vector<double> out(ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, rate), -1.0);
  Resample(kKorvalineIR, kKorvalineIRLength, kKorvalineIRSampleRate, out.data(), static_cast<int>(out.size()), rate);
  return out;
}

TEST(ResampleLength, ScalesTheStoredLengthToCommonRates) {
  const struct {
    double rate;
    int length;
  } cases[] = {{44100, 384000}, {48000, 417959}, {88200, 768000}, {96000, 835918}, {192000, 1671837}, {32000, 278639}};
  for (const auto& c : cases) EXPECT_EQ(ResampleLength(kKorvalineIRLength, 44100.0, c.rate), c.length) << c.rate;
}

TEST(ResampleLength, RatesWithoutARepresentableLengthGiveZero) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double rate : {0.0, -48000.0, std::nan(""), inf, -inf, 1e300}) {
    EXPECT_EQ(ResampleLength(kKorvalineIRLength, 44100.0, rate), 0) << rate;
  }
  EXPECT_EQ(ResampleLength(kKorvalineIRLength, 0.0, 48000.0), 0);
}

TEST(Resample, AtTheStoredRateCopiesEverySampleExactly) {
  const std::vector<double> out = ResampledIR(44100.0);
  ASSERT_EQ(out.size(), static_cast<size_t>(kKorvalineIRLength));
  for (int i = 0; i < kKorvalineIRLength; ++i) ASSERT_EQ(out[i], static_cast<double>(kKorvalineIR[i])) << i;
}

TEST(Resample, AtDoubleRateInterpolatesHalfwayWithHalfGain) {
  const std::vector<double> out = ResampledIR(88200.0);
  ASSERT_EQ(out.size(), 2u * kKorvalineIRLength);
  for (int k = 0; k < kKorvalineIRLength; ++k) {
    const double s = kKorvalineIR[k];
    const double next = k + 1 < kKorvalineIRLength ? kKorvalineIR[k + 1] : 0.0;
    ASSERT_EQ(out[2 * k], 0.5 * s) << k;
    ASSERT_EQ(out[2 * k + 1], 0.5 * (0.5 * s + 0.5 * next)) << k;
  }
}

// Against interpolation at exact positions i x step: accumulating the position costs only
// rounding, never a wrong neighbour or weight.
TEST(Resample, MatchesLinearInterpolationAtExactPositions) {
  for (double rate : {48000.0, 96000.0, 32000.0, 192000.0}) {
    SCOPED_TRACE(rate);
    const std::vector<double> out = ResampledIR(rate);
    const double step = kKorvalineIRSampleRate / rate;
    for (size_t i = 0; i < out.size(); i += 7) {
      const double p = i * step;
      const int j = static_cast<int>(p);
      double expected = 0.0;
      if (j < kKorvalineIRLength) {
        const double next = j + 1 < kKorvalineIRLength ? kKorvalineIR[j + 1] : 0.0;
        expected = step * ((1.0 - (p - j)) * kKorvalineIR[j] + (p - j) * next);
      }
      ASSERT_NEAR(out[i], expected, 1e-6) << i;
    }
  }
}

// 1000 ones at 44100 Hz read at 96000 Hz: positions i x 0.459375 stay between two source samples
// up to i = 2174, reach the last sample alone at 2175 and 2176, and lie past the end from 2177.
TEST(Resample, ConstantSourceScalesByRateRatioAndEndsInZeros) {
  const std::vector<float> ones(1000, 1.0f);
  const double step = 44100.0 / 96000.0;
  std::vector<double> out(2200, -1.0);
  Resample(ones.data(), 1000, 44100.0, out.data(), 2200, 96000.0);
  for (int i = 0; i <= 2174; ++i) ASSERT_NEAR(out[i], step, 1e-12) << i;
  EXPECT_NEAR(out[2176], step * (1.0 - (2176 * step - 999)), 1e-9);
  for (int i = 2177; i < 2200; ++i) ASSERT_EQ(out[i], 0.0) << i;

  // Reading faster than the source (32000 Hz) passes its end at i = 726.
  const double downStep = 44100.0 / 32000.0;
  std::vector<double> shorter(800, -1.0);
  Resample(ones.data(), 1000, 44100.0, shorter.data(), 800, 32000.0);
  EXPECT_NEAR(shorter[724], downStep, 1e-12);
  EXPECT_GT(shorter[725], 0.0);
  for (int i = 726; i < 800; ++i) ASSERT_EQ(shorter[i], 0.0) << i;
}

TEST(Resample, BadArgumentsNeverReadOutOfBounds) {
  const std::vector<float> source(100, 0.5f);
  std::vector<double> out(50, -1.0);
  const double inf = std::numeric_limits<double>::infinity();
  for (double rate : {0.0, -48000.0, std::nan(""), inf}) {
    std::fill(out.begin(), out.end(), -1.0);
    Resample(source.data(), 100, 44100.0, out.data(), 50, rate);
    for (double x : out) ASSERT_EQ(x, 0.0) << rate;
  }
  std::fill(out.begin(), out.end(), -1.0);
  Resample(nullptr, 100, 44100.0, out.data(), 50, 48000.0);
  for (double x : out) ASSERT_EQ(x, 0.0);
  Resample(source.data(), -5, 44100.0, out.data(), 50, 48000.0);
  for (double x : out) ASSERT_EQ(x, 0.0);
  Resample(source.data(), 100, 44100.0, nullptr, 50, 48000.0);
  Resample(source.data(), 100, 44100.0, out.data(), -1, 48000.0);
}

}  // namespace
