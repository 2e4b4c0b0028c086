// The cached font against FreeType itself, and the measuring, alignment and alpha rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "freetype_reference.h"
#include "raster/rast_font.h"
#include "raster_test_util.h"

namespace {

using rast_test::At;
using rast_test::FillAll;

constexpr RAST_pixel kBlack = RAST_RGBA(0, 0, 0, 255);
constexpr RAST_pixel kWhite = RAST_RGBA(255, 255, 255, 255);
constexpr int kSize = 20;
const char* const kFamily = "DejaVu Sans";

HFONT MakeFont(int size = kSize, int quality = ANTIALIASED_QUALITY, const char* face = kFamily, int weight = FW_NORMAL) {
  return CreateFont(size, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, quality, 0, face);
}

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // right and bottom exclusive
  bool Empty() const { return right < 0; }
};

Box CoveredBox(RAST_IBitmap* bmp, RAST_pixel background) {
  Box b;
  for (int y = 0; y < bmp->getHeight(); ++y)
    for (int x = 0; x < bmp->getWidth(); ++x)
      if (At(bmp, x, y) != background) {
        b.left = std::min(b.left, x), b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
      }
  return b;
}

// How each path mixes white text of coverage c into a channel value d.
int GlyphMix(int d, int c) { return 255 + (d - 255) * (256 - (c + 1)) / 256; }
int NativeMix(int d, int c) { return (255 * c + d * (255 - c) + 127) / 255; }

struct PathCase {
  const char* name;
  int fontFlags;
  bool systemBitmap;
  int (*mix)(int, int);
};

class FontPaths : public testing::TestWithParam<PathCase> {};

TEST_P(FontPaths, DrawTheSamePixelsAsFreeTypeAtTheSamePenPositions) {
  const PathCase& path = GetParam();
  ft_reference::Face reference(kFamily, kSize);
  ASSERT_TRUE(reference.IsOpen());
  RAST_CachedFont font;
  font.SetFromHFont(MakeFont(), path.fontFlags);
  font.SetTextColor(kWhite);
  for (const char* text : {"Hamburgefonstiv 0123", "Wavy jQ|{}@%&", "AVAVA ffi ."}) {
    SCOPED_TRACE(text);
    std::unique_ptr<RAST_IBitmap> drawn(path.systemBitmap ? static_cast<RAST_IBitmap*>(new RAST_SysBitmap(320, 60))
                                                          : new RAST_MemBitmap(320, 60));
    RAST_MemBitmap expected(320, 60);
    FillAll(drawn.get(), kBlack);
    FillAll(&expected, kBlack);
    RECT r{12, 7, 310, 55};
    font.DrawText(drawn.get(), text, -1, &r, DT_NOCLIP);
    reference.Draw(text, r.left, r.top + reference.Ascent(), false, [&](int x, int y, int c) {
      RAST_pixel p = At(&expected, x, y);
      int v = path.mix(RAST_GETR(p), c);
      rast_test::Set(&expected, x, y, RAST_RGBA(v, v, v, 255));
    });
    int differing = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 320; ++x) differing += (At(drawn.get(), x, y) | 0xff) != (At(&expected, x, y) | 0xff);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(rast_test::CountNot(&expected, kBlack), 100);
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, FontPaths,
                         testing::Values(PathCase{"GlyphCache", RAST_FONT_OWNS_HFONT, false, GlyphMix},
                                         PathCase{"NativeInContext", RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE,
                                                  true, NativeMix},
                                         PathCase{"NativeThroughScratch",
                                                  RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE, false, NativeMix}),
                         [](const auto& info) { return std::string(info.param.name); });

class CachedFontText : public testing::Test {
 protected:
  void SetUp() override {
    mFont.SetFromHFont(MakeFont(), RAST_FONT_OWNS_HFONT);
    mFont.SetTextColor(kWhite);
  }
  // Draws into a fresh black bitmap and returns the covered box.
  Box Draw(const char* text, RECT r, unsigned int flags, int length = -1) {
    FillAll(&mBitmap, kBlack);
    mFont.DrawText(&mBitmap, text, length, &r, flags);
    return CoveredBox(&mBitmap, kBlack);
  }
  RECT Measure(const char* text, unsigned int flags = 0, int length = -1) {
    RECT r{5, 9, 5, 9};
    mFont.DrawText(nullptr, text, length, &r, flags | DT_CALCRECT);
    return r;
  }

