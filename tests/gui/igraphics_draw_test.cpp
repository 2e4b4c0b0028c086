// The drawing pass, dirty tracking, the picture cache and the bitmap primitives.
#include <gtest/gtest.h>


#include "gui/bitmap_cache.h"
#include "gui/knob_controls.h"
#include "gui_test_support.h"
#include "support/alloc_counter.h"

using namespace gui_test;

namespace {

// A control that counts how often it is drawn.
class CountingControl : public IControl {
 public:
  CountingControl(IFxBase* pPlug, IRECT r, int paramIdx = -1) : IControl(pPlug, r, paramIdx) {}
  bool Draw(IGraphics*) override {
    ++mDraws;
    return true;
  }
  int mDraws = 0;
};

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override { mGfx = new TestGraphics(&mPlug, 200, 300); }
  void Attach() { mPlug.AttachGraphics(mGfx); }
  // Draws every pass the controls still ask for.
  void Settle() {
    for (int i = 0; i < 4 && mGfx->Tick(); ++i) {
    }
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
};

}  // namespace

TEST_F(DrawTest, AnEditorWithoutControlsDrawsNothingAndSucceeds) {
  Attach();
  IRECT r(0, 0, 10, 10);
  EXPECT_TRUE(mGfx->Draw(&r));
  EXPECT_TRUE(mGfx->mScreenAreas.empty());
  EXPECT_FALSE(mGfx->IsDirty(&r));
}

TEST_F(DrawTest, IsDirtyUnionsTheRectanglesOfDirtyControlsOnly) {
  auto* a = new CountingControl(&mPlug, IRECT(10, 10, 20, 20));
  auto* b = new CountingControl(&mPlug, IRECT(50, 5, 60, 15));
  auto* c = new CountingControl(&mPlug, IRECT(100, 100, 110, 110));
  mGfx->AttachControl(a);
  mGfx->AttachControl(b);
  mGfx->AttachControl(c);
  Attach();
  IRECT all;
  ASSERT_TRUE(mGfx->IsDirty(&all));
  EXPECT_EQ(all, IRECT(10, 5, 110, 110));
  mGfx->Draw(&all);
  IRECT none;
  EXPECT_FALSE(mGfx->IsDirty(&none));
  EXPECT_TRUE(none.Empty());

  a->SetDirty(false);
  b->SetDirty(false);
  IRECT two;
  EXPECT_TRUE(mGfx->IsDirty(&two));
  EXPECT_EQ(two, IRECT(10, 5, 60, 20));
}

TEST_F(DrawTest, TheStrictRuleCleansDirtyControlsOutsideTheAreaWithoutDrawing) {
  auto* inside = new CountingControl(&mPlug, IRECT(0, 0, 10, 10));
  auto* outside = new CountingControl(&mPlug, IRECT(100, 100, 120, 120));
  mGfx->AttachControl(inside);
  mGfx->AttachControl(outside);
  Attach();
  IRECT area(0, 0, 50, 50);
  mGfx->Draw(&area);
  EXPECT_EQ(inside->mDraws, 1);
  EXPECT_EQ(outside->mDraws, 0);
  EXPECT_FALSE(outside->IsDirty());
  ASSERT_EQ(mGfx->mScreenAreas.size(), 1u);
  EXPECT_EQ(mGfx->mScreenAreas[0], area);
  // Only its next change brings it back.
  EXPECT_FALSE(mGfx->Tick());
  outside->SetDirty(false);
  EXPECT_TRUE(mGfx->Tick());
  EXPECT_EQ(outside->mDraws, 1);
}

TEST_F(DrawTest, HiddenControlsAreNotDrawnAndHidingOrAValueChangeRedrawsForTwoPasses) {
  auto* knob = new CountingControl(&mPlug, IRECT(0, 0, 10, 10), kDry);
  mGfx->AttachControl(knob);
  Attach();
  Settle();
  int drawn = knob->mDraws;

  mGfx->SetParameterFromPlug(kDry, 0.3, true);
  EXPECT_TRUE(mGfx->Tick());
  EXPECT_TRUE(mGfx->Tick());
  EXPECT_FALSE(mGfx->Tick());
  EXPECT_EQ(knob->mDraws, drawn + 2);
  // The same value again changes nothing.
  mGfx->SetParameterFromPlug(kDry, 0.3, true);
  EXPECT_FALSE(mGfx->Tick());

  knob->Hide(true);
  Settle();
  EXPECT_EQ(knob->mDraws, drawn + 2);
  knob->Hide(false);
  EXPECT_TRUE(mGfx->Tick());
  EXPECT_TRUE(mGfx->Tick());
  EXPECT_FALSE(mGfx->Tick());
  EXPECT_EQ(knob->mDraws, drawn + 4);
}

