#include <gtest/gtest.h>

#include <climits>

#include "raster/rast_blit.h"
#include "raster/rast_dispatch.h"
#include "raster_test_util.h"
#include "support/alloc_counter.h"

using namespace rast_test;

namespace {

const RAST_pixel kBackground = Px(11, 22, 33, 44);

TEST(Blit, NegativeDestinationTakesTheSourcesFarCorner) {
  RAST_MemBitmap src(10, 10), dst(10, 10);
  FillPattern(&src);
  FillAll(&dst, kBackground);
  RAST_Blit(&dst, &src, -5, -5, nullptr, 1.0f, RAST_MODE_COPY);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      RAST_pixel want = x < 5 && y < 5 ? At(&src, x + 5, y + 5) : kBackground;
      ASSERT_EQ(At(&dst, x, y), want) << x << "," << y;
    }
  }
}

TEST(Blit, SourceRectangleIsClampedAndNegativeEdgesMoveTheDestination) {
  RAST_MemBitmap src(8, 6), dst(12, 12);
  FillPattern(&src);
  FillAll(&dst, kBackground);
  RECT r{-2, -1, 100, 100};  // left and top before the source, right and bottom past it
  RAST_Blit(&dst, &src, 1, 1, &r, 1.0f, RAST_MODE_COPY);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      bool inside = x >= 3 && x < 11 && y >= 2 && y < 8;
      ASSERT_EQ(At(&dst, x, y), inside ? At(&src, x - 3, y - 2) : kBackground) << x << "," << y;
    }
  }
}

TEST(Blit, EveryModeCombinesEachPixelAsTheSinglePixelCombiner) {
  RAST_MemBitmap src(7, 5), dst(7, 5), want(7, 5);
  FillPattern(&src, 3);
  for (int op = 0; op <= 6; ++op) {
    for (int flags : {0, static_cast<int>(RAST_USE_SOURCE_ALPHA)}) {
      for (float alpha : {1.0f, 0.75f, 0.3f}) {
        int mode = op | flags;
        FillPattern(&dst, 4);
        FillPattern(&want, 4);
        RAST_Blit(&dst, &src, 0, 0, nullptr, alpha, mode);
        for (int y = 0; y < 5; ++y) {
          for (int x = 0; x < 7; ++x) Set(&want, x, y, RAST_CombinePixels(At(&want, x, y), At(&src, x, y), alpha, mode));
        }
        ASSERT_TRUE(SamePixels(&dst, &want)) << "mode " << mode << " alpha " << alpha;
      }
    }
  }
}

TEST(Blit, CopyAtHalfAlphaIsTheWholePixelHalfMix) {
  RAST_MemBitmap src(4, 4), dst(4, 4);
  FillPattern(&src, 1);
  FillPattern(&dst, 2);
  RAST_MemBitmap before(4, 4);
  RAST_Copy(&before, &dst);
  RAST_Blit(&dst, &src, 0, 0, nullptr, 0.5f, RAST_MODE_COPY);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      RAST_pixel d = At(&before, x, y), s = At(&src, x, y);
      RAST_pixel want = 0;
      for (int shift = 0; shift < 32; shift += 8) want |= ((((d >> shift) & 0xff) >> 1) + (((s >> shift) & 0xff) >> 1)) << shift;
      ASSERT_EQ(At(&dst, x, y), want);
    }
  }
}

TEST(Blit, ChannelCopyMovesOneByte) {
  RAST_MemBitmap src(1, 1), dst(1, 1);
  Set(&src, 0, 0, Px(1, 2, 3, 4));
  Set(&dst, 0, 0, Px(10, 20, 30, 40));
  // Source byte 3 (blue) into destination byte 0 (alpha).
  RAST_Blit(&dst, &src, 0, 0, nullptr, 1.0f, RAST_MODE_CHANNEL_COPY | (RAST_BYTE_A << 2) | RAST_BYTE_B);
  EXPECT_EQ(At(&dst, 0, 0), Px(10, 20, 30, 3));
}

TEST(Blit, ABitmapBlittedOntoItselfReadsEachPixelBeforeWritingIt) {
  for (int dx : {-2, 0, 3}) {
    for (int dy : {-1, 0, 2}) {
      for (float alpha : {1.0f, 0.6f}) {
        RAST_MemBitmap bmp(9, 7), copy(9, 7), want(9, 7);
        FillPattern(&bmp, 5);
        RAST_Copy(&copy, &bmp);
        RAST_Copy(&want, &bmp);
        RAST_Blit(&want, &copy, dx, dy, nullptr, alpha, RAST_MODE_ADD);
        RAST_Blit(&bmp, &bmp, dx, dy, nullptr, alpha, RAST_MODE_ADD);
        ASSERT_TRUE(SamePixels(&bmp, &want)) << dx << "," << dy;
      }
    }
  }
}