  RAST_CachedFont mFont;
  RAST_MemBitmap mBitmap{400, 120};
};

TEST_F(CachedFontText, MeasuringSetsOnlyRightAndBottomToTheExtentTheDrawingCovers) {
  RECT m = Measure("Quick jumps");
  EXPECT_EQ(m.left, 5);
  EXPECT_EQ(m.top, 9);
  EXPECT_EQ(m.bottom - m.top, mFont.GetLineHeight());
  Box b = Draw("Quick jumps", RECT{5, 9, 395, 115}, DT_NOCLIP);
  EXPECT_GE(b.left, m.left);
  EXPECT_GE(b.top, m.top);
  EXPECT_LE(b.right, m.right);
  EXPECT_LE(b.bottom, m.bottom);
  // The last glyph's advance ends the extent: "s" leaves no more than a pixel or two.
  EXPECT_GE(b.right, m.right - 3);
}

TEST_F(CachedFontText, AlignmentMovesTheTextByTheMeasuredExtentInIntegerHalves) {
  RECT m = Measure("Align me");
  int w = m.right - m.left, h = m.bottom - m.top;
  Box left = Draw("Align me", RECT{0, 0, 400, 120}, 0);
  const RECT area{31, 17, 31 + 201, 17 + 77};
  struct Case {
    unsigned int flags;
    int dx, dy;
  } cases[] = {
      {DT_RIGHT, area.right - w, area.top},
      {DT_CENTER, area.left + (201 - w) / 2, area.top},
      {DT_BOTTOM, area.left, area.bottom - h},
      {DT_VCENTER | DT_CENTER, area.left + (201 - w) / 2, area.top + (77 - h) / 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    Box b = Draw("Align me", area, c.flags);
    EXPECT_EQ(b.left, left.left + c.dx);
    EXPECT_EQ(b.top, left.top + c.dy);
    EXPECT_EQ(b.right - b.left, left.right - left.left);
  }
}

TEST_F(CachedFontText, TextAlphaWithTheFlagDrawsThroughTheGlyphCacheAtHalfWeight) {
  mFont.SetFromHFont(MakeFont(), RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE);
  mFont.SetTextColor(RAST_RGBA(255, 255, 255, 128));
  Draw("IIII", RECT{0, 0, 400, 120}, RAST_DT_USE_TEXT_ALPHA);
  int brightest = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 400; ++x) brightest = std::max(brightest, RAST_GETR(At(&mBitmap, x, y)));
  EXPECT_EQ(brightest, 127);
  mFont.SetTextColor(RAST_RGBA(255, 255, 255, 0));
  RECT r{0, 0, 400, 120};
  EXPECT_EQ(mFont.DrawText(&mBitmap, "IIII", -1, &r, RAST_DT_USE_TEXT_ALPHA), 0);
}

TEST_F(CachedFontText, LineFeedsStartLinesUnlessSingleLineMakesThemSpaces) {
  RECT two = Measure("AB\nC");
  EXPECT_EQ(two.bottom - two.top, 2 * mFont.GetLineHeight());
  Box spaced = Draw("A B", RECT{0, 0, 400, 120}, 0);
  Box single = Draw("A\nB", RECT{0, 0, 400, 120}, DT_SINGLELINE);
  EXPECT_EQ(single.right, spaced.right);
  EXPECT_EQ(single.bottom, spaced.bottom);
  Box multi = Draw("A\r\nB", RECT{0, 0, 400, 120}, 0);
  EXPECT_GT(multi.bottom, spaced.bottom + mFont.GetLineHeight() / 2);
}

TEST_F(CachedFontText, ClipsToTheRectangleUnlessNoClip) {
  Box clipped = Draw("Clipped text", RECT{10, 10, 40, 120}, 0);
  EXPECT_LE(clipped.right, 40);
  Box free = Draw("Clipped text", RECT{10, 10, 40, 120}, DT_NOCLIP);
  EXPECT_GT(free.right, 60);
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(mFont.DrawText(nullptr, "x", -1, &r, 0), 0);
}

