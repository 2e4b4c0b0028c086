#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "raster/rast_blit.h"
#include "raster/rast_shapes.h"
#include "raster_test_util.h"
#include "support/alloc_counter.h"

using namespace rast_test;

namespace {

const RAST_pixel kBlack = Px(0, 0, 0, 0);
const RAST_pixel kWhite = Px(255, 255, 255, 255);
// Adding this at full weight counts how often a pixel was combined: 0, 1, 2 ... per channel.
const RAST_pixel kOne = Px(1, 1, 1, 1);

RAST_pixel Times(int n) { return Px(n, n, n, n); }

TEST(Line, EndsAreIncludedAndTheLineIsTheSameBothWays) {
  const int ends[][4] = {{1, 1, 17, 6}, {2, 15, 9, 0}, {0, 0, 19, 1}, {3, 3, 4, 18}, {18, 2, 1, 3}};
  for (const auto& e : ends) {
    RAST_MemBitmap a(20, 20), b(20, 20);
    FillAll(&a, kBlack);
    FillAll(&b, kBlack);
    RAST_Line(&a, e[0], e[1], e[2], e[3], kOne, 1.0f, RAST_MODE_ADD, false);
    RAST_Line(&b, e[2], e[3], e[0], e[1], kOne, 1.0f, RAST_MODE_ADD, false);
    EXPECT_TRUE(SamePixels(&a, &b));
    EXPECT_EQ(At(&a, e[0], e[1]), kOne);
    EXPECT_EQ(At(&a, e[2], e[3]), kOne);
    // One pixel per step of the longer axis, each combined once.
    int steps = std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1]));
    EXPECT_EQ(CountNot(&a, kBlack), steps + 1);
    EXPECT_EQ(CountNot(&a, kBlack) + CountNot(&a, kOne), 20 * 20);
  }
}

TEST(Line, PixelsFollowTheIdealLine) {
  RAST_MemBitmap bmp(40, 40);
  FillAll(&bmp, kBlack);
  RAST_Line(&bmp, 2, 5, 37, 19, kWhite, 1.0f, 0, false);
  for (int x = 2; x <= 37; ++x) {
    double ideal = 5 + (x - 2) * 14.0 / 35.0;
    int found = -1;
    for (int y = 0; y < 40; ++y) {
      if (At(&bmp, x, y) == kWhite) found = y;
    }
    EXPECT_LE(std::fabs(found - ideal), 0.5 + 1e-9) << x;
  }
}

TEST(Line, ClippedLinesKeepTheirPixelsInside) {
  const int ends[][4] = {{-10, 5, 30, 5}, {4, -50, 4, 90}, {-6, -6, 25, 25}, {25, -3, -3, 25}, {-30, 2, 45, 14}};
  for (const auto& e : ends) {
    // The same line on a bitmap large enough to hold it whole, seen through a window.
    RAST_MemBitmap small(16, 12), big(120, 200);
    FillAll(&small, kBlack);
    FillAll(&big, kBlack);
    RAST_Line(&small, e[0], e[1], e[2], e[3], kWhite, 1.0f, 0, false);
    RAST_Line(&big, e[0] + 50, e[1] + 60, e[2] + 50, e[3] + 60, kWhite, 1.0f, 0, false);
    int differ = 0, far = 0;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 16; ++x) {
        if (At(&small, x, y) == At(&big, x + 50, y + 60)) continue;
        ++differ;
        // A clipped end lands on the ideal line's nearest pixel; the unclipped line may round the
        // other way there.
        bool near = false;
        for (int d = -1; d <= 1; ++d) near |= At(&big, x + 50, y + 60 + d) == kWhite || At(&big, x + 50 + d, y + 60) == kWhite;
        far += !near;
      }
    }
    bool straight = e[0] == e[2] || e[1] == e[3] || std::abs(e[2] - e[0]) == std::abs(e[3] - e[1]);
    if (straight) { EXPECT_EQ(differ, 0) << e[0] << "," << e[1]; }
    EXPECT_EQ(far, 0);
  }
}

