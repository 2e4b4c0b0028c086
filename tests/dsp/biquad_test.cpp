#include "dsp/biquad.h"

#include "dsp/biquad_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace {

using korv_test::BilinearModel;
using korv_test::kPi;

// Magnitude of the digital response at a fraction f of the sample rate.
double Magnitude(const BiquadCoefficients& c, double f) {
  const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f);
  const std::complex<double> z2 = z1 * z1;
  return std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2));
}

std::vector<float> Noise(int n, uint32_t seed) {
  std::vector<float> v(n);
  for (float& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
  }
  return v;
}

struct Design {
  int type;
  double f, Q, gainDb;
};

const Design kDesigns[] = {
    {kBiquadLowPass, 0.01, 0.707, 0},   {kBiquadLowPass, 0.3, 4.0, 0},
    {kBiquadHighPass, 0.02, 0.5, 0},    {kBiquadHighPass, 0.25, 2.0, 0},
    {kBiquadBandPass, 0.05, 1.0, 0},    {kBiquadBandPass, 0.2, 8.0, 0},
    {kBiquadNotch, 0.1, 1.5, 0},        {kBiquadPeak, 0.0632, 1.0, 3.5},
    {kBiquadPeak, 0.1275, 1.0, -4.0},   {kBiquadPeak, 0.2197, 3.3, 3.0},
    {kBiquadLowShelf, 0.00166, 1, 7},   {kBiquadLowShelf, 0.05, 1, -9},
    {kBiquadLowShelf, 0.4075, 9.4, 11}, {kBiquadLowShelf, 0.5615, 9.4, 11},  // corner past Nyquist
    {kBiquadHighShelf, 0.0218, 1, -3},  {kBiquadHighShelf, 0.15, 1, 6},
};

void ExpectCoefficientsNear(const BiquadCoefficients& got, const BiquadCoefficients& want, double tol) {
  EXPECT_NEAR(got.b0, want.b0, tol);
  EXPECT_NEAR(got.b1, want.b1, tol);
  EXPECT_NEAR(got.b2, want.b2, tol);
  EXPECT_NEAR(got.a1, want.a1, tol);
  EXPECT_NEAR(got.a2, want.a2, tol);
}

TEST(Biquad, CoefficientsMatchBilinearModelForEveryTypeBoostAndCut) {
  for (const Design& d : kDesigns) {
    SCOPED_TRACE(testing::Message() << "type " << d.type << " f " << d.f << " gain " << d.gainDb);
    const Biquad filter(d.type, d.f, d.Q, d.gainDb);
    ExpectCoefficientsNear(filter.coefficients(), BilinearModel(d.type, d.f, d.Q, d.gainDb), 1e-12);
  }
}

TEST(Biquad, ProcessMatchesDirectFormDifferenceEquation) {
  const std::vector<float> input = Noise(4000, 7);
  for (const Design& d : kDesigns) {
    if (d.f >= 0.5) continue;  // unstable: the two forms diverge by design
    SCOPED_TRACE(testing::Message() << "type " << d.type << " f " << d.f);
    Biquad filter(d.type, d.f, d.Q, d.gainDb);
    const BiquadCoefficients c = BilinearModel(d.type, d.f, d.Q, d.gainDb);
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, worst = 0, peak = 0;
    for (float xf : input) {
      const double x = xf;
      const double y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
      x2 = x1, x1 = x, y2 = y1, y1 = y;
      worst = std::max(worst, std::fabs(filter.process(xf) - y));
      peak = std::max(peak, std::fabs(y));
    }
    EXPECT_LE(worst, 1e-6 * peak);
  }
}

