#include "dsp/convo_cplxmul.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using brm_convo::CplxMulKernels;

struct Data {
  std::vector<BRM_FFT_COMPLEX> a, dest;
  std::vector<BRM_CONVO_IMPULSEBUFCPLXf> b;
};

Data Random(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  Data d{std::vector<BRM_FFT_COMPLEX>(n), std::vector<BRM_FFT_COMPLEX>(n), std::vector<BRM_CONVO_IMPULSEBUFCPLXf>(n)};
  for (int i = 0; i < n; ++i) {
    // Mixed magnitudes exercise rounding in every lane.
    const double scale = std::ldexp(1.0, static_cast<int>(rng() % 80) - 40);
    d.a[i] = {dist(rng) * scale, dist(rng)};
    d.dest[i] = {dist(rng), dist(rng) * scale};
    d.b[i] = {static_cast<float>(dist(rng)), static_cast<float>(dist(rng) * scale)};
  }
  return d;
}

std::vector<const CplxMulKernels*> VectorKernels() {
  std::vector<const CplxMulKernels*> kernels = {&brm_convo::kSse2Kernels};
  if (brm_convo::CpuHasAvx2()) kernels.push_back(&brm_convo::kAvx2Kernels);
  return kernels;
}

bool SameBits(const std::vector<BRM_FFT_COMPLEX>& x, const std::vector<BRM_FFT_COMPLEX>& y) {
  return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(BRM_FFT_COMPLEX)) == 0;
}

TEST(ConvoCplxMul, ScalarIsTheOrdinaryComplexProduct) {
  std::vector<BRM_FFT_COMPLEX> a = {{1, 2}, {-3, 0.5}}, dest(2);
  std::vector<BRM_CONVO_IMPULSEBUFCPLXf> b = {{3, -1}, {2, 4}};
  brm_convo::kScalarKernels.mul2(dest.data(), a.data(), b.data(), 2);
  EXPECT_EQ(dest[0].re, 5.0);
  EXPECT_EQ(dest[0].im, 5.0);
  EXPECT_EQ(dest[1].re, -8.0);
  EXPECT_EQ(dest[1].im, -11.0);
  brm_convo::kScalarKernels.mul3(dest.data(), a.data(), b.data(), 2);
  EXPECT_EQ(dest[0].re, 10.0);
  EXPECT_EQ(dest[1].im, -22.0);
}

TEST(ConvoCplxMul, VectorKernelsMatchScalarBitForBit) {
  for (const CplxMulKernels* kernels : VectorKernels()) {
    for (int n : {2, 4, 6, 8, 10, 62, 256, 4098}) {
      const Data d = Random(n, static_cast<unsigned>(n));
      std::vector<BRM_FFT_COMPLEX> want = d.dest, got = d.dest;
      brm_convo::kScalarKernels.mul2(want.data(), d.a.data(), d.b.data(), n);
      kernels->mul2(got.data(), d.a.data(), d.b.data(), n);
      EXPECT_TRUE(SameBits(want, got)) << kernels->name << " mul2 n=" << n;
      want = got = d.dest;
      brm_convo::kScalarKernels.mul3(want.data(), d.a.data(), d.b.data(), n);
      kernels->mul3(got.data(), d.a.data(), d.b.data(), n);
      EXPECT_TRUE(SameBits(want, got)) << kernels->name << " mul3 n=" << n;
    }
  }
}

TEST(ConvoCplxMul, OddOrTinyCountsChangeNothing) {
  std::vector<const CplxMulKernels*> all = VectorKernels();
  all.push_back(&brm_convo::kScalarKernels);
  const Data d = Random(8, 99);
  for (const CplxMulKernels* kernels : all)
    for (int n : {-2, 0, 1, 3, 7}) {
      std::vector<BRM_FFT_COMPLEX> dest = d.dest;
      kernels->mul2(dest.data(), d.a.data(), d.b.data(), n);
      kernels->mul3(dest.data(), d.a.data(), d.b.data(), n);
      EXPECT_TRUE(SameBits(dest, d.dest)) << kernels->name << " n=" << n;
    }
}

