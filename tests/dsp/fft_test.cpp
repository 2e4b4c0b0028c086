#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/fft.h"
#include "dsp/fft_reference.h"
#include "support/alloc_counter.h"

namespace {

using C = BRM_FFT_COMPLEX;
using LC = std::complex<long double>;

std::vector<int> AllLengths() {
  std::vector<int> lengths;
  for (int n = 2; n <= 32768; n *= 2) lengths.push_back(n);
  return lengths;
}

std::vector<C> RandomSignal(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> dist(0.0, 1.0);
  std::vector<C> v(n);
  for (C &c : v) c = {dist(rng), dist(rng)};
  return v;
}

bool SameBits(const std::vector<C> &a, const std::vector<C> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(C)) == 0;
}

// Textbook iterative radix-2 transform in long double; sign -1 forward, +1 inverse.
std::vector<LC> TextbookFft(std::vector<LC> x, int sign) {
  const size_t n = x.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    for (size_t k = 0; k < len / 2; ++k) {
      const long double angle = sign * 2.0L * std::numbers::pi_v<long double> * k / len;
      const LC w(std::cos(angle), std::sin(angle));
      for (size_t i = 0; i < n; i += len) {
        const LC u = x[i + k], v = x[i + k + len / 2] * w;
        x[i + k] = u + v;
        x[i + k + len / 2] = u - v;
      }
    }
  }
  return x;
}

std::vector<LC> Widen(const std::vector<C> &v) {
  std::vector<LC> out(v.size());
  for (size_t i = 0; i < v.size(); ++i) out[i] = LC(v[i].re, v[i].im);
  return out;
}

long double MaxMagnitude(const std::vector<LC> &v) {
  long double m = 0;
  for (const LC &c : v) m = std::max(m, std::abs(c));
  return m;
}

// Rounding error of an N-point transform grows with log2 N relative to the largest output.
long double Tolerance(int n, long double scale) { return 4e-16L * std::log2(2.0L * n) * scale; }

TEST(FftTextbook, AgreesWithDirectDft) {
  for (int n : {2, 4, 8, 16, 64, 256}) {
    const std::vector<LC> x = Widen(RandomSignal(n, 1));
    const std::vector<LC> fast = TextbookFft(x, -1);
    for (int k = 0; k < n; ++k) {
      LC sum = 0;
      for (int j = 0; j < n; ++j) {
        const long double angle = -2.0L * std::numbers::pi_v<long double> * ((long long)j * k % n) / n;
        sum += x[j] * LC(std::cos(angle), std::sin(angle));
      }
      ASSERT_LT(std::abs(sum - fast[k]), 1e-15L * n) << n << " bin " << k;
    }
  }
}

TEST(Fft, ForwardMatchesTextbookAtEveryLength) {
  for (int n : AllLengths()) {
    std::vector<C> buf = RandomSignal(n, n);
    const std::vector<LC> expected = TextbookFft(Widen(buf), -1);
    BRM_fft(buf.data(), n, 0);
    const long double tol = Tolerance(n, MaxMagnitude(expected));
    for (int k = 0; k < n; ++k) {
      const C got = buf[BRM_fft_permute(n, k)];
      ASSERT_LT(std::abs(LC(got.re, got.im) - expected[k]), tol) << n << " bin " << k;
    }
  }
}

TEST(Fft, InverseMatchesTextbookAtEveryLength) {
  for (int n : AllLengths()) {
    const std::vector<C> spectrum = RandomSignal(n, n + 7);
    std::vector<C> buf(n);
    for (int k = 0; k < n; ++k) buf[BRM_fft_permute(n, k)] = spectrum[k];
    const std::vector<LC> expected = TextbookFft(Widen(spectrum), +1);
    BRM_fft(buf.data(), n, 1);
    const long double tol = Tolerance(n, MaxMagnitude(expected));
    for (int j = 0; j < n; ++j) ASSERT_LT(std::abs(LC(buf[j].re, buf[j].im) - expected[j]), tol) << n << " sample " << j;
  }
}

TEST(Fft, UnitImpulseGivesAllOnesAndRoundTripScalesByLength) {
  for (int n : AllLengths()) {
    std::vector<C> buf(n, C{0.0, 0.0});
    buf[0] = {1.0, 0.0};
    BRM_fft(buf.data(), n, 0);
    for (const C &c : buf) ASSERT_TRUE(c.re == 1.0 && c.im == 0.0) << n;

    const std::vector<C> x = RandomSignal(n, 3);
    buf = x;
    BRM_fft(buf.data(), n, 0);
    BRM_fft(buf.data(), n, 1);
    for (int j = 0; j < n; ++j) {
      ASSERT_NEAR(buf[j].re, n * x[j].re, 1e-12 * n) << n;
      ASSERT_NEAR(buf[j].im, n * x[j].im, 1e-12 * n) << n;
    }
  }
}

std::vector<double> RealSignal(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> dist(0.0, 1.0);
  std::vector<double> v(n);
  for (double &x : v) x = dist(rng);
  return v;
}

