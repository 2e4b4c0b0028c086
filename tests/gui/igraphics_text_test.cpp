// Text in the editor: the font cache, drawing and measuring, and the text controls.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/font_cache.h"
#include "gui/text_controls.h"
#include "gui_test_support.h"
#include "raster/rast_font.h"

using namespace gui_test;

namespace {

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mGfx = new TestGraphics(&mPlug, 240, 80);
    mGfx->AttachPanelBackground(&COLOR_WHITE);
  }
  // The plug-in owns the editor once it is attached.
  void Attach() { mPlug.AttachGraphics(mGfx); }
  void TearDown() override {
    if (mPlug.GetGUI() != mGfx) delete mGfx;
  }
  void DrawAll() {
    IRECT all(0, 0, 240, 80);
    mGfx->SetAllControlsDirty();
    mGfx->Draw(&all);
  }
  int Inked(TestGraphics* pGfx) {
    int n = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 240; ++x) n += pGfx->GetPoint(x, y) != COLOR_WHITE;
    return n;
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
};

TEST_F(TextTest, StylesThatDifferOnlyInColourOrQualityShareOneFont) {
  IText plain(13, &COLOR_BLACK, "DejaVu Sans");
  IText red(13, &COLOR_RED, "DejaVu Sans", IText::kStyleNormal, IText::kAlignFar, 0, IText::kQualityBest);
  IText bigger(14, &COLOR_BLACK, "DejaVu Sans");
  IText bold(13, &COLOR_BLACK, "DejaVu Sans", IText::kStyleBold);
  RAST_IFont* font = mGfx->CacheFont(&plain);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(plain.mCached, font);
  EXPECT_EQ(mGfx->CacheFont(&red), font);
  EXPECT_NE(mGfx->CacheFont(&bigger), font);
  EXPECT_NE(mGfx->CacheFont(&bold), font);
  EXPECT_EQ(s_fontCache.Find(&red), font);
}

TEST_F(TextTest, TheFontIsSizedSoItsLineHeightIsTheRequestedSize) {
  for (int size : {9, 12, 17, 30}) {
    IText style(size, nullptr, "DejaVu Sans");
    RAST_IFont* font = mGfx->CacheFont(&style);
    ASSERT_NE(font, nullptr);
    EXPECT_NEAR(font->GetLineHeight(), size, 1) << size;
  }
}

TEST_F(TextTest, MeasuringPlacesTheTextsWidthByTheAlignment) {
  IText near(12, nullptr, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  IText centre(12, nullptr, "DejaVu Sans", IText::kStyleNormal, IText::kAlignCenter);
  IText far(12, nullptr, "DejaVu Sans", IText::kStyleNormal, IText::kAlignFar);
  IRECT n(30, 10, 170, 40), c(50, 10, 150, 40), f(30, 10, 170, 40);
  ASSERT_TRUE(mGfx->MeasureIText(&near, "Measure", &n));
  ASSERT_TRUE(mGfx->MeasureIText(&centre, "Measure", &c));
  ASSERT_TRUE(mGfx->MeasureIText(&far, "Measure", &f));
  int w = n.W();
  EXPECT_GT(w, 20);
  EXPECT_EQ(n, IRECT(30, 10, 30 + w, 10 + n.H()));
  EXPECT_EQ(c, IRECT(100 - w / 2, 10, 100 - w / 2 + w, 10 + n.H()));
  EXPECT_EQ(f, IRECT(170 - w, 10, 170, 10 + n.H()));
  EXPECT_NEAR(n.H(), 12, 1);
}

TEST_F(TextTest, DrawnTextStaysInsideItsMeasureAndEmptyTextDrawsNothing) {
  Attach();
  DrawAll();
  IText style(15, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignCenter);
  IRECT area(20, 20, 220, 60);
  EXPECT_TRUE(mGfx->DrawIText(&style, "", &area));
  EXPECT_TRUE(mGfx->DrawIText(&style, nullptr, &area));
  EXPECT_EQ(Inked(mGfx), 0);
  ASSERT_TRUE(mGfx->DrawIText(&style, "Centred text", &area));
  IRECT m = area;
  mGfx->MeasureIText(&style, "Centred text", &m);
  int inside = 0, outside = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 240; ++x)
      if (mGfx->GetPoint(x, y) != COLOR_WHITE) ++(x >= m.L - 1 && x < m.R + 1 && y >= m.T && y < m.B ? inside : outside);
  EXPECT_GT(inside, 50);
  EXPECT_EQ(outside, 0);
}

