#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "raster/rast_blit.h"
#include "raster_test_util.h"

using namespace rast_test;

namespace {

const RAST_pixel kBackground = Px(9, 8, 7, 6);

// Channel-wise rounding-down average of pixels (the shrinking filter's result).
RAST_pixel Average(RAST_IBitmap* src, int x0, int y0, int x1, int y1) {
  unsigned sum[4] = {0, 0, 0, 0}, n = 0;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      if (x < 0 || y < 0 || x >= src->getWidth() || y >= src->getHeight()) continue;
      RAST_pixel p = At(src, x, y);
      for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xff;
      ++n;
    }
  }
  RAST_pixel out = 0;
  for (int c = 0; c < 4; ++c) out |= (sum[c] / n) << (8 * c);
  return out;
}

TEST(ScaledBlit, SameSizeIsThePlainBlit) {
  RAST_MemBitmap src(10, 8), a(12, 12), b(12, 12);
  FillPattern(&src);
  for (int mode : {0, RAST_MODE_ADD | RAST_FILTER_BILINEAR}) {
    FillAll(&a, kBackground);
    FillAll(&b, kBackground);
    RAST_ScaledBlit(&a, &src, 1, -1, 6, 5, 2.02f, 1.98f, 6.0005f, 5.0f, 0.8f, mode);
    RAST_Blit(&b, &src, 1, -1, 2, 2, 6, 5, 0.8f, mode);
    EXPECT_TRUE(SamePixels(&a, &b)) << mode;
  }
  // Bilinear from between pixels is a real resample.
  FillAll(&a, kBackground);
  FillAll(&b, kBackground);
  RAST_ScaledBlit(&a, &src, 0, 0, 6, 5, 2.5f, 2.0f, 6.0f, 5.0f, 1.0f, RAST_FILTER_BILINEAR);
  RAST_Blit(&b, &src, 0, 0, 3, 2, 6, 5, 1.0f, 0);
  EXPECT_FALSE(SamePixels(&a, &b));
}

TEST(ScaledBlit, DoublingRepeatsEachPixel) {
  RAST_MemBitmap src(5, 4), dst(10, 8);
  FillPattern(&src);
  RAST_ScaledBlit(&dst, &src, 0, 0, 10, 8, 0, 0, 5, 4, 1.0f, RAST_MODE_COPY);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(&dst, x, y), At(&src, x / 2, y / 2)) << x << "," << y;
  }
}

TEST(ScaledBlit, NegativeWidthMirrorsExactly) {
  RAST_MemBitmap src(6, 3), dst(6, 3), plain(6, 3);
  FillPattern(&src);
  for (float scale : {1.0f, 0.5f}) {
    int w = static_cast<int>(6 * scale);
    FillAll(&plain, kBackground);
    FillAll(&dst, kBackground);
    RAST_ScaledBlit(&plain, &src, 0, 0, w, 3, 0, 0, 6, 3, 1.0f, RAST_MODE_COPY | RAST_MODE_ADD);
    RAST_ScaledBlit(&dst, &src, w, 0, -w, 3, 0, 0, 6, 3, 1.0f, RAST_MODE_COPY | RAST_MODE_ADD);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < w; ++x) ASSERT_EQ(At(&dst, x, y), At(&plain, w - 1 - x, y)) << scale << ": " << x << "," << y;
    }
  }
}

TEST(ScaledBlit, BilinearBlendsNeighboursInFixedPoint) {
  RAST_MemBitmap src(2, 2), dst(4, 4);
  Set(&src, 0, 0, Px(0, 0, 0, 0));
  Set(&src, 1, 0, Px(255, 100, 0, 0));
  Set(&src, 0, 1, Px(0, 0, 200, 0));
  Set(&src, 1, 1, Px(255, 100, 200, 255));
  RAST_ScaledBlit(&dst, &src, 0, 0, 4, 4, 0, 0, 2, 2, 0.999f, RAST_FILTER_BILINEAR | RAST_MODE_COPY);
  // Weight 255 copy: d = s + (d - s) / 256 keeps s here; (1, 1) samples the middle of the four.
  EXPECT_EQ(At(&dst, 0, 0), Px(0, 0, 0, 0));
  EXPECT_EQ(At(&dst, 1, 0), Px(127, 50, 0, 0));
  EXPECT_EQ(At(&dst, 1, 1), Px(127, 50, 100, 63));
  // Last column and row of the source: one-way blends and the pixel itself.
  EXPECT_EQ(At(&dst, 2, 1), Px(255, 100, 100, 127));
  EXPECT_EQ(At(&dst, 3, 3), Px(255, 100, 200, 255));
}

TEST(ScaledBlit, ShrinkingAveragesNeighbourhoods) {
  RAST_MemBitmap src(24, 24), half(12, 12), quarter(6, 6);
  FillPattern(&src, 7);
  RAST_ScaledBlit(&half, &src, 0, 0, 12, 12, 0, 0, 24, 24, 1.0f, RAST_FILTER_BILINEAR);
  RAST_ScaledBlit(&quarter, &src, 0, 0, 6, 6, 0, 0, 24, 24, 1.0f, RAST_FILTER_BILINEAR);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) ASSERT_EQ(At(&half, x, y), Average(&src, 2 * x - 1, 2 * y - 1, 2 * x + 1, 2 * y + 1));
  }
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(At(&quarter, x, y), Average(&src, 4 * x - 2, 4 * y - 2, 4 * x + 2, 4 * y + 2));
  }
}