TEST_F(DrawTest, TheNonStrictRuleRedrawsOverlappingControlsUnderADirtyOne) {
  auto* bg = new CountingControl(&mPlug, IRECT(0, 0, 200, 300));
  auto* under = new CountingControl(&mPlug, IRECT(0, 0, 30, 30));
  auto* top = new CountingControl(&mPlug, IRECT(20, 20, 40, 40));
  auto* apart = new CountingControl(&mPlug, IRECT(150, 150, 160, 160));
  for (IControl* c : {static_cast<IControl*>(bg), static_cast<IControl*>(under), static_cast<IControl*>(top),
                      static_cast<IControl*>(apart)})
    mGfx->AttachControl(c);
  Attach();
  mGfx->SetStrictDrawing(false);
  // The dirty background repaints everything.
  IRECT area(0, 0, 200, 300);
  mGfx->Draw(&area);
  EXPECT_EQ(bg->mDraws + under->mDraws + top->mDraws + apart->mDraws, 4);

  top->SetDirty(false);
  mGfx->Draw(&area);
  EXPECT_EQ(bg->mDraws, 2);
  EXPECT_EQ(under->mDraws, 2);
  EXPECT_EQ(top->mDraws, 2);
  EXPECT_EQ(apart->mDraws, 1);
  EXPECT_FALSE(top->IsDirty());
  // Only the dirty control is cleaned: the others stay as they were.
  EXPECT_FALSE(under->IsDirty());
}

TEST_F(DrawTest, AnIdleTickAllocatesNothing) {
  for (int i = 0; i < 8; ++i) mGfx->AttachControl(new CountingControl(&mPlug, IRECT(i * 10, 0, i * 10 + 10, 10), kDry));
  Attach();
  Settle();
  korv_test::AllocationScope scope;
  IRECT r;
  EXPECT_FALSE(mGfx->IsDirty(&r));
  mGfx->SetParameterFromPlug(kOut, 5.0, false);
  mGfx->SetParameterFromPlug(kDry, 0.75, true);
  EXPECT_TRUE(mGfx->IsDirty(&r));
  EXPECT_EQ(scope.Count(), 0);
}

TEST_F(DrawTest, PicturesAreLoadedOncePerIdAndShared) {
  int id = FreshBitmapId();
  int before = s_bitmapCache.Count();
  IBitmap a = mGfx->LoadIBitmap(id, PictureName(8, 12).c_str(), 3);
  IBitmap b = mGfx->LoadIBitmap(id, PictureName(5, 5).c_str(), 1);
  EXPECT_EQ(mGfx->mLoads, 1);
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(b.W, 8);
  EXPECT_EQ(b.H, 12);
  EXPECT_EQ(b.N, 1);
  EXPECT_EQ(s_bitmapCache.Count(), before + 1);

  // A second editor finds it too.
  TestGraphics other(&mPlug, 10, 10);
  EXPECT_EQ(other.LoadIBitmap(id, "anything").mData, a.mData);
  EXPECT_EQ(other.mLoads, 0);
  Attach();
}

TEST_F(DrawTest, AMissingPictureGivesAnEmptyHandleThatDrawsNothing) {
  IBitmap missing = mGfx->LoadIBitmap(FreshBitmapId(), "missing.png", 101);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.N, 101);
  mGfx->AttachControl(new IKnobMultiControl(&mPlug, 0, 0, kDry, &missing));
  Attach();
  IRECT r(0, 0, 200, 300);
  EXPECT_TRUE(mGfx->Draw(&r));
}

TEST_F(DrawTest, DrawBitmapPicksFramesAndClipsToTheDrawArea) {
  Attach();
  IBitmap strip = mGfx->LoadIBitmap(FreshBitmapId(), PictureName(4, 30).c_str(), 3);
  IRECT dest(10, 10, 14, 20);
  IRECT area(0, 0, 200, 300);
  // A drawing pass sets the area primitives clip to.
  auto* holder = new CountingControl(&mPlug, area);
  mGfx->AttachControl(holder);
  mGfx->Draw(&area);
  mGfx->DrawBitmap(&strip, &dest, 1);
  EXPECT_EQ(mGfx->CanvasPixel(10, 10), PixelAt(0, 0));
  mGfx->DrawBitmap(&strip, &dest, 3);
  EXPECT_EQ(mGfx->CanvasPixel(10, 10), PixelAt(0, 20));
  EXPECT_EQ(mGfx->CanvasPixel(13, 19), PixelAt(3, 29));

  IBitmap sideBySide = mGfx->LoadIBitmap(FreshBitmapId(), PictureName(9, 2).c_str(), 3, true);
  IRECT cell(0, 0, 3, 2);
  mGfx->DrawBitmap(&sideBySide, &cell, 2);
  EXPECT_EQ(mGfx->CanvasPixel(0, 0), PixelAt(3, 0));

  // Clipped to a smaller area: the source moves with the clipped edge.
  IRECT small(12, 15, 100, 100);
  mGfx->Draw(&small);
  mGfx->ForcePixel(&COLOR_BLACK, 11, 14);
  mGfx->DrawBitmap(&strip, &dest, 1);
  EXPECT_EQ(mGfx->CanvasPixel(12, 15), PixelAt(2, 5));
  EXPECT_EQ(mGfx->GetPoint(11, 14), COLOR_BLACK);
}