// Terms of a sum of products, each with its own operands.
struct SumData {
  std::vector<Data> terms;
  std::vector<const BRM_FFT_COMPLEX*> a;
  std::vector<const BRM_CONVO_IMPULSEBUFCPLXf*> b;
};

SumData RandomTerms(int count, int n, unsigned seed) {
  SumData s;
  for (int t = 0; t < count; ++t) s.terms.push_back(Random(n, seed + t));
  for (const Data& d : s.terms) {
    s.a.push_back(d.a.data());
    s.b.push_back(d.b.data());
  }
  return s;
}

TEST(ConvoCplxMulSum, EqualsOneMul2ThenMul3PerTermInEveryKernel) {
  std::vector<const CplxMulKernels*> all = VectorKernels();
  all.push_back(&brm_convo::kScalarKernels);
  // Term counts around the four summed per pass; ranges across the stretch of 512 bins and
  // starting off any vector alignment.
  for (int terms : {1, 2, 3, 4, 5, 8, 9, 13}) {
    for (auto [begin, end] : {std::pair{0, 2}, {0, 6}, {3, 1101}, {0, 1024}, {1, 1031}}) {
      const SumData s = RandomTerms(terms, end, static_cast<unsigned>(terms * 100 + begin));
      std::vector<BRM_FFT_COMPLEX> want = s.terms[0].dest;
      brm_convo::kScalarKernels.mul2(want.data() + begin, s.a[0] + begin, s.b[0] + begin, end - begin);
      for (int t = 1; t < terms; ++t) brm_convo::kScalarKernels.mul3(want.data() + begin, s.a[t] + begin, s.b[t] + begin, end - begin);
      for (const CplxMulKernels* kernels : all) {
        std::vector<BRM_FFT_COMPLEX> got = s.terms[0].dest;
        kernels->mulsum(got.data(), s.a.data(), s.b.data(), terms, begin, end);
        EXPECT_TRUE(SameBits(want, got)) << kernels->name << " terms=" << terms << " bins " << begin << ".." << end;
      }
    }
  }
}

TEST(ConvoCplxMulSum, NoTermsOrOddRangesChangeNothing) {
  std::vector<const CplxMulKernels*> all = VectorKernels();
  all.push_back(&brm_convo::kScalarKernels);
  const SumData s = RandomTerms(3, 16, 7);
  for (const CplxMulKernels* kernels : all)
    for (auto [terms, begin, end] : {std::tuple{0, 0, 16}, {-1, 0, 16}, {3, 0, 1}, {3, 2, 5}, {3, 4, 4}, {3, 6, 2}}) {
      std::vector<BRM_FFT_COMPLEX> dest = s.terms[0].dest;
      kernels->mulsum(dest.data(), s.a.data(), s.b.data(), terms, begin, end);
      EXPECT_TRUE(SameBits(dest, s.terms[0].dest)) << kernels->name << " terms=" << terms << " " << begin << ".." << end;
    }
}

TEST(ConvoCplxMul, PublicEntryPointsUseTheChosenKernels) {
  const Data d = Random(64, 5);
  std::vector<BRM_FFT_COMPLEX> want = d.dest, got = d.dest;
  brm_convo::kScalarKernels.mul3(want.data(), d.a.data(), d.b.data(), 64);
  BRM_CONVO_CplxMul3(got.data(), d.a.data(), d.b.data(), 64);
  EXPECT_TRUE(SameBits(want, got));
  const SumData s = RandomTerms(5, 64, 9);
  want = got = s.terms[0].dest;
  brm_convo::kScalarKernels.mulsum(want.data(), s.a.data(), s.b.data(), 5, 0, 64);
  BRM_CONVO_CplxMulSum(got.data(), s.a.data(), s.b.data(), 5, 0, 64);
  EXPECT_TRUE(SameBits(want, got));
  EXPECT_STREQ(brm_convo::ActiveKernels().name, brm_convo::CpuHasAvx2() ? "avx2" : "sse2");
}

}  // namespace