TEST_F(TextTest, TranslucentTextIsDrawnAtTheColoursAlpha) {
  Attach();
  DrawAll();
  IColor halfBlack(128, 0, 0, 0);
  IText style(30, &halfBlack, "DejaVu Sans");
  IRECT area(0, 0, 240, 80);
  mGfx->DrawIText(&style, "IIIII", &area);
  int darkest = 255;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 240; ++x) darkest = std::min(darkest, mGfx->GetPoint(x, y).R);
  EXPECT_NEAR(darkest, 128, 1);
}

TEST_F(TextTest, ACaptionShowsTheValueTheHostSetsAsTheSameTextDrawnDirectly) {
  IText style(14, &COLOR_BLACK, "DejaVu Sans");
  auto* caption = new ICaptionControl(&mPlug, IRECT(10, 10, 230, 40), kOut, &style, false);
  mGfx->AttachControl(caption);
  Attach();
  DrawAll();
  mPlug.GetParam(kOut)->Set(-7.5);
  mGfx->SetParameterFromPlug(kOut, -7.5, false);
  ASSERT_TRUE(caption->IsDirty());
  DrawAll();
  EXPECT_STREQ(caption->GetTextString(), "-7.500");

  GuiTestPlug otherPlug;
  auto* direct = new TestGraphics(&otherPlug, 240, 80);
  direct->AttachPanelBackground(&COLOR_WHITE);
  direct->AttachControl(new ITextControl(&otherPlug, IRECT(10, 10, 230, 40), &style, "-7.500"));
  otherPlug.AttachGraphics(direct);
  IRECT all(0, 0, 240, 80);
  direct->Draw(&all);
  EXPECT_GT(Inked(direct), 30);
  int differing = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 240; ++x) differing += mGfx->GetPoint(x, y) != direct->GetPoint(x, y);
  EXPECT_EQ(differing, 0);
}

TEST_F(TextTest, OddSizesGiveUsableFontsWhoseMeasureHoldsTheDrawing) {
  Attach();
  for (int size : {0, -5, 1, 10000, 1 << 30}) {
    SCOPED_TRACE(size);
    DrawAll();
    IText style(size, &COLOR_BLACK, "DejaVu Sans");
    RAST_IFont* font = mGfx->CacheFont(&style);
    ASSERT_NE(font, nullptr);
    EXPECT_LE(font->GetLineHeight(), 80);
    IRECT area(10, 10, 230, 70), m = area;
    mGfx->MeasureIText(&style, "Size", &m);
    ASSERT_TRUE(mGfx->DrawIText(&style, "Size", &area));
    EXPECT_GT(Inked(mGfx), 5);
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 240; ++x)
        if (mGfx->GetPoint(x, y) != COLOR_WHITE) {
          ASSERT_TRUE(x >= m.L - 2 && x < m.R + 2 && y >= m.T && y < m.B);
        }
  }
}

TEST_F(TextTest, FaceNamesThatFillTheWholeArrayAreReadNoFurther) {
  IText style(12);
  std::memset(style.mFont, 'Z', sizeof(style.mFont));
  EXPECT_EQ(FaceName(&style).size(), sizeof(style.mFont));
  IRECT r(0, 0, 100, 20);
  EXPECT_TRUE(mGfx->MeasureIText(&style, "x", &r));
  EXPECT_GT(r.W(), 0);
}

}  // namespace
