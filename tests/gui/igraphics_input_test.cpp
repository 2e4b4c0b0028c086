// Mouse, wheel and key routing, the host's gestures and hit testing.
#include <gtest/gtest.h>

#include "gui/knob_controls.h"
#include "gui_test_support.h"

using namespace gui_test;

namespace {

// Records the events it receives; takes keys when asked to.
class ProbeControl : public IControl {
 public:
  ProbeControl(IFxBase* pPlug, IRECT r, int paramIdx = -1, bool takesKeys = true)
      : IControl(pPlug, r, paramIdx), mTakesKeys(takesKeys) {}
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, IMouseMod*) override { mLog += "D" + Point(x, y); }
  void OnMouseUp(int x, int y, IMouseMod*) override { mLog += "U" + Point(x, y); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override { mLog += "M" + Point(dX, dY); }
  void OnMouseDblClick(int, int, IMouseMod*) override { mLog += "C"; }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { mLog += "W" + std::to_string(d); }
  bool OnKeyDown(int, int, int key) override {
    mLog += "K" + std::to_string(key);
    return mTakesKeys;
  }
  void SetDblAsSingleClick() { mDblAsSingleClick = true; }
  static std::string Point(int x, int y) { return "(" + std::to_string(x) + "," + std::to_string(y) + ")"; }

  std::string mLog;
  bool mTakesKeys;
};

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mGfx = new TestGraphics(&mPlug, 200, 300);
    mStrip = mGfx->LoadIBitmap(FreshBitmapId(), PictureName(40, 4040).c_str(), 101);
  }
  // A 40 x 40 knob at (20, 20) for the "Out" parameter.
  IKnobMultiControl* AttachKnob() {
    auto* knob = new IKnobMultiControl(&mPlug, 20, 20, kOut, &mStrip);
    mGfx->AttachControl(knob);
    return knob;
  }
  void Attach() { mPlug.AttachGraphics(mGfx); }
  void Drag(int x0, int y0, int x1, int y1, IMouseMod mod) {
    mGfx->OnMouseDown(x0, y0, &mod);
    mGfx->OnMouseDrag(x1, y1, &mod);
    mGfx->OnMouseUp(x1, y1, &mod);
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
  IBitmap mStrip;
};

}  // namespace

TEST_F(InputTest, AKnobDragBeginsInformsAndEndsTheGestureInOrder) {
  IKnobMultiControl* knob = AttachKnob();
  Attach();
  IMouseMod mod(true);
  mGfx->OnMouseDown(30, 30, &mod);
  mGfx->OnMouseDrag(30, 20, &mod);
  mGfx->OnMouseDrag(30, 20, &mod);  // same point: not delivered
  mGfx->OnMouseDrag(80, 10, &mod);  // outside the knob: still captured
  mGfx->OnMouseUp(150, 200, &mod);  // released elsewhere: still the knob's

  ASSERT_EQ(mPlug.EventKinds(), "BIIE");
  for (const HostEvent& e : mPlug.mEvents) EXPECT_EQ(e.paramIdx, kOut);
  EXPECT_DOUBLE_EQ(mPlug.mEvents[1].value, 0.5 + 0.0625);
  EXPECT_DOUBLE_EQ(mPlug.mEvents[2].value, 0.625);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.625);
  // The plug-in's parameter followed: -15..15 at 0.625.
  EXPECT_NEAR(mPlug.GetParam(kOut)->Value(), 3.75, 1e-12);
}

