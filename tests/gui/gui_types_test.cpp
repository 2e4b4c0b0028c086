#include "gui/gui_types.h"

#include <gtest/gtest.h>

#include "raster/rast_combine.h"

TEST(IRECTTest, IntersectsIsInclusiveOnThisRectanglesRightAndBottomOnly) {
  IRECT a(0, 0, 10, 10), b(10, 0, 20, 10), below(0, 10, 10, 20);
  EXPECT_TRUE(a.Intersects(b));
  EXPECT_FALSE(b.Intersects(a));
  EXPECT_TRUE(a.Intersects(below));
  EXPECT_FALSE(below.Intersects(a));
  EXPECT_FALSE(a.Intersects(IRECT()));
  EXPECT_EQ(a.Intersect(IRECT(5, -5, 30, 5)), IRECT(5, 0, 10, 5));
  EXPECT_EQ(b.Intersect(a), IRECT());
}

TEST(IRECTTest, EmptinessContainsAndUnion) {
  EXPECT_TRUE(IRECT().Empty());
  IRECT zeroArea(5, 5, 5, 5);
  EXPECT_FALSE(zeroArea.Empty());
  IRECT r(2, 3, 12, 8);
  EXPECT_TRUE(r.Contains(2, 3));
  EXPECT_FALSE(r.Contains(12, 3));
  EXPECT_FALSE(r.Contains(2, 8));
  EXPECT_FALSE(IRECT().Contains(0, 0));
  EXPECT_EQ(IRECT().Union(r), r);
  EXPECT_EQ(r.Union(IRECT()), r);
  EXPECT_EQ(r.Union(IRECT(-1, 5, 4, 20)), IRECT(-1, 3, 12, 20));
  EXPECT_FLOAT_EQ(r.MW(), 7.0f);
  EXPECT_FLOAT_EQ(r.MH(), 5.5f);
}

TEST(IRECTTest, SubRectsSliceTheRectangleInFloat) {
  IRECT r(10, 20, 20, 30);
  EXPECT_EQ(r.SubRectVertical(3, 0), IRECT(10, 20, 20, 23));
  EXPECT_EQ(r.SubRectVertical(3, 1), IRECT(10, 23, 20, 26));
  EXPECT_EQ(r.SubRectVertical(3, 2), IRECT(10, 26, 20, 29));
  EXPECT_EQ(r.SubRectHorizontal(4, 3), IRECT(17, 20, 19, 30));
}

TEST(IRECTTest, FromBitmapIsOneFrameTall) {
  IBitmap strip(nullptr, 99, 9999, 101);
  EXPECT_EQ(IRECT(52, 69, &strip), IRECT(52, 69, 151, 168));
  // A handle claiming no frames still has one.
  IBitmap noFrames(nullptr, 10, 20, 0);
  EXPECT_EQ(IRECT(0, 0, &noFrames), IRECT(0, 0, 10, 20));
}

TEST(IColorTest, PacksIntoTheRasterPixelLayoutAndBack) {
  IColor c(0x11, 0x22, 0x33, 0x44);
  EXPECT_EQ(RastColor(&c), 0x44332211u);
  EXPECT_EQ(IColorFromRast(RastColor(&c)), c);
  IColor wide(0x1ff, 0x100, -1, 0);
  EXPECT_EQ(RastColor(&wide), 0x00ff00ffu);
  EXPECT_EQ(RastColor(&COLOR_ORANGE), RAST_RGBA(255, 127, 0, 255));
}

TEST(ITextTest, DefaultsAndFaceNameLimit) {
  IText plain;
  EXPECT_STREQ(plain.mFont, "Monaco");
  EXPECT_EQ(plain.mSize, 10);
  EXPECT_EQ(plain.mColor, DEFAULT_TEXT_COLOR);
  EXPECT_EQ(plain.mTextEntryBGColor, COLOR_WHITE);
  EXPECT_EQ(plain.mAlign, IText::kAlignCenter);
  EXPECT_EQ(plain.mCached, nullptr);
  IText styled(14, &COLOR_RED, "An overly long face name that does not fit at all");
  EXPECT_EQ(std::string(styled.mFont).size(), 31u);
  EXPECT_EQ(styled.mColor, COLOR_RED);
}

TEST(IChannelBlendTest, ConvertsToRasterModesAndWeights) {
  EXPECT_EQ(RastBlendMode(nullptr), RAST_USE_SOURCE_ALPHA);
  EXPECT_FLOAT_EQ(RastWeight(nullptr), 1.0f);
  IChannelBlend none(IChannelBlend::kBlendNone, 0.5f), clobber(IChannelBlend::kBlendClobber, 0.25f),
      add(IChannelBlend::kBlendAdd), dodge(IChannelBlend::kBlendColorDodge),
      unknown(static_cast<IChannelBlend::EBlendMethod>(9), 0.75f);
  EXPECT_EQ(RastBlendMode(&none), 0x10000);
  EXPECT_FLOAT_EQ(RastWeight(&none), 0.5f);
  EXPECT_EQ(RastBlendMode(&clobber), 0);
  EXPECT_FLOAT_EQ(RastWeight(&clobber), 0.25f);
  EXPECT_EQ(RastBlendMode(&add), 0x10001);
  EXPECT_EQ(RastBlendMode(&dodge), 0x10002);
  EXPECT_EQ(RastBlendMode(&unknown), 0x10000);
  EXPECT_FLOAT_EQ(RastWeight(&unknown), 0.75f);
}