TEST(Blit, DegenerateInputDrawsNothingAndStaysInside) {
  RAST_MemBitmap src(6, 6), dst(6, 6), empty(0, 0), want(6, 6);
  FillPattern(&src);
  FillAll(&dst, kBackground);
  FillAll(&want, kBackground);
  RAST_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  RAST_Blit(&dst, nullptr, 0, 0, nullptr, 1.0f, 0);
  RAST_Blit(&dst, &empty, 0, 0, nullptr, 1.0f, 0);
  RAST_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  RAST_Blit(&dst, &src, 0, 0, nullptr, 0.0f, 0);
  RAST_Blit(&dst, &src, 6, 0, nullptr, 1.0f, 0);
  RAST_Blit(&dst, &src, INT_MAX, INT_MAX, nullptr, 1.0f, 0);
  RAST_Blit(&dst, &src, INT_MIN, INT_MIN, nullptr, 1.0f, 0);
  RAST_Blit(&dst, &src, 0, 0, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1.0f, 0);
  RAST_Blit(&dst, &src, 0, 0, 2, 2, -3, 4, 1.0f, 0);
  RECT inverted{5, 5, 1, 1};
  RAST_Blit(&dst, &src, 0, 0, &inverted, 1.0f, 0);
  EXPECT_TRUE(SamePixels(&dst, &want));
  // A source rectangle starting far left reaches the destination shifted far right: nothing.
  RAST_Blit(&dst, &src, 0, 0, INT_MIN, 0, INT_MAX, 6, 1.0f, 0);
  EXPECT_TRUE(SamePixels(&dst, &want));
}

TEST(Blit, CopyResizesTheDestination) {
  RAST_MemBitmap src(13, 3), dst(2, 2);
  FillPattern(&src);
  RAST_Copy(&dst, &src);
  EXPECT_TRUE(SamePixels(&dst, &src));
}

TEST(Fill, WholePixelWeightsUseTheMaskedShifts) {
  const RAST_pixel d = Px(201, 100, 7, 255), c = Px(50, 255, 3, 128);
  auto fill = [&](float alpha) {
    RAST_MemBitmap bmp(1, 1);
    Set(&bmp, 0, 0, d);
    RAST_FillRect(&bmp, 0, 0, 1, 1, c, alpha, RAST_MODE_COPY);
    return At(&bmp, 0, 0);
  };
  EXPECT_EQ(fill(1.0f), c);
  EXPECT_EQ(fill(0.5f), Px(100 + 25, 50 + 127, 3 + 1, 127 + 64));
  // Three quarters of the destination (half plus quarter) plus a quarter of the colour.
  EXPECT_EQ(fill(0.25f), Px(100 + 50 + 12, 50 + 25 + 63, 3 + 1 + 0, 127 + 63 + 32));
  // A quarter of the destination plus three quarters of the colour.
  EXPECT_EQ(fill(0.75f), Px(50 + 25 + 12 + 0, 25 + 127 + 63, 1 + 1 + 0, 63 + 64 + 32));
}

TEST(Fill, OtherWeightsCombineWithTheWeightAsAlpha) {
  RAST_MemBitmap bmp(1, 1);
  Set(&bmp, 0, 0, Px(100, 100, 100, 100));
  RAST_FillRect(&bmp, 0, 0, 1, 1, Px(200, 0, 50, 7), 0.5f, RAST_MODE_ADD);
  // Colour channels add c * 128 / 256; the alpha channel adds the weight 128 * 128 / 256.
  EXPECT_EQ(At(&bmp, 0, 0), Px(200, 100, 125, 164));
  Set(&bmp, 0, 0, Px(100, 100, 100, 100));
  RAST_FillRect(&bmp, 0, 0, 1, 1, Px(200, 0, 50, 7), 0.3f, RAST_MODE_COPY);  // weight 76
  EXPECT_EQ(At(&bmp, 0, 0), Px(130, 70, 85, 92));
}

TEST(Fill, SourceAlphaScalesByTheColoursAlpha) {
  RAST_MemBitmap bmp(1, 1);
  Set(&bmp, 0, 0, Px(0, 0, 0, 0));
  // alpha 1.0 * 128 / 255 gives weight 128: the whole-pixel half mix.
  RAST_FillRect(&bmp, 0, 0, 1, 1, Px(200, 100, 50, 128), 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA);
  EXPECT_EQ(At(&bmp, 0, 0), Px(100, 50, 25, 64));
  RAST_FillRect(&bmp, 0, 0, 1, 1, Px(200, 100, 50, 0), 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA);
  EXPECT_EQ(At(&bmp, 0, 0), Px(100, 50, 25, 64));
}

