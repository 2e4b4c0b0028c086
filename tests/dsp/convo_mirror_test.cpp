#include "dsp/convo_mirror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "dsp/fft.h"

namespace {

// Spectra of real signals (zero-padded to twice their length, as the engine lays blocks out).
struct RealSpectra {
  std::vector<std::vector<BRM_FFT_COMPLEX>> inputs;
  std::vector<std::vector<BRM_CONVO_IMPULSEBUFCPLXf>> impulses;
  std::vector<const BRM_FFT_COMPLEX*> a;
  std::vector<const BRM_CONVO_IMPULSEBUFCPLXf*> b;
};

std::vector<BRM_FFT_COMPLEX> RealSpectrum(int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<BRM_FFT_COMPLEX> x(n, {0.0, 0.0});
  for (int i = 0; i < n / 2; ++i) x[i].re = dist(rng) * std::ldexp(1.0, static_cast<int>(rng() % 30) - 15);
  BRM_fft(x.data(), n, 0);
  return x;
}

RealSpectra MakeRealSpectra(int terms, int n, unsigned seed) {
  std::mt19937 rng(seed);
  RealSpectra s;
  for (int t = 0; t < terms; ++t) {
    s.inputs.push_back(RealSpectrum(n, rng));
    std::vector<BRM_CONVO_IMPULSEBUFCPLXf> impulse;
    for (const BRM_FFT_COMPLEX& v : RealSpectrum(n, rng)) impulse.push_back({static_cast<float>(v.re), static_cast<float>(v.im)});
    s.impulses.push_back(impulse);
  }
  for (int t = 0; t < terms; ++t) {
    s.a.push_back(s.inputs[t].data());
    s.b.push_back(s.impulses[t].data());
  }
  return s;
}

TEST(ConvoMirroredSum, GivesTheBitsOfTheFullSumForRealSignals) {
  for (int n = 4; n <= 32768; n *= 2) {
    BRM_CONVO_MirroredSum mirrored;
    ASSERT_TRUE(mirrored.Build(n)) << n;
    EXPECT_EQ(mirrored.GetFFTSize(), n);
    for (int terms : {1, 3, 6}) {
      const RealSpectra s = MakeRealSpectra(terms, n, static_cast<unsigned>(n + terms));
      std::vector<BRM_FFT_COMPLEX> want(n), got(n, {1e300, -1e300});
      BRM_CONVO_CplxMulSum(want.data(), s.a.data(), s.b.data(), terms, 0, n);
      mirrored.MulSum(got.data(), s.a.data(), s.b.data(), terms);
      ASSERT_EQ(std::memcmp(want.data(), got.data(), sizeof(BRM_FFT_COMPLEX) * n), 0) << "n=" << n << " terms=" << terms;
    }
  }
}

TEST(ConvoMirroredSum, RefusesSizesTheTransformLacks) {
  BRM_CONVO_MirroredSum mirrored;
  ASSERT_TRUE(mirrored.Build(64));
  for (int n : {0, 3, 100, 65536}) {
    EXPECT_FALSE(mirrored.Build(n)) << n;
    EXPECT_EQ(mirrored.GetFFTSize(), 0);
  }
  std::vector<BRM_FFT_COMPLEX> dest(4, {5.0, 6.0});
  const RealSpectra s = MakeRealSpectra(1, 4, 1);
  mirrored.MulSum(dest.data(), s.a.data(), s.b.data(), 1);
  EXPECT_EQ(dest[0].re, 5.0);
}

}  // namespace