TEST_F(InputTest, GearingAndFineModeScaleTheDrag) {
  IKnobMultiControl* knob = AttachKnob();
  Attach();
  Drag(30, 30, 30, 20, IMouseMod(true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5625);
  Drag(30, 30, 30, 20, IMouseMod(true, false, true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5625 + 0.00625);
  Drag(30, 30, 30, 40, IMouseMod(true, false, false, true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5625);
  // Horizontal movement does not turn a vertical knob, and the value stays in its range.
  Drag(30, 30, 90, 30, IMouseMod(true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5625);
  Drag(30, 30, 30, -1000, IMouseMod(true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
  mGfx->ClampControl(kOut, -6.0, 6.0, false);
  Drag(30, 30, 30, 2000, IMouseMod(true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3);
}

TEST_F(InputTest, AHorizontalKnobFollowsSidewaysMovement) {
  auto* knob = new IKnobMultiControl(&mPlug, 20, 20, kDry, &mStrip, kHorizontal, 2.0);
  mGfx->AttachControl(knob);
  Attach();
  Drag(30, 30, 50, 0, IMouseMod(true));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 20.0 / 40.0 / 2.0);
}

TEST_F(InputTest, TheWheelStepsByAHundredthOrAThousandth) {
  IKnobMultiControl* knob = AttachKnob();
  Attach();
  IMouseMod plain, fine(false, false, false, true);
  mGfx->OnMouseWheel(30, 30, &plain, 1);
  EXPECT_NEAR(knob->GetValue(), 0.51, 1e-12);
  mGfx->OnMouseWheel(30, 30, &fine, -3);
  EXPECT_NEAR(knob->GetValue(), 0.507, 1e-12);
  ASSERT_EQ(mPlug.EventKinds(), "II");
  // Nothing under the pointer: nothing happens.
  mGfx->OnMouseWheel(5, 5, &plain, 1);
  EXPECT_EQ(mPlug.EventKinds(), "II");
}

TEST_F(InputTest, ADoubleClickRestoresTheFirstValueFromThePlugInAndKeepsGesturesPaired) {
  IKnobMultiControl* knob = AttachKnob();
  Attach();
  mGfx->SetParameterFromPlug(kOut, 9.0, false);  // a later host change is not the default
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.8);
  IMouseMod mod(true);
  mGfx->OnMouseDown(30, 30, &mod);
  mGfx->OnMouseUp(30, 30, &mod);
  EXPECT_TRUE(!mGfx->OnMouseDblClick(30, 30, &mod));
  mGfx->OnMouseUp(30, 30, &mod);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kOut)->Value(), 0.0);
  // The second release has no gesture to end.
  EXPECT_EQ(mPlug.EventKinds(), "BEI");
  EXPECT_DOUBLE_EQ(mPlug.mEvents[2].value, 0.5);
}

TEST_F(InputTest, ADoubleClickTakenAsAPressCapturesWithoutAGesture) {
  auto* probe = new ProbeControl(&mPlug, IRECT(0, 0, 50, 50), kDry);
  probe->SetDblAsSingleClick();
  mGfx->AttachControl(probe);
  Attach();
  IMouseMod mod(true);
  EXPECT_TRUE(mGfx->OnMouseDblClick(10, 10, &mod));
  mGfx->OnMouseDrag(12, 15, &mod);
  mGfx->OnMouseUp(12, 15, &mod);
  EXPECT_EQ(probe->mLog, "D(10,10)M(2,5)U(12,15)");
  EXPECT_EQ(mPlug.EventKinds(), "");
}

TEST_F(InputTest, HitTestingPicksTheTopmostVisibleUngrayedControl) {
  auto* bottom = new ProbeControl(&mPlug, IRECT(0, 0, 100, 100), kDry);
  auto* top = new ProbeControl(&mPlug, IRECT(0, 0, 50, 50), kWet);
  mGfx->AttachControl(bottom);
  mGfx->AttachControl(top);
  Attach();
  IMouseMod mod(true);
  mGfx->OnMouseDown(10, 10, &mod);
  mGfx->OnMouseUp(10, 10, &mod);
  EXPECT_EQ(top->mLog, "D(10,10)U(10,10)");
  EXPECT_EQ(bottom->mLog, "");

  mGfx->GrayOutControl(kWet, true);
  mGfx->OnMouseDown(11, 11, &mod);
  mGfx->OnMouseUp(11, 11, &mod);
  EXPECT_EQ(bottom->mLog, "D(11,11)U(11,11)");
  mGfx->GrayOutControl(kWet, false);
  mGfx->HideControl(kWet, true);
  mGfx->OnMouseWheel(12, 12, &mod, 2);
  EXPECT_EQ(bottom->mLog, "D(11,11)U(11,11)W2");
  EXPECT_EQ(mPlug.EventKinds(), "BEBE");
  EXPECT_EQ(mPlug.mEvents[0].paramIdx, kWet);
  EXPECT_EQ(mPlug.mEvents[2].paramIdx, kDry);
  // Right and bottom edges are outside.
  mGfx->OnMouseDown(100, 10, &mod);
  EXPECT_EQ(bottom->mLog, "D(11,11)U(11,11)W2");
}

TEST_F(InputTest, AControlWithoutParameterNeverTalksToTheHost) {
  auto* probe = new ProbeControl(&mPlug, IRECT(0, 0, 50, 50));
  mGfx->AttachControl(probe);
  Attach();
  IMouseMod mod(true);
  mGfx->OnMouseDown(5, 5, &mod);
  mGfx->OnMouseDrag(6, 5, &mod);
  mGfx->OnMouseUp(6, 5, &mod);
  EXPECT_EQ(probe->mLog, "D(5,5)M(1,0)U(6,5)");
  EXPECT_TRUE(mPlug.mEvents.empty());
  // Drags without a press go nowhere.
  mGfx->OnMouseDrag(9, 9, &mod);
  EXPECT_EQ(probe->mLog, "D(5,5)M(1,0)U(6,5)");
}

TEST_F(InputTest, KeysGoToTheControlUnderThePointerOrElseToTheKeyCatcher) {
  auto* bg = new ProbeControl(&mPlug, IRECT(0, 0, 200, 300));
  auto* probe = new ProbeControl(&mPlug, IRECT(10, 10, 20, 20), -1, false);
  mGfx->AttachControl(bg);
  mGfx->AttachControl(probe);
  Attach();
  EXPECT_FALSE(mGfx->OnKeyDown(100, 100, kKeySpace));
  EXPECT_FALSE(mGfx->OnKeyDown(15, 15, kKeyLetterA));
  EXPECT_EQ(probe->mLog, "K15");
  auto* catcher = new ProbeControl(&mPlug, IRECT());
  mGfx->AttachKeyCatcher(catcher);
  EXPECT_TRUE(mGfx->OnKeyDown(100, 100, kKeyUpArrow));
  EXPECT_EQ(catcher->mLog, "K1");
  EXPECT_EQ(bg->mLog, "");
}

TEST_F(InputTest, HoverIsIgnoredUntilTracked) {
  auto* probe = new ProbeControl(&mPlug, IRECT(0, 0, 50, 50));
  mGfx->AttachControl(probe);
  Attach();
  IMouseMod mod;
  EXPECT_FALSE(mGfx->OnMouseOver(5, 5, &mod));
  EXPECT_EQ(mGfx->GetMouseOver(), -1);
  mGfx->OnMouseOut();
  EXPECT_EQ(mGfx->GetMouseOver(), -1);
}

TEST_F(InputTest, AutomationClickQueriesSkipTheBackground) {
  mGfx->AttachControl(new ProbeControl(&mPlug, IRECT(0, 0, 200, 300)));
  mGfx->AttachControl(new ProbeControl(&mPlug, IRECT(10, 10, 20, 20), kWet));
  Attach();
  EXPECT_EQ(mGfx->GetParamIdxForPTAutomation(15, 15), kWet);
  EXPECT_EQ(mGfx->GetLastClickedParamForPTAutomation(), kWet);
  EXPECT_EQ(mGfx->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(mGfx->GetParamIdxForPTAutomation(100, 100), -1);
}
