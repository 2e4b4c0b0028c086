// The system text layer: font creation and metrics, layout rules, clip regions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "freetype_reference.h"
#include <korval_platform/osg_text.h>

namespace {

HFONT Font(int size, const char* face = "DejaVu Sans", int weight = FW_NORMAL, int italic = 0) {
  return CreateFont(size, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, face);
}

class TextLayer : public testing::Test {
 protected:
  void SetUp() override {
    mDC = OSG_CreateMemContext(nullptr, 300, 100);
    mFont = Font(20);
    SelectObject(mDC, mFont);
    SetBkMode(mDC, TRANSPARENT);
    SetTextColor(mDC, 0xffffff);
  }
  void TearDown() override {
    SelectObject(mDC, nullptr);
    DeleteObject(mFont);
    OSG_DeleteGfxContext(mDC);
  }
  int Width(const char* text, int flags = 0) {
    RECT r{3, 4, 3, 4};
    OSG_DrawText(mDC, text, -1, &r, flags | DT_CALCRECT);
    return r.right - 3;
  }
  uint32_t Pixel(int x, int y) { return static_cast<uint32_t*>(OSG_GetCtxFrameBuffer(mDC))[y * 300 + x]; }
  int Lit() {
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 300; ++x) n += (Pixel(x, y) & 0xffffff00u) != 0;
    return n;
  }

  HDC mDC = nullptr;
  HFONT mFont = nullptr;
};

TEST_F(TextLayer, MetricsAddOneToTheLineAndTakeTwoThirdsForTheAverageWidth) {
  ft_reference::Face reference("DejaVu Sans", 20);
  TEXTMETRIC tm;
  ASSERT_TRUE(GetTextMetrics(mDC, &tm));
  EXPECT_EQ(tm.tmAscent, reference.Ascent());
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent + tm.tmInternalLeading + 1);
  EXPECT_EQ(tm.tmAveCharWidth, tm.tmHeight * 2 / 3);
  EXPECT_FALSE(GetTextMetrics(nullptr, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmAscent, 12);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmInternalLeading, 3);
  EXPECT_EQ(tm.tmAveCharWidth, 10);
}

TEST_F(TextLayer, PrefixesCarriageReturnsAndLineFeedsAreCleanedAsTheFlagsSay) {
  EXPECT_EQ(Width("A&B"), Width("AB"));
  EXPECT_EQ(Width("A&B", DT_NOPREFIX), Width("A&B") + Width("&", DT_NOPREFIX));
  EXPECT_EQ(Width("A&&B"), Width("A&B", DT_NOPREFIX));
  EXPECT_EQ(Width("A\rB"), Width("AB"));
  EXPECT_EQ(Width("A\nB", DT_SINGLELINE), Width("A B"));
  TEXTMETRIC tm;
  GetTextMetrics(mDC, &tm);
  RECT r{0, 0, 0, 0};
  EXPECT_EQ(OSG_DrawText(mDC, "one\ntwo\nthree", -1, &r, DT_CALCRECT), 3 * (tm.tmHeight - 1) + 1);
  EXPECT_EQ(r.right, Width("three"));
  EXPECT_EQ(OSG_DrawText(mDC, "", -1, &r, DT_CALCRECT), 0);
}

TEST_F(TextLayer, EveryLineFeedEndsALineEvenAnEmptyOne) {
  TEXTMETRIC tm;
  GetTextMetrics(mDC, &tm);
  const struct {
    const char* text;
    int lines;
  } cases[] = {{"", 0}, {"&", 0}, {"\r", 0}, {"\n", 1}, {"\r\n", 1}, {"\n\n", 2}, {"A\n", 1}, {"\nA", 2}};
  for (const auto& c : cases) {
    RECT r{0, 0, 0, 0};
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    EXPECT_EQ(OSG_DrawText(mDC, c.text, -1, &r, DT_CALCRECT), c.lines ? c.lines * (tm.tmHeight - 1) + 1 : 0);
    EXPECT_EQ(r.bottom, c.lines ? c.lines * (tm.tmHeight - 1) + 1 : 0);
  }
}

TEST_F(TextLayer, FaceNamesResolveWithStylesAndUnknownNamesFallBackToTheSansFace) {
  HFONT bold = Font(20, "DejaVu Sans", FW_BOLD), unknown = Font(20, "No Such Face 123"), mono = Font(20, "DejaVu Sans Mono");
  ASSERT_TRUE(bold && unknown && mono);
  auto width = [&](HFONT f) {
    SelectObject(mDC, f);
    return Width("iiiiiWWWWW");
  };
  int regular = width(mFont);
  EXPECT_GT(width(bold), regular);
  EXPECT_EQ(width(unknown), regular);
  EXPECT_NE(width(mono), regular);
  SelectObject(mDC, nullptr);
  for (HFONT f : {bold, unknown, mono}) DeleteObject(f);
}

TEST_F(TextLayer, ClipRegionsNestAndBoundTheDrawing) {
  RECT all{0, 0, 300, 100};
  RECT left{0, 0, 20, 100};
  OSG_PushClipRegion(mDC, &left);
  OSG_DrawText(mDC, "WWWWWWW", -1, &all, 0);
  for (int y = 0; y < 100; ++y) EXPECT_EQ(Pixel(25, y) & 0xffffff00u, 0u);
  int clipped = Lit();
  EXPECT_GT(clipped, 0);
  OSG_PopClipRegion(mDC);
  OSG_PopClipRegion(mDC);  // one too many: ignored
  OSG_DrawText(mDC, "WWWWWWW", -1, &all, 0);
  EXPECT_GT(Lit(), clipped);
  for (int i = 0; i < 1000; ++i) OSG_PushClipRegion(mDC, &left);
  for (int i = 0; i < 1000; ++i) OSG_PopClipRegion(mDC);
  RECT small{0, 0, 5, 5};
  OSG_DrawText(mDC, "WWWWWWW", -1, &small, 0);
  OSG_SetClipRegion(mDC, nullptr);
}

TEST_F(TextLayer, AnOpaqueBackgroundFillsTheTextBoxOnly) {
  SetBkMode(mDC, OPAQUE);
  SetBkColor(mDC, 0x0000ff);
  RECT r{10, 10, 300, 100};
  int h = OSG_DrawText(mDC, "ab", -1, &r, 0);
  int w = Width("ab");
  EXPECT_EQ(Pixel(10, 10) >> 24, 0xffu);      // blue byte
  EXPECT_EQ(Pixel(10 + w - 1, 10 + h - 1) >> 24, 0xffu);
  EXPECT_EQ(Pixel(10 + w, 10), 0u);
  EXPECT_EQ(Pixel(10, 10 + h), 0u);
}

TEST(TextLayerInput, NullContextsFontsAndRectanglesAreRefused) {
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(OSG_DrawText(nullptr, "x", -1, &r, 0), 0);
  HDC dc = OSG_CreateMemContext(nullptr, 10, 10);
  EXPECT_EQ(OSG_DrawText(dc, "x", -1, &r, 0), 0);  // no font selected
  EXPECT_EQ(OSG_DrawText(dc, "x", -1, nullptr, 0), 0);
  EXPECT_EQ(SelectObject(nullptr, nullptr), nullptr);
  EXPECT_FALSE(DeleteObject(nullptr));
  OSG_DeleteGfxContext(dc);
}

}  // namespace
