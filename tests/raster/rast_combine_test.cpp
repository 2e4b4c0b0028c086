#include <gtest/gtest.h>

#include <cmath>

#include "raster/rast_blit.h"
#include "raster/rast_combiners.h"
#include "raster_test_util.h"

using rast_test::Px;

namespace {

const RAST_pixel kDest = Px(100, 200, 30, 128);
const RAST_pixel kSrc = Px(50, 100, 250, 200);

struct Expected {
  int mode;
  float alpha;
  RAST_pixel plain;
  RAST_pixel withSourceAlpha;
};

// Worked by hand from the channel formulas for kDest and kSrc.
const Expected kTable[] = {
    {RAST_MODE_COPY, 1.0f, Px(50, 100, 250, 200), Px(60, 121, 203, 255)},
    {RAST_MODE_COPY, 0.5f, Px(75, 150, 140, 164), Px(80, 160, 116, 228)},
    {RAST_MODE_COPY, 0.25f, Px(87, 175, 85, 146), Px(90, 180, 73, 178)},
    {RAST_MODE_ADD, 1.0f, Px(150, 255, 255, 255), Px(139, 255, 226, 255)},
    {RAST_MODE_ADD, 0.5f, Px(125, 250, 155, 228), Px(119, 239, 127, 206)},
    {RAST_MODE_ADD, 0.25f, Px(112, 225, 92, 178), Px(109, 219, 78, 167)},
    {RAST_MODE_DODGE, 1.0f, Px(124, 255, 255, 255), Px(117, 255, 128, 255)},
    {RAST_MODE_DODGE, 0.5f, Px(110, 248, 58, 210), Px(108, 235, 48, 184)},
    {RAST_MODE_DODGE, 0.25f, Px(104, 221, 39, 159), Px(103, 216, 36, 151)},
    {RAST_MODE_MUL, 1.0f, Px(19, 78, 29, 100), Px(36, 104, 29, 106)},
    {RAST_MODE_MUL, 0.5f, Px(59, 139, 29, 114), Px(68, 152, 29, 117)},
    {RAST_MODE_MUL, 0.25f, Px(79, 169, 29, 121), Px(84, 176, 29, 122)},
    {RAST_MODE_OVERLAY, 1.0f, Px(62, 190, 55, 164), Px(70, 192, 49, 156)},
    {RAST_MODE_OVERLAY, 0.5f, Px(81, 195, 42, 146), Px(85, 196, 39, 142)},
    {RAST_MODE_OVERLAY, 0.25f, Px(90, 197, 36, 137), Px(92, 198, 34, 135)},
};

TEST(Combine, EveryCombinerMatchesItsFormulaAtSeveralWeights) {
  for (const Expected& e : kTable) {
    SCOPED_TRACE(testing::Message() << "mode " << e.mode << " alpha " << e.alpha);
    EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, e.alpha, e.mode), e.plain);
    EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, e.alpha, e.mode | RAST_USE_SOURCE_ALPHA), e.withSourceAlpha);
  }
}

TEST(Combine, HsvAdjustMatchesItsFormula) {
  const RAST_pixel src = Px(200, 160, 100, 77);
  EXPECT_EQ(RAST_CombinePixels(kDest, src, 1.0f, RAST_MODE_HSVADJ), Px(0, 103, 144, 77));
  EXPECT_EQ(RAST_CombinePixels(kDest, src, 0.5f, RAST_MODE_HSVADJ), Px(5, 172, 78, 77));
  EXPECT_EQ(RAST_CombinePixels(kDest, src, 0.25f, RAST_MODE_HSVADJ), Px(17, 186, 20, 77));
  EXPECT_EQ(RAST_CombinePixels(kDest, src, 1.0f, RAST_MODE_HSVADJ | RAST_USE_SOURCE_ALPHA), Px(15, 183, 30, 77));
  EXPECT_EQ(RAST_CombinePixels(kDest, src, 0.5f, RAST_MODE_HSVADJ | RAST_USE_SOURCE_ALPHA), Px(49, 192, 23, 77));
}

TEST(Combine, WeightZeroAndUnknownModesLeaveTheDestination) {
  EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, 0.0f, RAST_MODE_ADD), kDest);
  EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, 0.003f, RAST_MODE_COPY), kDest);  // weight 0
  EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, 1.0f, 6), kDest);
  EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, 1.0f, 0x80 | RAST_USE_SOURCE_ALPHA), kDest);
  // The filter bits play no part in combining.
  EXPECT_EQ(RAST_CombinePixels(kDest, kSrc, 1.0f, RAST_MODE_ADD | RAST_FILTER_BILINEAR), Px(150, 255, 255, 255));
}

TEST(Combine, CopyRoundsTowardZeroInBothDirections) {
  // s + (d - s) / 2: 10 + 245/2 = 132 upwards, 255 - 245/2 = 133 downwards.
  EXPECT_EQ(RAST_CombinePixels(Px(255, 10, 0, 0), Px(10, 255, 0, 0), 0.5f, RAST_MODE_COPY), Px(132, 133, 0, 0));
}

