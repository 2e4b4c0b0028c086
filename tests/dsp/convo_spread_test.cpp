#include "dsp/convo_spread.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "dsp/denormal_filter.h"

namespace {

constexpr double kSilence = 1e-12;

// Every class of value the filter and the silence test treat differently, both signs.
std::vector<double> SpecialValues() {
  const double inf = std::numeric_limits<double>::infinity();
  const double edge = std::ldexp(1.0, -54);
  std::vector<double> v = {0.0, std::numeric_limits<double>::quiet_NaN(), inf, DBL_MAX, DBL_MIN, 4.9e-324,
                           edge, std::nextafter(edge, 0.0), kSilence, std::nextafter(kSilence, 1.0), 0.25, 1e300};
  const size_t n = v.size();
  for (size_t i = 0; i < n; ++i) v.push_back(-v[i]);
  return v;
}

std::vector<double> Shuffled(std::vector<double> v, int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<double> out(n);
  for (double& x : out) x = v[rng() % v.size()];
  return out;
}

TEST(ConvoSpread, VectorMatchesReferenceBitForBit) {
  for (int n : {0, 1, 2, 3, 8, 33, 1000}) {
    for (bool withImag : {false, true}) {
      const std::vector<double> re = Shuffled(SpecialValues(), n, 1 + n);
      const std::vector<double> im = Shuffled(SpecialValues(), n, 2 + n);
      std::vector<BRM_FFT_COMPLEX> want(n + 1, {7.0, 7.0}), got(n + 1, {7.0, 7.0});
      const double* imag = withImag ? im.data() : nullptr;
      const bool wantLoud = brm_convo::SpreadToComplexReference(want.data(), re.data(), imag, n, kSilence);
      const bool gotLoud = brm_convo::SpreadToComplex(got.data(), re.data(), imag, n, kSilence);
      EXPECT_EQ(wantLoud, gotLoud) << n;
      // The extra value checks that nothing is written past n.
      ASSERT_EQ(std::memcmp(want.data(), got.data(), sizeof(BRM_FFT_COMPLEX) * (n + 1)), 0) << n << " " << withImag;
    }
  }
}

TEST(ConvoSpread, ReferenceFiltersEachValueAndZeroesMissingImaginary) {
  const std::vector<double> values = SpecialValues();
  const int n = static_cast<int>(values.size());
  std::vector<BRM_FFT_COMPLEX> out(n);
  brm_convo::SpreadToComplexReference(out.data(), values.data(), nullptr, n, kSilence);
  for (int i = 0; i < n; ++i) {
    const double want = denormal_filter_aggressive(values[i]);
    EXPECT_EQ(std::memcmp(&out[i].re, &want, sizeof want), 0) << values[i];
    EXPECT_EQ(out[i].im, 0.0);
    EXPECT_FALSE(std::signbit(out[i].im));
  }
}

// A block is loud when any one filtered value, in either part and in any lane or the odd tail,
// exceeds the threshold; values the filter drops never make it loud.
TEST(ConvoSpread, ReportsLoudnessFromAnySingleValue) {
  const double quiet[] = {0.0, kSilence, -kSilence, std::numeric_limits<double>::quiet_NaN(),
                          -std::numeric_limits<double>::infinity(), 1e-20};
  for (int n : {1, 2, 5}) {
    std::vector<double> re(n, 0.0), im(n, 0.0);
    std::vector<BRM_FFT_COMPLEX> out(n);
    for (double q : quiet) {
      std::fill(re.begin(), re.end(), q);
      std::fill(im.begin(), im.end(), q);
      EXPECT_FALSE(brm_convo::SpreadToComplex(out.data(), re.data(), im.data(), n, kSilence)) << q;
    }
    std::fill(re.begin(), re.end(), 0.0);
    std::fill(im.begin(), im.end(), 0.0);
    for (int at = 0; at < n; ++at) {
      for (std::vector<double>* part : {&re, &im}) {
        (*part)[at] = -2e-12;
        EXPECT_TRUE(brm_convo::SpreadToComplex(out.data(), re.data(), im.data(), n, kSilence)) << n << " at " << at;
        (*part)[at] = 0.0;
      }
    }
  }
}

}  // namespace