TEST(Line, OutsideOrDegenerateLinesDrawNothing) {
  RAST_MemBitmap bmp(10, 10), empty;
  FillAll(&bmp, kBlack);
  RAST_Line(&bmp, -5, -1, 20, -1, kWhite, 1.0f, 0, false);
  RAST_Line(&bmp, 10, 0, 10, 9, kWhite, 1.0f, 0, true);
  RAST_Line(&bmp, INT_MIN, INT_MIN, INT_MAX, INT_MIN, kWhite, 1.0f, 0, true);
  RAST_Line(&bmp, 0, 0, 9, 9, kWhite, 0.0f, 0, false);
  RAST_Line(&bmp, 0, 0, 9, 9, kWhite, 1.0f, 99, false);
  RAST_Line(nullptr, 0, 0, 9, 9, kWhite, 1.0f, 0, false);
  RAST_Line(&empty, 0, 0, 9, 9, kWhite, 1.0f, 0, false);
  EXPECT_EQ(CountNot(&bmp, kBlack), 0);
  // Lines between the extremes of int cross the bitmap.
  RAST_Line(&bmp, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kWhite, 1.0f, 0, true);
  RAST_Line(&bmp, INT_MAX, INT_MIN, INT_MIN, INT_MAX, kWhite, 1.0f, 0, false);
  EXPECT_GT(CountNot(&bmp, kBlack), 0);
}

TEST(Line, HalfAlphaIsTheWholePixelHalfMix) {
  RAST_MemBitmap bmp(8, 2);
  FillAll(&bmp, Px(201, 100, 7, 255));
  RAST_Line(&bmp, 0, 0, 7, 0, Px(50, 255, 3, 128), 0.5f, RAST_MODE_COPY, false);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(At(&bmp, x, 0), Px(125, 177, 4, 191));
  EXPECT_EQ(At(&bmp, 0, 1), Px(201, 100, 7, 255));
}

TEST(Line, AntialiasedDiagonalIsOneFullPixelPerStep) {
  RAST_MemBitmap bmp(10, 10);
  FillAll(&bmp, kBlack);
  RAST_Line(&bmp, 1, 1, 8, 8, kWhite, 1.0f, RAST_MODE_COPY, true);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(&bmp, x, y), x == y && x >= 1 && x <= 8 ? kWhite : kBlack) << x << "," << y;
  }
}

TEST(Line, AntialiasedPairsShareTheWeight) {
  RAST_MemBitmap bmp(20, 10);
  FillAll(&bmp, kBlack);
  RAST_Line(&bmp, 0, 0, 16, 5, Px(255, 0, 0, 0), 1.0f, RAST_MODE_ADD, true);
  EXPECT_EQ(RAST_GETR(At(&bmp, 0, 0)), 255);
  EXPECT_EQ(RAST_GETR(At(&bmp, 16, 5)), 255);
  for (int x = 1; x < 16; ++x) {
    int sum = 0;
    for (int y = 0; y < 10; ++y) sum += RAST_GETR(At(&bmp, x, y));
    // Weights 255 - f and f of red 255 at weight w add 255 * w / 256 each.
    EXPECT_GE(sum, 252) << x;
    EXPECT_LE(sum, 255) << x;
  }
}

TEST(Line, ClipLineAgainstARectangle) {
  // Slope 1 through (0, 4): enters at the left edge, leaves through the bottom row at (3, 7).
  int x1 = -4, y1 = 0, x2 = 10, y2 = 14;
  ASSERT_TRUE(RAST_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 8, 8));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 4);
  EXPECT_EQ(x2, 3);
  EXPECT_EQ(y2, 7);
  x1 = -4, y1 = 0, x2 = 10, y2 = 14;
  ASSERT_TRUE(RAST_ClipLine(&x1, &y1, &x2, &y2, -20, -20, 5, 5));
  EXPECT_EQ(x1, -4);
  EXPECT_EQ(y1, 0);
  EXPECT_EQ(x2, 0);
  EXPECT_EQ(y2, 4);
  // Rejected lines keep their ends.
  x1 = -10, y1 = 0, x2 = 10, y2 = 20;
  EXPECT_FALSE(RAST_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 8, 8));
  EXPECT_EQ(x1, -10);
  EXPECT_EQ(y2, 20);
  x1 = 0, y1 = 0, x2 = 5, y2 = 0;
  EXPECT_FALSE(RAST_ClipLine(&x1, &y1, &x2, &y2, 0, 1, 8, 8));
  EXPECT_FALSE(RAST_ClipLine(&x1, &y1, &x2, &y2, 4, 4, 4, 9));
  EXPECT_FALSE(RAST_ClipLine(nullptr, &y1, &x2, &y2, 0, 0, 8, 8));
}

