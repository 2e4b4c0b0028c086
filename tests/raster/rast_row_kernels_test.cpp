// The vector row kernels against the per-pixel reference, bit for bit: the kernels alone over
// random and extreme pixels, then whole blits run on each kernel table.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/rast_blit.h"
#include "raster/rast_row_kernels.h"
#include "raster_test_util.h"
#include "support/alloc_counter.h"

using namespace rast_test;

namespace {

std::vector<const RAST_RowKernels*> VectorTables() {
  std::vector<const RAST_RowKernels*> tables{&RAST_Sse2RowKernels()};
  if (RAST_Avx2RowKernels()) tables.push_back(RAST_Avx2RowKernels());
  return tables;
}

// Channels favour the values where rounding and clamping turn: 0, 1, 127, 128, 254, 255.
RAST_pixel EdgyPixel(std::mt19937& rng) {
  static const int kEdges[] = {0, 1, 127, 128, 254, 255};
  RAST_pixel p = 0;
  for (int c = 0; c < 4; ++c) {
    int v = rng() % 3 ? static_cast<int>(rng() & 0xff) : kEdges[rng() % 6];
    p |= static_cast<RAST_pixel>(v) << (8 * c);
  }
  return p;
}

std::vector<RAST_pixel> EdgyPixels(std::mt19937& rng, int n) {
  std::vector<RAST_pixel> v(n);
  for (RAST_pixel& p : v) p = EdgyPixel(rng);
  return v;
}

// Makes whole drawing operations use one table while in scope.
class UsingKernels {
 public:
  explicit UsingKernels(const RAST_RowKernels* k) { RAST_UseRowKernels(k); }
  ~UsingKernels() { RAST_UseRowKernels(nullptr); }
};

using CombineKernel = void (*)(RAST_pixel*, const RAST_pixel*, int, int);

struct NamedCombine {
  const char* name;
  CombineKernel RAST_RowKernels::*kernel;
  int maxWeight;
};

// Every length up to a few registers, at every start offset within a register, so the vector
// body, its tail and unaligned loads all meet the reference.
TEST(RowKernels, CombinersMatchTheReferenceBitForBit) {
  const NamedCombine combines[] = {
      {"copy", &RAST_RowKernels::copy, 255},
      {"copySourceAlpha", &RAST_RowKernels::copySourceAlpha, 255},
      {"add", &RAST_RowKernels::add, 256},
      {"addSourceAlpha", &RAST_RowKernels::addSourceAlpha, 256},
  };
  std::mt19937 rng(7);
  const RAST_RowKernels& ref = RAST_ScalarRowKernels();
  for (const RAST_RowKernels* k : VectorTables()) {
    for (const NamedCombine& c : combines) {
      for (int w : {1, 2, 127, 128, 129, 200, 254, 255, 256}) {
        if (w > c.maxWeight) continue;
        for (int n = 0; n <= 27; ++n) {
          int offset = n % 8;
          std::vector<RAST_pixel> src = EdgyPixels(rng, n + 8), dst = EdgyPixels(rng, n + 8), want = dst;
          (ref.*c.kernel)(want.data() + offset, src.data() + 8 - offset, n, w);
          (k->*c.kernel)(dst.data() + offset, src.data() + 8 - offset, n, w);
          ASSERT_EQ(dst, want) << k->name << " " << c.name << " w " << w << " n " << n;
        }
      }
    }
    for (int n = 0; n <= 27; ++n) {
      std::vector<RAST_pixel> src = EdgyPixels(rng, n + 3), dst = EdgyPixels(rng, n + 3), want = dst;
      ref.copySourceAlphaFull(want.data() + 1, src.data() + 3, n);
      k->copySourceAlphaFull(dst.data() + 1, src.data() + 3, n);
      ASSERT_EQ(dst, want) << k->name << " copySourceAlphaFull n " << n;
    }
  }
}

TEST(RowKernels, SourceAlphaExtremesAgainstTheReference) {
  // Every source alpha against every destination alpha, colours at both ends.
  std::vector<RAST_pixel> src, dst;
  for (int a = 0; a < 256; ++a) {
    for (int da : {0, 1, 128, 254, 255}) {
      src.push_back(Px(a & 1 ? 255 : 0, 200, 3, a));
      dst.push_back(Px(a & 1 ? 0 : 255, 17, 250, da));
    }
  }
  const RAST_RowKernels& ref = RAST_ScalarRowKernels();
  int n = static_cast<int>(src.size());
  for (const RAST_RowKernels* k : VectorTables()) {
    for (int w : {1, 128, 255}) {
      std::vector<RAST_pixel> got = dst, want = dst;
      ref.copySourceAlpha(want.data(), src.data(), n, w);
      k->copySourceAlpha(got.data(), src.data(), n, w);
      ASSERT_EQ(got, want) << k->name << " w " << w;
    }
    std::vector<RAST_pixel> got = dst, want = dst;
    ref.copySourceAlphaFull(want.data(), src.data(), n);
    k->copySourceAlphaFull(got.data(), src.data(), n);
    ASSERT_EQ(got, want) << k->name;
    for (int w : {1, 255, 256}) {
      got = dst;
      want = dst;
      ref.addSourceAlpha(want.data(), src.data(), n, w);
      k->addSourceAlpha(got.data(), src.data(), n, w);
      ASSERT_EQ(got, want) << k->name << " add w " << w;
    }
  }
}

// Fractions of 0 (where the top-left weight is a whole 65536), 1 and 65535, steps that keep the
// fraction fixed, repeat it every few pixels or never, and rows shorter and longer than a group.
TEST(RowKernels, BilinearMatchesTheReferenceSampler) {
  constexpr int kWidth = 80;
  std::mt19937 rng(11);
  const RAST_RowKernels& ref = RAST_ScalarRowKernels();
  const long long steps[] = {1, 3, 21845, 43690, 65535, 65536, 65537, 98304, 131072, 250000};
  for (const RAST_RowKernels* k : VectorTables()) {
    for (int trial = 0; trial < 60; ++trial) {
      std::vector<RAST_pixel> top = EdgyPixels(rng, kWidth), bottom = EdgyPixels(rng, kWidth);
      int fy = trial % 5 == 0 ? 0 : trial % 5 == 1 ? 1 : trial % 5 == 2 ? 65535 : static_cast<int>(rng() & 0xffff);
      for (long long step : steps) {
        long long start = trial % 3 == 0 ? (rng() % 4) << 16 : static_cast<long long>(rng() % (3 << 16));
        long long last = (static_cast<long long>(kWidth - 2) << 16) + 0xffff;
        int n = static_cast<int>(std::min<long long>(1 + (last - start) / step, 1 + static_cast<int>(rng() % 40)));
        std::vector<RAST_pixel> got(n + 1, 0x5a5a5a5a), want(n + 1, 0x5a5a5a5a);
        ref.bilinear(want.data(), top.data(), bottom.data(), fy, start, step, n);
        k->bilinear(got.data(), top.data(), bottom.data(), fy, start, step, n);
        ASSERT_EQ(got, want) << k->name << " fy " << fy << " start " << start << " step " << step << " n " << n;
      }
    }
  }
}

struct BlitCase {
  int dstx, dsty;
  RECT srcRect;
  float alpha;
  int mode;
};

// The whole blit on each table, against the scalar table: odd sizes, unaligned starts and
// rectangles clipped on every side. A blit allocates nothing.
TEST(RowKernels, BlitsOnEveryTableMatchTheReference) {
  const int modes[] = {RAST_MODE_COPY, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA, RAST_MODE_ADD,
                       RAST_MODE_ADD | RAST_USE_SOURCE_ALPHA, RAST_MODE_MUL};
  const BlitCase geometry[] = {
      {0, 0, {0, 0, 37, 23}, 1, 0},     {3, 1, {1, 2, 30, 19}, 1, 0},     {-5, -2, {0, 0, 37, 23}, 1, 0},
      {20, 9, {-3, -4, 100, 100}, 1, 0}, {41, 0, {0, 0, 37, 23}, 1, 0}, {7, 5, {5, 5, 6, 6}, 1, 0},
  };
  RAST_MemBitmap src(37, 23), base(45, 29), got(45, 29), want(45, 29);
  FillPattern(&src, 5);
  FillPattern(&base, 6);
  for (const RAST_RowKernels* k : VectorTables()) {
    for (int mode : modes) {
      for (float alpha : {1.0f, 0.999f, 0.5f, 0.3f, 1.0f / 256, 0.0f}) {
        for (const BlitCase& g : geometry) {
          RAST_Copy(&want, &base);
          RAST_Copy(&got, &base);
          {
            UsingKernels scalar(&RAST_ScalarRowKernels());
            RAST_Blit(&want, &src, g.dstx, g.dsty, &g.srcRect, alpha, mode);
          }
          UsingKernels vector(k);
          korv_test::AllocationScope allocations;
          RAST_Blit(&got, &src, g.dstx, g.dsty, &g.srcRect, alpha, mode);
          EXPECT_EQ(allocations.Count(), 0);
          ASSERT_TRUE(SamePixels(&got, &want))
              << k->name << " mode " << mode << " alpha " << alpha << " at " << g.dstx << "," << g.dsty;
        }
      }
    }
  }
}

// A bitmap blitted onto itself a few pixels to the left within the same rows reads each source
// pixel before it is overwritten, vector loads included.
TEST(RowKernels, BlitOntoItselfLeftwardsReadsBeforeWriting) {
  for (const RAST_RowKernels* k : VectorTables()) {
    for (int shift = 1; shift <= 9; ++shift) {
      RAST_MemBitmap got(40, 3), want(40, 3);
      FillPattern(&got, 8);
      FillPattern(&want, 8);
      {
        UsingKernels scalar(&RAST_ScalarRowKernels());
        RAST_Blit(&want, &want, 0, 0, shift, 0, 40 - shift, 3, 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA);
      }
      UsingKernels vector(k);
      RAST_Blit(&got, &got, 0, 0, shift, 0, 40 - shift, 3, 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA);
      ASSERT_TRUE(SamePixels(&got, &want)) << k->name << " shift " << shift;
    }
  }
}

struct ScaleCase {
  int dstx, dsty, dstw, dsth;
  float srcx, srcy, srcw, srch;
};

// Bilinear scaled blits on each table against the scalar table: enlarging, mild shrinking,
// fractional and clipped origins, mirrored, and areas that reach the source's last row and
// column (where the sampler stops blending).
TEST(RowKernels, BilinearScaledBlitsOnEveryTableMatchTheReference) {
  const ScaleCase cases[] = {
      {0, 0, 60, 45, 0, 0, 31, 29},           {3, 2, 50, 40, 0.25f, 0.75f, 20.5f, 17.3f},
      {-7, -3, 61, 47, 2.5f, 1.5f, 28, 27},   {10, 5, 33, 30, 0, 0, 31, 29},
      {0, 0, 45, 40, 0, 0, 60.0f, 60.0f},     {5, 4, 40, 30, -3.5f, -2.25f, 30, 25},
      {59, 44, -50, -40, 1.0f, 1.0f, 29, 27}, {0, 0, 2, 2, 29.5f, 27.5f, 1.5f, 1.5f},
  };
  const int modes[] = {RAST_FILTER_BILINEAR, RAST_FILTER_BILINEAR | RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA,
                       RAST_FILTER_BILINEAR | RAST_MODE_ADD, RAST_FILTER_BILINEAR | RAST_MODE_OVERLAY};
  RAST_MemBitmap src(31, 29), base(60, 45), got(60, 45), want(60, 45);
  FillPattern(&src, 9);
  FillPattern(&base, 10);
  for (const RAST_RowKernels* k : VectorTables()) {
    for (int mode : modes) {
      for (float alpha : {1.0f, 0.6f}) {
        for (const ScaleCase& c : cases) {
          RAST_Copy(&want, &base);
          RAST_Copy(&got, &base);
          {
            UsingKernels scalar(&RAST_ScalarRowKernels());
            RAST_ScaledBlit(&want, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, alpha, mode);
          }
          UsingKernels vector(k);
          korv_test::AllocationScope allocations;
          RAST_ScaledBlit(&got, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, alpha, mode);
          EXPECT_EQ(allocations.Count(), 0);
          ASSERT_TRUE(SamePixels(&got, &want)) << k->name << " mode " << mode << " alpha " << alpha << " case "
                                               << (&c - cases);
        }
      }
    }
  }
}

}  // namespace