TEST(Fill, ClipsToTheBitmap) {
  RAST_MemBitmap bmp(5, 4);
  const RAST_pixel c = Px(1, 2, 3, 4);
  FillAll(&bmp, kBackground);
  RAST_FillRect(&bmp, -3, 2, 5, 100, c, 1.0f, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) ASSERT_EQ(At(&bmp, x, y), x < 2 && y >= 2 ? c : kBackground);
  }
  FillAll(&bmp, kBackground);
  RAST_FillRect(&bmp, INT_MIN, INT_MIN, INT_MAX, INT_MAX, c, 1.0f, 0);
  RAST_FillRect(&bmp, INT_MAX, 0, INT_MAX, 4, c, 1.0f, 0);
  RAST_FillRect(&bmp, 0, 0, -1, 4, c, 1.0f, 0);
  RAST_FillRect(nullptr, 0, 0, 4, 4, c, 1.0f, 0);
  EXPECT_EQ(CountNot(&bmp, kBackground), 0);
  RAST_FillRect(&bmp, -10, -10, INT_MAX, INT_MAX, c, 1.0f, 0);
  EXPECT_EQ(CountNot(&bmp, c), 0);
}

TEST(Fill, ClearRectMasksAndSetsBits) {
  RAST_MemBitmap bmp(3, 3);
  FillAll(&bmp, Px(10, 20, 30, 40));
  RAST_ClearRect(&bmp, 1, 1, 5, 5, 0xffffff00u, 0x7u);
  EXPECT_EQ(At(&bmp, 0, 0), Px(10, 20, 30, 40));
  EXPECT_EQ(At(&bmp, 2, 2), Px(10, 20, 30, 7));
}

TEST(Pixel, GetAndPutStayInside) {
  RAST_MemBitmap bmp(3, 2);
  FillAll(&bmp, kBackground);
  EXPECT_EQ(RAST_GetPixel(&bmp, -1, 0), 0u);
  EXPECT_EQ(RAST_GetPixel(&bmp, 3, 0), 0u);
  EXPECT_EQ(RAST_GetPixel(nullptr, 0, 0), 0u);
  EXPECT_EQ(RAST_GetPixel(&bmp, 2, 1), kBackground);
  RAST_PutPixel(&bmp, 3, 1, Px(1, 1, 1, 1), 1.0f, 0);
  RAST_PutPixel(&bmp, 0, -1, Px(1, 1, 1, 1), 1.0f, 0);
  EXPECT_EQ(CountNot(&bmp, kBackground), 0);
  RAST_PutPixel(&bmp, 1, 1, Px(100, 0, 0, 0), 0.5f, RAST_MODE_COPY);
  EXPECT_EQ(RAST_GetPixel(&bmp, 1, 1), Px(5 + 50, 11, 16, 22));
  // Other modes use the colour's own alpha and ignore the source-alpha flag.
  RAST_PutPixel(&bmp, 0, 0, Px(0, 0, 0, 100), 1.0f, RAST_MODE_ADD | RAST_USE_SOURCE_ALPHA);
  EXPECT_EQ(RAST_GetPixel(&bmp, 0, 0), Px(11, 22, 33, 144));
}

TEST(Blit, DrawingAllocatesNothing) {
  RAST_MemBitmap src(32, 32), dst(32, 32);
  FillPattern(&src);
  korv_test::AllocationScope scope;
  RAST_Blit(&dst, &src, 3, 4, nullptr, 0.7f, RAST_MODE_OVERLAY | RAST_USE_SOURCE_ALPHA);
  RAST_Blit(&dst, &src, 0, 0, nullptr, 1.0f, RAST_MODE_COPY);
  RAST_ScaledBlit(&dst, &src, 0, 0, 20, 20, 0, 0, 32, 32, 1.0f, RAST_FILTER_BILINEAR);
  RAST_RotatedBlit(&dst, &src, 0, 0, 32, 32, 0, 0, 32, 32, 0.5f, true, 1.0f, RAST_FILTER_BILINEAR, 0, 0);
  RAST_FillRect(&dst, 1, 1, 9, 9, 0x12345678u, 0.4f, RAST_MODE_HSVADJ);
  EXPECT_EQ(scope.Count(), 0);
}

}  // namespace