TEST(Rect, CornersAreCombinedTwice) {
  RAST_MemBitmap bmp(8, 8);
  FillAll(&bmp, kBlack);
  RAST_DrawRect(&bmp, 1, 1, 4, 3, kOne, 1.0f, RAST_MODE_ADD);
  EXPECT_EQ(At(&bmp, 1, 1), Times(2));
  EXPECT_EQ(At(&bmp, 5, 4), Times(2));
  EXPECT_EQ(At(&bmp, 3, 1), kOne);
  EXPECT_EQ(At(&bmp, 3, 2), kBlack);
  EXPECT_EQ(CountNot(&bmp, kBlack), 14);
  RAST_DrawRect(&bmp, INT_MAX - 2, 0, 10, 10, kOne, 1.0f, RAST_MODE_ADD);
  EXPECT_EQ(CountNot(&bmp, kBlack), 14);
}

TEST(Circle, OutlineIsSymmetricAndCombinesEachPixelOnce) {
  for (bool aa : {false, true}) {
    RAST_MemBitmap bmp(31, 31);
    FillAll(&bmp, kBlack);
    RAST_Circle(&bmp, 15, 15, 9.4f, aa ? Px(255, 0, 0, 0) : kOne, 1.0f, RAST_MODE_ADD, aa);
    for (int y = 0; y < 31; ++y) {
      for (int x = 0; x < 31; ++x) {
        RAST_pixel p = At(&bmp, x, y);
        ASSERT_EQ(p, At(&bmp, 30 - x, y));
        ASSERT_EQ(p, At(&bmp, x, 30 - y));
        ASSERT_EQ(p, At(&bmp, y, x));
        if (p == kBlack) continue;
        double dist = std::hypot(x - 15, y - 15);
        ASSERT_NEAR(dist, 9.4, 1.5) << x << "," << y;
        if (!aa) { ASSERT_EQ(p, kOne); }
      }
    }
  }
}

TEST(Circle, RadiusZeroIsTheCentre) {
  for (bool aa : {false, true}) {
    RAST_MemBitmap bmp(5, 5);
    FillAll(&bmp, kBlack);
    RAST_Circle(&bmp, 2, 2, 0, kOne, 1.0f, RAST_MODE_ADD, aa);
    EXPECT_EQ(At(&bmp, 2, 2), kOne);
    EXPECT_EQ(CountNot(&bmp, kBlack), 1);
  }
}

TEST(Circle, CentresAndArcEndsRoundByAddingAHalfAndTruncating) {
  // -0.7 + 0.5 truncates to 0, not down to -1: the circle reaches column 5.
  RAST_MemBitmap circle(20, 20), arc(20, 20);
  FillAll(&circle, kBlack);
  FillAll(&arc, kBlack);
  RAST_Circle(&circle, -0.7f, 10.0f, 5.0f, kWhite, 1.0f, RAST_MODE_COPY, false);
  EXPECT_EQ(At(&circle, 5, 10), kWhite);
  EXPECT_EQ(At(&circle, 6, 10), kBlack);
  RAST_Arc(&arc, -0.7f, 10.0f, 5.0f, 0.0f, 3.14159265f, kWhite, 1.0f, RAST_MODE_COPY, false);
  EXPECT_EQ(At(&arc, 5, 10), kWhite);
  EXPECT_EQ(At(&arc, 0, 15), kWhite);
}

TEST(Circle, FillCoversTheOutlineAndCombinesEachPixelOnce) {
  RAST_MemBitmap fill(40, 40), outline(40, 40);
  FillAll(&fill, kBlack);
  FillAll(&outline, kBlack);
  RAST_FillCircle(&fill, 20, 20, 13, kOne, 1.0f, RAST_MODE_ADD, false);
  RAST_Circle(&outline, 20, 20, 13, kOne, 1.0f, RAST_MODE_ADD, false);
  int filled = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      RAST_pixel p = At(&fill, x, y);
      ASSERT_TRUE(p == kBlack || p == kOne);
      if (At(&outline, x, y) != kBlack) { ASSERT_EQ(p, kOne) << x << "," << y; }
      filled += p == kOne;
    }
  }
  EXPECT_NEAR(filled, M_PI * 13 * 13, 2 * M_PI * 13);
}

