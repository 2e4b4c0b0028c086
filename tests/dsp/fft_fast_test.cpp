// Every vector code path against the scalar reference, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/fft.h"
#include "dsp/fft_fast.h"
#include "dsp/fft_real.h"
#include "dsp/fft_reference.h"

namespace {

using C = BRM_FFT_COMPLEX;

std::vector<C> Signal(int n, unsigned seed, bool awkward) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  // Mostly zeros of both signs with a few small integers and near-overflow values: a reordered
  // or fused operation, or a multiply by a trivial twiddle, changes signs of zeros, infinities
  // or NaNs here.
  auto awkward_value = [&]() -> double {
    const unsigned r = rng() % 100;
    if (r < 45) return 0.0;
    if (r < 90) return -0.0;
    if (r < 98) return static_cast<double>(static_cast<int>(rng() % 7) - 3);
    return (rng() & 1) ? 1.5e308 : -1.5e308;
  };
  std::vector<C> v(n);
  for (C &c : v) c = awkward ? C{awkward_value(), awkward_value()} : C{normal(rng), normal(rng)};
  return v;
}

// Bit for bit, except that any NaN equals any NaN: the sign and payload of a NaN depend on which
// operand an instruction happens to propagate, which no compiler keeps stable even for the
// scalar code.
bool SameBits(const std::vector<C> &a, const std::vector<C> &b) {
  if (a.size() != b.size()) return false;
  const double *x = &a[0].re, *y = &b[0].re;
  for (size_t i = 0; i < 2 * a.size(); ++i) {
    if (std::isnan(x[i]) && std::isnan(y[i])) continue;
    if (std::memcmp(&x[i], &y[i], sizeof(double)) != 0) return false;
  }
  return true;
}

std::vector<const brm_fft::FastKernels *> AvailableKernels() {
  std::vector<const brm_fft::FastKernels *> kernels = {&brm_fft::kSse2Kernels};
  if (brm_fft::ProcessorHasAvx2()) kernels.push_back(&brm_fft::kAvx2Kernels);
  return kernels;
}

class FastFft : public ::testing::TestWithParam<const brm_fft::FastKernels *> {};

TEST_P(FastFft, ComplexTransformsEqualReferenceAtEveryLength) {
  const brm_fft::FastKernels &k = *GetParam();
  for (int n = 2; n <= 32768; n *= 2) {
    for (bool awkward : {false, true}) {
      for (int inverse : {0, 1}) {
        std::vector<C> ours = Signal(n, n + inverse, awkward), ref = ours;
        k.transform(ours.data(), n, inverse);
        BRM_fft_reference(ref.data(), n, inverse);
        ASSERT_TRUE(SameBits(ours, ref)) << k.name << " n=" << n << " inverse=" << inverse << " awkward=" << awkward;
      }
    }
  }
}

TEST_P(FastFft, RealTransformsEqualReferenceAtEveryLength) {
  const brm_fft::FastKernels &k = *GetParam();
  for (int n = 2; n <= 32768; n *= 2) {
    for (bool awkward : {false, true}) {
      for (int inverse : {0, 1}) {
        std::vector<C> ours = Signal(n / 2, n, awkward), ref = ours;
        brm_fft::RealTransform(&ours[0].re, n, inverse, k.transform, k.real_combine);
        BRM_real_fft_reference(&ref[0].re, n, inverse);
        ASSERT_TRUE(SameBits(ours, ref)) << k.name << " n=" << n << " inverse=" << inverse << " awkward=" << awkward;
      }
    }
  }
}

TEST_P(FastFft, MultipliesEqualReference) {
  const brm_fft::FastKernels &k = *GetParam();
  for (int n : {2, 4, 6, 10, 64, 1000, 4096}) {
    for (bool awkward : {false, true}) {
      const std::vector<C> a = Signal(n, 1, awkward), b = Signal(n, 2, awkward), c = Signal(n, 3, awkward);
      std::vector<C> ours = a, ref = a;
      k.complexmul(ours.data(), b.data(), n);
      BRM_fft_complexmul_reference(ref.data(), b.data(), n);
      ASSERT_TRUE(SameBits(ours, ref)) << k.name << " mul n=" << n;

      ours = c;
      ref = c;
      k.complexmul2(ours.data(), a.data(), b.data(), n);
      BRM_fft_complexmul2_reference(ref.data(), a.data(), b.data(), n);
      ASSERT_TRUE(SameBits(ours, ref)) << k.name << " mul2 n=" << n;

      ours = c;
      ref = c;
      k.complexmul3(ours.data(), a.data(), b.data(), n);
      BRM_fft_complexmul3_reference(ref.data(), a.data(), b.data(), n);
      ASSERT_TRUE(SameBits(ours, ref)) << k.name << " mul3 n=" << n;
    }
  }
}

TEST_P(FastFft, MultipliesIgnoreOddAndTinyCounts) {
  const brm_fft::FastKernels &k = *GetParam();
  const std::vector<C> a = Signal(9, 1, false), b = Signal(9, 2, false), c = Signal(9, 3, false);
  for (int n : {-2, 0, 1, 3, 9}) {
    std::vector<C> out = c;
    k.complexmul(out.data(), b.data(), n);
    k.complexmul2(out.data(), a.data(), b.data(), n);
    k.complexmul3(out.data(), a.data(), b.data(), n);
    EXPECT_TRUE(SameBits(out, c)) << k.name << " n=" << n;
  }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, FastFft, ::testing::ValuesIn(AvailableKernels()),
                         [](const auto &info) { return std::string(info.param->name); });

TEST(FftMultiply, ProductIsTheComplexProduct) {
  const std::vector<C> a = Signal(6, 4, false), b = Signal(6, 5, false), c = Signal(6, 6, false);
  std::vector<C> mul = a, mul2 = c, mul3 = c;
  BRM_fft_complexmul(mul.data(), b.data(), 6);
  BRM_fft_complexmul2(mul2.data(), a.data(), b.data(), 6);
  BRM_fft_complexmul3(mul3.data(), a.data(), b.data(), 6);
  for (int i = 0; i < 6; ++i) {
    const std::complex<long double> p = std::complex<long double>(a[i].re, a[i].im) * std::complex<long double>(b[i].re, b[i].im);
    EXPECT_NEAR(mul[i].re, p.real(), 1e-15);
    EXPECT_NEAR(mul[i].im, p.imag(), 1e-15);
    EXPECT_EQ(std::memcmp(&mul[i], &mul2[i], sizeof(C)), 0);
    EXPECT_NEAR(mul3[i].re, c[i].re + p.real(), 1e-15);
    EXPECT_NEAR(mul3[i].im, c[i].im + p.imag(), 1e-15);
  }
}

TEST(FftDispatch, PublicEntryPointsUseTheBestPath) {
  std::vector<C> pub = Signal(4096, 8, false), best = pub;
  BRM_fft(pub.data(), 4096, 0);
  brm_fft::BestKernels().transform(best.data(), 4096, 0);
  EXPECT_TRUE(SameBits(pub, best));
  EXPECT_EQ(&brm_fft::BestKernels(), brm_fft::ProcessorHasAvx2() ? &brm_fft::kAvx2Kernels : &brm_fft::kSse2Kernels);
}

}  // namespace
