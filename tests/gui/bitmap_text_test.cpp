// Bitmap mono text: frames by character code, the cell grid, and the built character picture.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gui/bitmap_text.h"
#include "gui/mono_char_picture.h"
#include "gui_test_support.h"
#include "raster/rast_png.h"

using namespace gui_test;

namespace {

constexpr int kCellW = 10, kCellH = 10;

class BitmapTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mGfx = new TestGraphics(&mPlug, 300, 100);
    // Rows of the test picture tell which frame a canvas pixel came from.
    mChars = mGfx->LoadIBitmap(FreshBitmapId(), PictureName(kCellW, kCellH * kMonoCharFrames).c_str(),
                               kMonoCharFrames);
  }
  IBitmapTextControl* Show(const char* str, IRECT r, IText::EAlign align, bool multiline, int offset = 0) {
    IText style;
    style.mAlign = align;
    auto* control = new IBitmapTextControl(&mPlug, r, &mChars, str, &style, kCellW, kCellH, offset, multiline, false);
    mGfx->AttachControl(control);
    mPlug.AttachGraphics(mGfx);
    IRECT all(0, 0, 300, 100);
    mGfx->Draw(&all);
    return control;
  }
  // The frame drawn at (x, y), or 0 where nothing was drawn.
  int FrameAt(int x, int y) {
    RAST_pixel p = mGfx->CanvasPixel(x, y);
    if (RAST_GETA(p) != 255) return 0;
    return (RAST_GETR(p) + 256 * RAST_GETG(p)) / kCellH + 1;
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
  IBitmap mChars;
};

TEST_F(BitmapTextTest, CharactersComeFromTheirFramesAndCellsStepByWidthAndOffset) {
  Show("A B", IRECT(20, 10, 280, 20), IText::kAlignNear, false, 2);
  EXPECT_EQ(FrameAt(20, 10), 34);
  EXPECT_EQ(FrameAt(32, 10), 1);
  EXPECT_EQ(FrameAt(44, 10), 35);
  EXPECT_EQ(FrameAt(30, 10), 0);  // the offset between cells stays empty
}

TEST_F(BitmapTextTest, CentringIgnoresTheOffsetsAndFarAlignmentEndsAtTheRight) {
  Show("ABC", IRECT(100, 10, 200, 20), IText::kAlignCenter, false, 4);
  EXPECT_EQ(FrameAt(135, 10), 34);
  EXPECT_EQ(FrameAt(149, 10), 35);
  EXPECT_EQ(FrameAt(163, 10), 36);
  EXPECT_EQ(FrameAt(172, 10), 36);  // reaches further right than the centred 30 pixels
  Show("XY", IRECT(100, 40, 200, 50), IText::kAlignFar, false);
  EXPECT_EQ(FrameAt(180, 40), 'X' - 31);
  EXPECT_EQ(FrameAt(199, 40), 'Y' - 31);
}

TEST_F(BitmapTextTest, OneLineIsCutToTheAreaAndMultilineWrapsIntoLinesOfWholeCells) {
  Show("0123456789ABCDE", IRECT(0, 0, 100, 10), IText::kAlignNear, false);
  EXPECT_EQ(FrameAt(95, 5), '9' - 31);
  EXPECT_EQ(FrameAt(105, 5), 0);
  Show("abcdefghijklmnopqrstuvwxy", IRECT(150, 20, 250, 30), IText::kAlignNear, true);
  EXPECT_EQ(FrameAt(150, 20), 'a' - 31);
  EXPECT_EQ(FrameAt(150, 30), 'k' - 31);
  EXPECT_EQ(FrameAt(190, 40), 'y' - 31);
  EXPECT_EQ(FrameAt(200, 40), 0);
}

TEST_F(BitmapTextTest, TheControlRedrawsOnlyWhenItsTextChangesAndEmptyTextDrawsNothing) {
  IBitmapTextControl* control = Show("", IRECT(0, 0, 100, 10), IText::kAlignNear, false);
  EXPECT_EQ(FrameAt(0, 0), 0);
  control->SetTextFromPlug("");
  EXPECT_FALSE(control->IsDirty());
  control->SetTextFromPlug("\x01\xff");
  EXPECT_TRUE(control->IsDirty());
  IRECT all(0, 0, 300, 100);
  mGfx->Draw(&all);
  EXPECT_EQ(FrameAt(0, 0), 1);  // codes below the space show the first frame
  DrawBitmapedText(mGfx, &mChars, &all, nullptr, nullptr, "abc", true, true, 0, kCellH, 0);
}

TEST(MonoCharPicture, TheBuiltPictureHoldsEveryPrintableCharacterInItsOwnFrame) {
  std::unique_ptr<RAST_IBitmap> picture(RAST_LoadPNG(KORV_MONO_CHARS));
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->getWidth(), kMonoCharWidth);
  ASSERT_EQ(picture->getHeight(), kMonoCharHeight * kMonoCharFrames);
  auto inked = [&](int frame) {
    int n = 0;
    for (int y = 0; y < kMonoCharHeight; ++y)
      for (int x = 0; x < kMonoCharWidth; ++x)
        n += RAST_GETA(picture->getBits()[(frame * kMonoCharHeight + y) * picture->getRowSpan() + x]) > 0;
    return n;
  };
  EXPECT_EQ(inked(0), 0);  // the space
  for (int f = 1; f < kMonoCharFrames; ++f) EXPECT_GT(inked(f), 0) << static_cast<char>(' ' + f);
  EXPECT_GT(inked('W' - 32), inked('.' - 32));
}

}  // namespace