TEST(Circle, AntialiasedFillIsSolidInsideAndSoftAtTheEdge) {
  RAST_MemBitmap bmp(40, 40);
  FillAll(&bmp, kBlack);
  RAST_FillCircle(&bmp, 20, 20, 10.5f, Px(200, 0, 0, 0), 1.0f, RAST_MODE_ADD, true);
  int partial = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      int r = RAST_GETR(At(&bmp, x, y));
      double dist = std::hypot(x - 20, y - 20);
      if (dist <= 9.5) { ASSERT_EQ(r, 200) << x << "," << y; }
      if (dist >= 12) { ASSERT_EQ(r, 0) << x << "," << y; }
      ASSERT_LE(r, 200);
      partial += r > 0 && r < 200;
    }
  }
  EXPECT_GT(partial, 20);
}

TEST(Circle, HugeAndHostileCirclesStayInside) {
  RAST_MemBitmap bmp(16, 16), empty;
  FillAll(&bmp, kBlack);
  for (bool aa : {false, true}) {
    RAST_Circle(&bmp, 8, 8, -1, kWhite, 1.0f, 0, aa);
    RAST_Circle(&bmp, 8, 8, NAN, kWhite, 1.0f, 0, aa);
    RAST_Circle(&bmp, INFINITY, 8, 3, kWhite, 1.0f, 0, aa);
    RAST_Circle(&bmp, 1e30f, -1e30f, 3, kWhite, 1.0f, 0, aa);
    RAST_Circle(&bmp, 8, 8, 1e30f, kWhite, 1.0f, 0, aa);
    RAST_FillCircle(&bmp, -100, -100, 50, kWhite, 1.0f, 0, aa);
    RAST_FillCircle(&empty, 0, 0, 50, kWhite, 1.0f, 0, aa);
  }
  EXPECT_EQ(CountNot(&bmp, kBlack), 0);
  // A disc much larger than the bitmap covers all of it.
  RAST_FillCircle(&bmp, 8, 8, 100000, kWhite, 1.0f, 0, false);
  EXPECT_EQ(CountNot(&bmp, kWhite), 0);
  FillAll(&bmp, kBlack);
  RAST_FillCircle(&bmp, 8, 8, 100000, kWhite, 1.0f, 0, true);
  EXPECT_EQ(CountNot(&bmp, kWhite), 0);
  RAST_Circle(&bmp, 8, 8, 100000, kBlack, 1.0f, 0, true);
}

TEST(Arc, FullTurnIsTheCircle) {
  RAST_MemBitmap arc(30, 30), circle(30, 30);
  for (bool aa : {false, true}) {
    FillAll(&arc, kBlack);
    FillAll(&circle, kBlack);
    RAST_Arc(&arc, 15, 15, 10, 0, static_cast<float>(2 * M_PI), kWhite, 1.0f, 0, aa);
    RAST_Circle(&circle, 15, 15, 10, kWhite, 1.0f, 0, aa);
    EXPECT_TRUE(SamePixels(&arc, &circle));
  }
}

TEST(Arc, QuarterDrawsOnlyItsQuarter) {
  RAST_MemBitmap arc(30, 30), circle(30, 30);
  FillAll(&arc, kBlack);
  FillAll(&circle, kBlack);
  // From straight up clockwise to the right: the upper-right quarter.
  RAST_Arc(&arc, 15, 15, 10, 0, static_cast<float>(M_PI / 2), kWhite, 1.0f, 0, false);
  RAST_Circle(&circle, 15, 15, 10, kWhite, 1.0f, 0, false);
  int drawn = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      if (At(&arc, x, y) == kBlack) continue;
      ++drawn;
      ASSERT_EQ(At(&circle, x, y), kWhite);
      ASSERT_TRUE(x >= 15 && y <= 15) << x << "," << y;
    }
  }
  EXPECT_GE(drawn, 14);
  // Angles equal modulo a turn draw the same arc; any angle value is safe.
  RAST_MemBitmap shifted(30, 30);
  FillAll(&shifted, kBlack);
  RAST_Arc(&shifted, 15, 15, 10, static_cast<float>(4 * M_PI), static_cast<float>(4.5 * M_PI), kWhite, 1.0f, 0, false);
  EXPECT_TRUE(SamePixels(&arc, &shifted));
  RAST_Arc(&shifted, 15, 15, 10, NAN, 1, kWhite, 1.0f, 0, true);
  RAST_Arc(&shifted, 15, 15, 10, -1e30f, 1e30f, kWhite, 1.0f, 0, true);
  RAST_Arc(&shifted, 15, 15, 10, 1e30f, 1e30f, kWhite, 1.0f, 0, true);
}