TEST(RealFft, ForwardLayoutHoldsTwiceTheSpectrum) {
  for (int n : AllLengths()) {
    std::vector<double> buf = RealSignal(n, n);
    std::vector<LC> wide(n);
    for (int j = 0; j < n; ++j) wide[j] = buf[j];
    const std::vector<LC> x = TextbookFft(wide, -1);
    BRM_real_fft(buf.data(), n, 0);
    const long double tol = 2 * Tolerance(n, MaxMagnitude(x));
    ASSERT_LT(std::abs(buf[0] - 2 * x[0].real()), tol) << n;
    ASSERT_LT(std::abs(buf[1] - 2 * x[n / 2].real()), tol) << n;
    for (int k = 1; k < n / 2; ++k) {
      const int p = BRM_fft_permute(n / 2, k);
      ASSERT_LT(std::abs(LC(buf[2 * p], buf[2 * p + 1]) - 2.0L * x[k]), tol) << n << " bin " << k;
    }
  }
}

TEST(RealFft, InverseRebuildsTheHermitianSpectrum) {
  for (int n : AllLengths()) {
    const std::vector<double> v = RealSignal(n, n + 1);
    std::vector<double> buf(n);
    std::vector<LC> full(n);
    buf[0] = v[0];
    buf[1] = v[1];
    full[0] = v[0];
    full[n / 2] = v[1];
    for (int k = 1; k < n / 2; ++k) {
      const int p = BRM_fft_permute(n / 2, k);
      buf[2 * p] = v[2 * k];
      buf[2 * p + 1] = v[2 * k + 1];
      full[k] = LC(v[2 * k], v[2 * k + 1]);
      full[n - k] = std::conj(full[k]);
    }
    const std::vector<LC> expected = TextbookFft(full, +1);
    BRM_real_fft(buf.data(), n, 1);
    const long double tol = 2 * Tolerance(n, MaxMagnitude(expected));
    for (int j = 0; j < n; ++j) ASSERT_LT(std::abs(buf[j] - expected[j].real()), tol) << n << " sample " << j;
  }
}

TEST(RealFft, RoundTripScalesByTwiceTheLength) {
  for (int n : AllLengths()) {
    const std::vector<double> x = RealSignal(n, 11);
    std::vector<double> buf = x;
    BRM_real_fft(buf.data(), n, 0);
    BRM_real_fft(buf.data(), n, 1);
    for (int j = 0; j < n; ++j) ASSERT_NEAR(buf[j], 2.0 * n * x[j], 1e-12 * n) << n;
  }
}

TEST(FftPermutation, SmallLengthsAndBijection) {
  EXPECT_EQ(BRM_fft_permute(2, 1), 1);
  EXPECT_EQ(BRM_fft_permute(4, 1), 3);
  EXPECT_EQ(BRM_fft_permute(4, 2), 1);
  EXPECT_EQ(BRM_fft_permute(4, 3), 2);
  for (int n : AllLengths()) {
    const int *tab = BRM_fft_permute_tab(n);
    ASSERT_NE(tab, nullptr);
    std::vector<bool> seen(n, false);
    for (int k = 0; k < n; ++k) {
      ASSERT_EQ(tab[k], BRM_fft_permute(n, k));
      ASSERT_TRUE(tab[k] >= 0 && tab[k] < n && !seen[tab[k]]) << n << " bin " << k;
      seen[tab[k]] = true;
    }
    EXPECT_EQ(tab[0], 0);
  }
}

TEST(FftPermutation, UnsupportedQueriesAreRefused) {
  for (int n : {-4, 0, 1, 3, 6, 100, 65536}) {
    EXPECT_EQ(BRM_fft_permute_tab(n), nullptr) << n;
    EXPECT_EQ(BRM_fft_permute(n, 0), -1) << n;
  }
  EXPECT_EQ(BRM_fft_permute(8, -1), -1);
  EXPECT_EQ(BRM_fft_permute(8, 8), -1);
}

TEST(Fft, IllegalLengthsLeaveTheBufferUntouched) {
  // The buffer is short, so a transform that ran anyway would also trip the sanitizers.
  for (int n : {-8, 0, 1, 3, 6, 12, 100, 32769, 65536}) {
    const std::vector<C> original = RandomSignal(8, 5);
    std::vector<C> buf = original;
    BRM_fft(buf.data(), n, 0);
    BRM_fft(buf.data(), n, 1);
    BRM_fft_reference(buf.data(), n, 0);
    EXPECT_TRUE(SameBits(buf, original)) << n;

    const std::vector<double> real_original = RealSignal(16, 6);
    std::vector<double> real = real_original;
    BRM_real_fft(real.data(), n, 0);
    BRM_real_fft(real.data(), n, 1);
    EXPECT_EQ(real, real_original) << n;
  }
}

TEST(Fft, SecondInitChangesNothing) {
  std::vector<C> first = RandomSignal(1024, 9), second = first;
  BRM_fft(first.data(), 1024, 0);
  BRM_fft_init();
  BRM_fft(second.data(), 1024, 0);
  EXPECT_TRUE(SameBits(first, second));
}

TEST(Fft, TransformsAllocateNothing) {
  BRM_fft_init();
  std::vector<C> buf = RandomSignal(32768, 4);
  std::vector<double> real = RealSignal(32768, 4);
  const std::vector<int> lengths = AllLengths();
  korv_test::AllocationScope scope;
  for (int n : lengths) {
    BRM_fft(buf.data(), n, 0);
    BRM_fft(buf.data(), n, 1);
    BRM_real_fft(real.data(), n, 0);
    BRM_real_fft(real.data(), n, 1);
  }
  BRM_fft_complexmul(buf.data(), buf.data() + 64, 64);
  BRM_fft_complexmul2(buf.data(), buf.data() + 64, buf.data() + 128, 64);
  BRM_fft_complexmul3(buf.data(), buf.data() + 64, buf.data() + 128, 64);
  EXPECT_EQ(scope.Count(), 0);
}

}  // namespace