// Text from hosts and users: whatever arrives draws something sensible or nothing, and the
// measure agrees with the drawing.
TEST_F(CachedFontText, BadTextDrawsWithinItsMeasureOnEveryPath) {
  std::string huge(100000, 'W');
  huge[5000] = '\n';
  const struct {
    const char* name;
    std::string text;
    int length;
  } cases[] = {
      {"invalid utf-8", "a\xC3\x28 \xE2\x82 \xF0\x90\x80 \xFF\xFE \xC0\xAF b", -1},
      {"nul inside length", std::string("ab\0cd", 5), 5},
      {"length past a short text", "ab", 1},
      {"huge", huge, -1},
      {"outside every font", "\xEE\x80\x80\xF4\x8F\xBF\xBF\xF0\x9F\x98\x80", -1},
  };
  for (int flags : {0 + RAST_FONT_OWNS_HFONT, RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE}) {
    mFont.SetFromHFont(MakeFont(), flags);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      RECT m = Measure(c.text.c_str(), 0, c.length);
      Box b = Draw(c.text.c_str(), RECT{5, 9, 400, 120}, DT_NOCLIP, c.length);
      if (b.Empty()) continue;
      EXPECT_GE(b.left, 5 - 3);
      EXPECT_LE(b.right, m.right + 3);
      EXPECT_LE(b.bottom, std::max(m.bottom, 120));
    }
  }
  EXPECT_EQ(Measure("ab", 0, 5).right - 5, Measure("ab").right - 5);
  EXPECT_EQ(Measure(std::string("ab\0cd", 5).c_str(), 0, 5).right, Measure("ab").right);
}

TEST(CachedFontSizes, OddSizesAndFaceNamesStillGiveAUsableFont) {
  std::string longName(1000, 'x');
  const struct {
    int size;
    const char* face;
  } cases[] = {{0, kFamily}, {-1, kFamily}, {1, kFamily}, {10000, kFamily}, {-30, kFamily},
               {14, longName.c_str()}, {14, "\xFF\xFE garbage \x01\x7f"}, {14, nullptr}, {14, ""}};
  int tenHeight = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    HFONT h = MakeFont(c.size, ANTIALIASED_QUALITY, c.face);
    ASSERT_NE(h, nullptr);
    RAST_CachedFont font;
    font.SetFromHFont(h, RAST_FONT_OWNS_HFONT);
    font.SetTextColor(kWhite);
    RAST_MemBitmap bmp(200, 100);
    FillAll(&bmp, kBlack);
    RECT r{0, 0, 200, 100};
    font.DrawText(&bmp, "Text", -1, &r, 0);
    EXPECT_GT(rast_test::CountNot(&bmp, kBlack), 10);
    if (c.size == 0) tenHeight = font.GetLineHeight();
    if (c.size == 10000 || c.size == 1) {
      EXPECT_EQ(font.GetLineHeight(), tenHeight);
    }
    if (c.size == -30) {
      EXPECT_GT(font.GetLineHeight(), 30);
    }
  }
}

TEST(CachedFontEffects, MonoOutlineVerticalAndPrerenderedFontsDrawWithoutFault) {
  for (int flags : {0 + RAST_FONT_MONO, RAST_FONT_OUTLINE | RAST_FONT_SHADOW, 0 + RAST_FONT_VERTICAL,
                    0 + RAST_FONT_BOTTOM_UP, RAST_FONT_BLUR | RAST_FONT_INVERT, 0 + RAST_FONT_PRERENDER_ASCII}) {
    SCOPED_TRACE(flags);
    RAST_CachedFont font;
    font.SetFromHFont(MakeFont(), flags | RAST_FONT_OWNS_HFONT);
    font.SetTextColor(kWhite);
    font.SetEffectColor(RAST_RGBA(255, 0, 0, 255));
    RAST_MemBitmap bmp(200, 200);
    FillAll(&bmp, kBlack);
    RECT r{100, 100, 200, 200};
    font.DrawText(&bmp, "Ab\xC3\xA9\n2", -1, &r, DT_NOCLIP);
    EXPECT_GT(rast_test::CountNot(&bmp, kBlack), 10);
  }
}

}  // namespace