TEST(RoundRect, SmallRadiusIsThePlainRectangle) {
  RAST_MemBitmap a(20, 20), b(20, 20);
  FillAll(&a, kBlack);
  FillAll(&b, kBlack);
  RAST_RoundRect(&a, 2, 3, 10, 8, 1, kWhite, 1.0f, 0, false);
  RAST_DrawRect(&b, 2, 3, 10, 8, kWhite, 1.0f, 0);
  EXPECT_TRUE(SamePixels(&a, &b));
}

TEST(RoundRect, CornersAreRounded) {
  RAST_MemBitmap bmp(30, 30);
  FillAll(&bmp, kBlack);
  RAST_RoundRect(&bmp, 2, 2, 20, 16, 5, kWhite, 1.0f, 0, false);
  EXPECT_EQ(At(&bmp, 2, 2), kBlack);
  EXPECT_EQ(At(&bmp, 22, 18), kBlack);
  EXPECT_EQ(At(&bmp, 12, 2), kWhite);
  EXPECT_EQ(At(&bmp, 2, 10), kWhite);
  EXPECT_EQ(At(&bmp, 22, 10), kWhite);
  EXPECT_EQ(At(&bmp, 12, 18), kWhite);
  RAST_RoundRect(&bmp, NAN, 0, 10, 10, 3, kWhite, 1.0f, 0, true);
  RAST_RoundRect(&bmp, -1e30f, 0, 1e30f, 10, 3, kWhite, 1.0f, 0, true);
}

TEST(Polygon, TriangleOnOneRowFillsThatRowsSpan) {
  RAST_MemBitmap bmp(10, 5);
  FillAll(&bmp, kBlack);
  RAST_FillTriangle(&bmp, 2, 3, 7, 3, 5, 3, kOne, 1.0f, RAST_MODE_ADD);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(&bmp, x, y), y == 3 && x >= 2 && x <= 7 ? kOne : kBlack);
  }
}

TEST(Polygon, FillsBetweenTheEdgesOnce) {
  RAST_MemBitmap bmp(12, 12);
  FillAll(&bmp, kBlack);
  // Right triangle with legs of 10: row y spans x = 1 .. 1 + (y - 1).
  RAST_FillTriangle(&bmp, 1, 1, 1, 11, 11, 11, kOne, 1.0f, RAST_MODE_ADD);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) ASSERT_EQ(At(&bmp, x, y), y >= 1 && x >= 1 && x <= y ? kOne : kBlack) << x << "," << y;
  }
  const int xs[] = {-1000000, 1000000, 1000000, -1000000}, ys[] = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  RAST_FillConvexPolygon(&bmp, xs, ys, 4, kWhite, 1.0f, 0);
  EXPECT_EQ(CountNot(&bmp, kWhite), 0);
  RAST_FillConvexPolygon(&bmp, nullptr, ys, 4, kBlack, 1.0f, 0);
  RAST_FillConvexPolygon(&bmp, xs, ys, 0, kBlack, 1.0f, 0);
  EXPECT_EQ(CountNot(&bmp, kWhite), 0);
}

TEST(Shapes, DrawingAllocatesNothing) {
  RAST_MemBitmap bmp(64, 64);
  korv_test::AllocationScope scope;
  RAST_Line(&bmp, 0, 0, 63, 20, kWhite, 0.7f, RAST_MODE_ADD, true);
  RAST_FillCircle(&bmp, 30, 30, 12, kWhite, 0.4f, RAST_MODE_MUL, true);
  RAST_Arc(&bmp, 30, 30, 12, 0.2f, 4.0f, kWhite, 1.0f, 0, false);
  RAST_RoundRect(&bmp, 3, 3, 40, 30, 6, kWhite, 1.0f, RAST_MODE_OVERLAY, true);
  RAST_FillTriangle(&bmp, 1, 1, 50, 9, 20, 60, kWhite, 0.5f, 0);
  EXPECT_EQ(scope.Count(), 0);
}

}  // namespace