TEST(ScaledBlit, ClippingAndHostileGeometryStayInside) {
  RAST_MemBitmap src(16, 16), dst(8, 8), empty;
  FillPattern(&src);
  FillAll(&dst, kBackground);
  const float inf = INFINITY, nan = NAN;
  RAST_ScaledBlit(&dst, &src, 0, 0, 8, 8, nan, 0, 16, 16, 1.0f, 0);
  RAST_ScaledBlit(&dst, &src, 0, 0, 8, 8, 0, 0, inf, 16, 1.0f, 0);
  RAST_ScaledBlit(&dst, &src, 0, 0, 8, 8, -1e30f, 0, 16, 16, 1.0f, RAST_FILTER_BILINEAR);
  RAST_ScaledBlit(&dst, &src, 0, 0, 8, 8, 1e30f, 1e30f, 16, 16, 1.0f, RAST_FILTER_BILINEAR);
  RAST_ScaledBlit(&dst, &src, INT_MAX, INT_MAX, 8, 8, 0, 0, 16, 16, 1.0f, 0);
  RAST_ScaledBlit(&dst, &src, 0, 0, 8, 8, 100, 100, 16, 16, 1.0f, 0);
  RAST_ScaledBlit(&dst, &empty, 0, 0, 8, 8, 0, 0, 16, 16, 1.0f, 0);
  RAST_ScaledBlit(nullptr, &src, 0, 0, 8, 8, 0, 0, 16, 16, 1.0f, 0);
  EXPECT_EQ(CountNot(&dst, kBackground), 0);
  // Enormous areas in every direction: whatever lands, lands inside.
  RAST_ScaledBlit(&dst, &src, INT_MIN, INT_MIN, INT_MAX, INT_MAX, -5, -5, 1e9f, 1e9f, 1.0f, RAST_FILTER_BILINEAR);
  RAST_ScaledBlit(&dst, &src, INT_MAX, 0, INT_MIN, 8, 0, 0, 16, 16, 0.5f, RAST_MODE_ADD);
  RAST_ScaledBlit(&dst, &src, -4, -4, 8, 8, 0, 0, 1e-20f, 3e9f, 1.0f, RAST_FILTER_BILINEAR);
}

TEST(ScaledBlit, NegativeDestinationOffsetAdvancesTheSource) {
  RAST_MemBitmap src(8, 8), dst(8, 8);
  FillPattern(&src);
  FillAll(&dst, kBackground);
  RAST_ScaledBlit(&dst, &src, -2, -4, 16, 16, 0, 0, 8, 8, 1.0f, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(At(&dst, x, y), At(&src, (x + 2) / 2, (y + 4) / 2));
  }
}

TEST(RotatedBlit, NoTurnReproducesTheSource) {
  RAST_MemBitmap src(9, 7), dst(9, 7);
  FillPattern(&src);
  RAST_RotatedBlit(&dst, &src, 0, 0, 9, 7, 0, 0, 9, 7, 0.0f, false, 1.0f, RAST_MODE_COPY, 0, 0);
  EXPECT_TRUE(SamePixels(&dst, &src));
}

TEST(RotatedBlit, QuarterTurnTurnsARowIntoAColumn) {
  RAST_MemBitmap src(5, 5), dst(5, 5);
  const RAST_pixel red = Px(255, 0, 0, 255);
  FillAll(&src, Px(0, 0, 255, 255));
  for (int x = 0; x < 5; ++x) Set(&src, x, 2, red);
  FillAll(&dst, kBackground);
  RAST_RotatedBlit(&dst, &src, 0, 0, 5, 5, 0, 0, 5, 5, static_cast<float>(M_PI / 2), false, 1.0f, RAST_MODE_COPY, 0, 0);
  int busiestColumn = 0;
  for (int x = 0; x < 5; ++x) {
    int n = 0;
    for (int y = 0; y < 5; ++y) n += At(&dst, x, y) == red;
    busiestColumn = n > busiestColumn ? n : busiestColumn;
  }
  EXPECT_GE(busiestColumn, 4);
  for (int y = 0; y < 5; ++y) {
    int n = 0;
    for (int x = 0; x < 5; ++x) n += At(&dst, x, y) == red;
    EXPECT_LE(n, 1) << y;
  }
}

TEST(RotatedBlit, ClipToSourceReadsOnlyTheSourceArea) {
  RAST_MemBitmap src(8, 8), dst(4, 4);
  FillPattern(&src);
  for (bool clip : {true, false}) {
    FillAll(&dst, kBackground);
    // The centre moved two pixels right: the right half samples past the 4 x 4 area at (2, 2).
    RAST_RotatedBlit(&dst, &src, 0, 0, 4, 4, 2, 2, 4, 4, 0.0f, clip, 1.0f, RAST_MODE_COPY, 2, 0);
    for (int j = 0; j < 4; ++j) {
      for (int i = 0; i < 4; ++i) {
        RAST_pixel want = clip && i >= 2 ? kBackground : At(&src, 4 + i, 2 + j);
        ASSERT_EQ(At(&dst, i, j), want) << clip << ": " << i << "," << j;
      }
    }
  }
}

TEST(RotatedBlit, AnyAngleAndSizeStaysInside) {
  RAST_MemBitmap src(16, 16), dst(8, 8);
  FillPattern(&src);
  for (float angle : {0.3f, -7.0f, 1e20f, INFINITY, NAN}) {
    for (int mode : {0, static_cast<int>(RAST_FILTER_BILINEAR | RAST_MODE_ADD)}) {
      RAST_RotatedBlit(&dst, &src, -3, -3, 20, 20, 0, 0, 16, 16, angle, false, 0.9f, mode, 2, -2);
      RAST_RotatedBlit(&dst, &src, INT_MIN, 0, INT_MAX, -20, -1e9f, 0, 1e9f, 16, angle, true, 1.0f, mode, 1e9f, 0);
      RAST_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 16, 16, angle, true, 1.0f, mode, NAN, 0);
    }
  }
}

}  // namespace