TEST(Combine, MultiplyByWhiteLosesOneStep) {
  RAST_pixel white = Px(255, 255, 255, 255);
  EXPECT_EQ(RAST_CombinePixels(Px(1, 128, 255, 0), white, 1.0f, RAST_MODE_MUL), Px(0, 127, 254, 0));
}

TEST(Combine, SourceAlphaZeroSkipsCopyAddAndMultiplyOnly) {
  RAST_pixel clear = Px(250, 250, 250, 0);
  for (int mode : {RAST_MODE_COPY, RAST_MODE_ADD, RAST_MODE_MUL}) {
    for (float alpha : {1.0f, 0.5f}) EXPECT_EQ(RAST_CombinePixels(kDest, clear, alpha, mode | RAST_USE_SOURCE_ALPHA), kDest);
  }
  // Dodge still runs, at weight w / 256: t = 250 * 1 / 256 = 0, so only a rounding pass.
  EXPECT_EQ(RAST_CombinePixels(kDest, clear, 1.0f, RAST_MODE_DODGE | RAST_USE_SOURCE_ALPHA), kDest);
  // HSV adjust still sets the alpha it is given.
  EXPECT_EQ(RAST_GETA(RAST_CombinePixels(kDest, clear, 1.0f, RAST_MODE_HSVADJ | RAST_USE_SOURCE_ALPHA)), 0);
}

TEST(Combine, CopyWithSourceAlphaAtFullWeight) {
  EXPECT_EQ(RAST_CombinePixels(kDest, Px(1, 2, 3, 255), 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA), Px(1, 2, 3, 255));
  // 128 alpha: s + (d - s) * 127 / 256, alpha min(255, 128 + 128).
  EXPECT_EQ(RAST_CombinePixels(kDest, Px(0, 255, 30, 128), 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA),
            Px(49, 228, 30, 255));
}

TEST(Combine, HsvRoundTripKeepsNeutralAdjustments) {
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 17) {
      for (int b = 0; b < 256; b += 19) {
        RAST_pixel out = RAST_CombinePixels(Px(r, g, b, 9), Px(128, 128, 128, 201), 1.0f, RAST_MODE_HSVADJ);
        // The integer conversions lose up to 5 steps on the way there and back.
        ASSERT_NEAR(RAST_GETR(out), r, 5) << r << "," << g << "," << b;
        ASSERT_NEAR(RAST_GETG(out), g, 5) << r << "," << g << "," << b;
        ASSERT_NEAR(RAST_GETB(out), b, 5) << r << "," << g << "," << b;
        ASSERT_EQ(RAST_GETA(out), 201);
      }
    }
  }
}

TEST(Combine, HsvTablesAndConversion) {
  EXPECT_EQ(rast_detail::kHsvReciprocal[0], 0);
  EXPECT_EQ(rast_detail::kHsvReciprocal[1], 65535);
  EXPECT_EQ(rast_detail::kHsvReciprocal[3], 21844);
  EXPECT_EQ(rast_detail::kHsvReciprocal[255], 256);
  int h, s, v;
  rast_detail::RgbToHsv(100, 200, 30, &h, &s, &v);
  EXPECT_EQ(h, 102);
  EXPECT_EQ(s, 216);
  EXPECT_EQ(v, 200);
  rast_detail::RgbToHsv(255, 0, 0, &h, &s, &v);
  EXPECT_EQ(h, 0);
  rast_detail::RgbToHsv(0, 0, 255, &h, &s, &v);
  EXPECT_EQ(h, 256);
  rast_detail::RgbToHsv(255, 0, 10, &h, &s, &v);  // just short of red from the blue side
  EXPECT_EQ(h, 381);
}

TEST(Combine, ClampingVariantsLimitOutOfRangeChannels) {
  RAST_pixel p = kDest;
  RAST_CombinePixels2Clamp(&p, 400, -50, 255, 1000, 256, RAST_MODE_COPY);
  EXPECT_EQ(p, Px(255, 0, 255, 255));
  p = Px(200, 200, 200, 200);
  RAST_CombinePixels2Clamp(&p, 600, 0, 255, 255, 256, RAST_MODE_MUL);
  EXPECT_EQ(p, Px(255, 0, 199, 199));
  // Out-of-range channels reach the other combiners limited to 0..255.
  p = Px(0, 0, 0, 0);
  RAST_CombinePixels2Clamp(&p, 100000, 300, -3, 9, 256, RAST_MODE_DODGE);
  EXPECT_EQ(p, Px(0, 0, 0, 0));
  p = kDest;
  RAST_CombinePixels2(&p, 50, 100, 250, 200, 1000, RAST_MODE_ADD);  // weight limited to 256
  EXPECT_EQ(p, Px(150, 255, 255, 255));
}

TEST(Combine, AlphaOutsideZeroToOneIsLimited) {
  EXPECT_EQ(RAST_WeightFromAlpha(2.0f), 256);
  EXPECT_EQ(RAST_WeightFromAlpha(-1.0f), 0);
  EXPECT_EQ(RAST_WeightFromAlpha(1e30f), 256);
  EXPECT_EQ(RAST_WeightFromAlpha(std::nanf("")), 0);
  EXPECT_EQ(RAST_WeightFromAlpha(0.75f), 192);
}

}  // namespace