TEST_F(DrawTest, PixelPrimitivesStayInsideTheCanvas) {
  Attach();
  mGfx->ForcePixel(&COLOR_RED, 199, 299);
  EXPECT_EQ(mGfx->GetPoint(199, 299), COLOR_RED);
  // Outside points are ignored rather than written past the canvas.
  mGfx->ForcePixel(&COLOR_RED, 200, 0);
  mGfx->ForcePixel(&COLOR_RED, -1, 5);
  mGfx->ForcePixel(&COLOR_RED, 0, 300);
  EXPECT_EQ(mGfx->GetPoint(-1, 5), COLOR_TRANSPARENT);
  mGfx->DrawPoint(&COLOR_BLUE, 4.6f, 5.4f);
  EXPECT_EQ(mGfx->GetPoint(5, 5), COLOR_BLUE);
  IRECT r(20, 20, 25, 22);
  mGfx->FillIRect(&COLOR_GREEN, &r);
  EXPECT_EQ(mGfx->GetPoint(24, 21), COLOR_GREEN);
  EXPECT_NE(mGfx->GetPoint(25, 21), COLOR_GREEN);
}

TEST_F(DrawTest, ScaledCroppedAndRetainedPicturesBelongToTheCache) {
  Attach();
  IBitmap src = mGfx->LoadIBitmap(FreshBitmapId(), PictureName(8, 8).c_str(), 2);
  int before = s_bitmapCache.Count();
  IBitmap half = mGfx->ScaleBitmap(&src, 4, 4);
  EXPECT_EQ(half.W, 4);
  EXPECT_EQ(half.N, 2);
  IRECT part(2, 3, 5, 7);
  IBitmap crop = mGfx->CropBitmap(&src, &part);
  ASSERT_NE(crop.mData, nullptr);
  EXPECT_EQ(crop.W, 3);
  EXPECT_EQ(crop.H, 4);
  EXPECT_EQ(crop.mData->getBits()[0], PixelAt(2, 3));
  EXPECT_EQ(s_bitmapCache.Count(), before + 2);

  IBitmap own(new RAST_MemBitmap(2, 2, 4), 2, 2);
  EXPECT_TRUE(mGfx->RetainBitmap(&own));
  EXPECT_EQ(s_bitmapCache.Count(), before + 3);
  mGfx->ReleaseBitmap(&own);
  mGfx->ReleaseBitmap(&crop);
  mGfx->ReleaseBitmap(&half);
  EXPECT_EQ(s_bitmapCache.Count(), before);
  // A bitmap the cache does not hold is left alone.
  RAST_MemBitmap notCached(1, 1, 4);
  IBitmap stranger(&notCached, 1, 1);
  mGfx->ReleaseBitmap(&stranger);
  EXPECT_EQ(s_bitmapCache.Count(), before);
}

TEST_F(DrawTest, ResizeDropsControlsMakesANewCanvasAndTellsThePlugIn) {
  mGfx->AttachControl(new CountingControl(&mPlug, IRECT(0, 0, 10, 10), kDry));
  Attach();
  IMouseMod mod(true);
  mGfx->OnMouseDown(5, 5, &mod);
  mGfx->Resize(40, 50);
  EXPECT_EQ(mGfx->NControls(), 0);
  EXPECT_EQ(mGfx->GetCanvas()->getWidth(), 40);
  EXPECT_EQ(mGfx->GetCanvas()->getHeight(), 50);
  EXPECT_EQ(mPlug.mResizedTo, (std::vector<int>{40, 50}));
  // The gesture the press began is ended, and nothing is left to drag.
  EXPECT_EQ(mPlug.EventKinds(), "BE");
  mGfx->OnMouseDrag(9, 9, &mod);
}