TEST(Biquad, ResponseAtCheckablePoints) {
  const double f = 0.07, Q = 2.5;
  const double V = std::pow(10.0, 6.0 / 20.0);
  const double kNyquist = 0.5;
  auto response = [](int type, double f, double Q, double gain) { return Biquad(type, f, Q, gain).coefficients(); };

  const auto lp = response(kBiquadLowPass, f, Q, 0);
  EXPECT_NEAR(Magnitude(lp, 0.0), 1.0, 1e-12);
  EXPECT_NEAR(Magnitude(lp, f), Q, 1e-9);
  EXPECT_NEAR(Magnitude(lp, kNyquist), 0.0, 1e-9);

  const auto hp = response(kBiquadHighPass, f, Q, 0);
  EXPECT_NEAR(Magnitude(hp, 0.0), 0.0, 1e-12);
  EXPECT_NEAR(Magnitude(hp, f), Q, 1e-9);
  EXPECT_NEAR(Magnitude(hp, kNyquist), 1.0, 1e-12);

  const auto bp = response(kBiquadBandPass, f, Q, 0);
  EXPECT_NEAR(Magnitude(bp, f), 1.0, 1e-12);
  EXPECT_NEAR(Magnitude(bp, 0.0), 0.0, 1e-12);
  EXPECT_NEAR(Magnitude(bp, kNyquist), 0.0, 1e-12);

  const auto notch = response(kBiquadNotch, f, Q, 0);
  EXPECT_NEAR(Magnitude(notch, f), 0.0, 1e-9);
  EXPECT_NEAR(Magnitude(notch, 0.0), 1.0, 1e-12);
  EXPECT_NEAR(Magnitude(notch, kNyquist), 1.0, 1e-12);

  for (double gain : {6.0, -6.0}) {
    const double centre = gain > 0 ? V : 1.0 / V;
    const auto peak = response(kBiquadPeak, f, Q, gain);
    EXPECT_NEAR(Magnitude(peak, f), centre, 1e-9);
    EXPECT_NEAR(Magnitude(peak, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(Magnitude(peak, kNyquist), 1.0, 1e-12);

    // A second-order shelf sits at sqrt((V^2 + 1) / 2) at its corner, or the reciprocal for a cut.
    const double corner = gain > 0 ? std::sqrt((V * V + 1) / 2) : 1.0 / std::sqrt((V * V + 1) / 2);
    const auto low = response(kBiquadLowShelf, f, Q, gain);
    EXPECT_NEAR(Magnitude(low, 0.0), centre, 1e-12);
    EXPECT_NEAR(Magnitude(low, f), corner, 1e-9);
    EXPECT_NEAR(Magnitude(low, kNyquist), 1.0, 1e-9);

    const auto high = response(kBiquadHighShelf, f, Q, gain);
    EXPECT_NEAR(Magnitude(high, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(Magnitude(high, f), corner, 1e-9);
    EXPECT_NEAR(Magnitude(high, kNyquist), centre, 1e-9);
  }
}

TEST(Biquad, PeakingSineAtCentreSettlesAtPeakGain) {
  const double f = 0.05;
  Biquad filter(kBiquadPeak, f, 1.0, 6.0);
  double amplitude = 0.0;
  for (int n = 0; n < 20000; ++n) {
    const float y = filter.process(static_cast<float>(0.25 * std::sin(2.0 * kPi * f * n)));
    if (n >= 10000) amplitude = std::max(amplitude, std::fabs(static_cast<double>(y)));
  }
  EXPECT_NEAR(amplitude / 0.25, std::pow(10.0, 6.0 / 20.0), 2e-3);
}

TEST(Biquad, DefaultSectionPassesInputUnchangedUntilASetterRuns) {
  Biquad filter;
  EXPECT_EQ(filter.type(), kBiquadLowPass);
  EXPECT_EQ(filter.frequency(), 0.5);
  EXPECT_EQ(filter.q(), 0.707);
  EXPECT_EQ(filter.peakGain(), 0.0);
  for (float x : Noise(500, 3)) ASSERT_EQ(filter.process(x), x);

  filter.setFc(0.1);
  ExpectCoefficientsNear(filter.coefficients(), BilinearModel(kBiquadLowPass, 0.1, 0.707, 0.0), 1e-12);
}

TEST(Biquad, EachSetterRecomputesAtOnce) {
  Biquad filter(kBiquadPeak, 0.1, 1.0, 3.0);
  filter.setFc(0.2);
  ExpectCoefficientsNear(filter.coefficients(), BilinearModel(kBiquadPeak, 0.2, 1.0, 3.0), 1e-12);
  filter.setQ(4.0);
  ExpectCoefficientsNear(filter.coefficients(), BilinearModel(kBiquadPeak, 0.2, 4.0, 3.0), 1e-12);
  filter.setPeakGain(-5.0);
  ExpectCoefficientsNear(filter.coefficients(), BilinearModel(kBiquadPeak, 0.2, 4.0, -5.0), 1e-12);
  filter.setType(kBiquadHighShelf);
  ExpectCoefficientsNear(filter.coefficients(), BilinearModel(kBiquadHighShelf, 0.2, 4.0, -5.0), 1e-12);
}

TEST(Biquad, ZeroGainPeakAndShelvesAreFlat) {
  for (int type : {kBiquadPeak, kBiquadLowShelf, kBiquadHighShelf}) {
    const BiquadCoefficients c = Biquad(type, 0.13, 2.0, 0.0).coefficients();
    EXPECT_NEAR(c.b0, 1.0, 1e-15);
    EXPECT_NEAR(c.b1, c.a1, 1e-15);
    EXPECT_NEAR(c.b2, c.a2, 1e-15);
  }
}

TEST(Biquad, UnknownTypeKeepsPreviousCoefficients) {
  Biquad filter(kBiquadNotch, 0.1, 2.0, 0.0);
  const BiquadCoefficients before = filter.coefficients();
  for (int type : {7, -1}) {
    filter.setType(type);
    const BiquadCoefficients after = filter.coefficients();
    EXPECT_EQ(after.b0, before.b0);
    EXPECT_EQ(after.b1, before.b1);
    EXPECT_EQ(after.b2, before.b2);
    EXPECT_EQ(after.a1, before.a1);
    EXPECT_EQ(after.a2, before.a2);
  }
}

TEST(Biquad, ReapplyingTheSameSettingsKeepsTheOutputSeamless) {
  const std::vector<float> input = Noise(3000, 11);
  Biquad steady(kBiquadPeak, 0.2197, 3.3, 3.0);
  Biquad reapplied(kBiquadPeak, 0.2197, 3.3, 3.0);
  for (size_t n = 0; n < input.size(); ++n) {
    if (n % 64 == 0) reapplied.setBiquad(kBiquadPeak, 0.2197, 3.3, 3.0);
    ASSERT_EQ(reapplied.process(input[n]), steady.process(input[n])) << "sample " << n;
  }
}

}  // namespace
