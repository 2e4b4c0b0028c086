// The line and shape primitives of the editor.
#include <gtest/gtest.h>

#include "gui_test_support.h"

using namespace gui_test;

namespace {

class ShapesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mGfx = new TestGraphics(&mPlug, 100, 100);
    mPlug.AttachGraphics(mGfx);
    IRECT all(0, 0, 100, 100);
    mGfx->FillIRect(&COLOR_BLACK, &all);
  }
  int Count(const IColor& c) {
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) n += mGfx->GetPoint(x, y) == c;
    return n;
  }
  bool Is(int x, int y, const IColor& c) { return mGfx->GetPoint(x, y) == c; }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
};

TEST_F(ShapesTest, RectOutlinesLieOnAllFourEdgesThemselves) {
  IRECT r(10, 20, 30, 50);
  mGfx->DrawRect(&COLOR_WHITE, &r);
  for (auto [x, y] : {std::pair{10, 20}, {30, 20}, {10, 50}, {30, 50}, {20, 20}, {20, 50}, {10, 35}, {30, 35}})
    EXPECT_TRUE(Is(x, y, COLOR_WHITE)) << x << "," << y;
  EXPECT_TRUE(Is(20, 35, COLOR_BLACK));
  EXPECT_EQ(Count(COLOR_WHITE), 2 * 21 + 2 * 29);
}

TEST_F(ShapesTest, FractionalLinesAreMeasuredFromTheLeftAndFromTheBottom) {
  IRECT r(0, 0, 40, 80);
  mGfx->DrawVerticalLine(&COLOR_WHITE, &r, 0.25f);
  mGfx->DrawHorizontalLine(&COLOR_RED, &r, 0.25f);
  EXPECT_TRUE(Is(10, 5, COLOR_WHITE));
  EXPECT_TRUE(Is(5, 60, COLOR_RED));
  mGfx->DrawVerticalLine(&COLOR_GREEN, &r, 7.0f);  // clamped to the right edge
  EXPECT_TRUE(Is(40, 5, COLOR_GREEN));
}

TEST_F(ShapesTest, RadialLinesPointUpAtZeroAndRightAtAQuarterTurn) {
  mGfx->DrawRadialLine(&COLOR_WHITE, 50.0f, 50.0f, 0.0f, 0.0f, 20.0f);
  EXPECT_TRUE(Is(50, 31, COLOR_WHITE));
  EXPECT_TRUE(Is(50, 69, COLOR_BLACK));
  mGfx->DrawRadialLine(&COLOR_RED, 50.0f, 50.0f, static_cast<float>(kPi / 2), 0.0f, 20.0f);
  EXPECT_TRUE(Is(69, 50, COLOR_RED));
  EXPECT_TRUE(Is(31, 50, COLOR_BLACK));
}

TEST_F(ShapesTest, FilledRoundRectsCoverTheRectangleButItsCorners) {
  IRECT r(10, 10, 50, 40);
  mGfx->FillRoundRect(&COLOR_WHITE, &r, nullptr, 5, false);
  EXPECT_TRUE(Is(30, 10, COLOR_WHITE));
  EXPECT_TRUE(Is(10, 25, COLOR_WHITE));
  EXPECT_TRUE(Is(49, 25, COLOR_WHITE));
  EXPECT_TRUE(Is(30, 39, COLOR_WHITE));
  EXPECT_TRUE(Is(10, 10, COLOR_BLACK));
  EXPECT_TRUE(Is(49, 39, COLOR_BLACK));
  EXPECT_TRUE(Is(50, 25, COLOR_BLACK));
  EXPECT_TRUE(Is(30, 40, COLOR_BLACK));
}

TEST_F(ShapesTest, CirclesArcsTrianglesAndPolygonsDrawWhereTheRasterLibraryPutsThem) {
  mGfx->FillCircle(&COLOR_WHITE, 50, 50, 10.0f);
  EXPECT_TRUE(Is(50, 50, COLOR_WHITE));
  EXPECT_TRUE(Is(50, 61, COLOR_BLACK));
  mGfx->DrawCircle(&COLOR_RED, 50.0f, 50.0f, 20.0f);
  EXPECT_TRUE(Is(50, 30, COLOR_RED));
  EXPECT_TRUE(Is(50, 40, COLOR_WHITE));
  mGfx->DrawArc(&COLOR_GREEN, 50.0f, 50.0f, 30.0f, 0.0f, static_cast<float>(kPi / 2));
  EXPECT_TRUE(Is(80, 50, COLOR_GREEN));
  EXPECT_TRUE(Is(20, 50, COLOR_BLACK));
  mGfx->FillTriangle(&COLOR_BLUE, 0, 0, 8, 0, 0, 8);
  EXPECT_TRUE(Is(1, 1, COLOR_BLUE));
  EXPECT_TRUE(Is(8, 8, COLOR_BLACK));
  const int xs[] = {90, 99, 99, 90}, ys[] = {90, 90, 99, 99};
  mGfx->FillIConvexPolygon(&COLOR_YELLOW, xs, ys, 4);
  EXPECT_TRUE(Is(95, 95, COLOR_YELLOW));
  mGfx->FillIConvexPolygon(&COLOR_YELLOW, nullptr, ys, 4);
  mGfx->FillIConvexPolygon(&COLOR_YELLOW, xs, ys, 0);
  IRECT outline(60, 5, 90, 25);
  mGfx->RoundRect(&COLOR_ORANGE, &outline, nullptr, 4, true);
  EXPECT_TRUE(Is(75, 5, COLOR_ORANGE));
  EXPECT_TRUE(Is(75, 15, COLOR_BLACK));
}

}  // namespace
