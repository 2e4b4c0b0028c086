// The generated editors: where the generators put their controls, and how the knob, slider, tabs
// and preset button answer the mouse.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "gui/auto_gui.h"
#include "gui_test_support.h"

using namespace gui_test;

namespace {

IText Style() { return IText(12, &COLOR_BLACK, "DejaVu Sans"); }

class AutoGuiTest : public ::testing::Test {
 protected:
  void Make(int w, int h) { mGfx = new TestGraphics(&mPlug, w, h); }
  // As a plug-in does: the generated controls then receive every parameter's value.
  void AttachAfterGenerating() { mPlug.AttachGraphics(mGfx); }
  IControl* Control(int i) { return mGfx->GetControl(i); }
  void Press(int x, int y, bool left = true) {
    IMouseMod mod(left, !left);
    mGfx->OnMouseDown(x, y, &mod);
  }
  void Release(int x, int y) {
    IMouseMod mod(true);
    mGfx->OnMouseUp(x, y, &mod);
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx = nullptr;
  IText mText = Style();
};

TEST_F(AutoGuiTest, KnobGridHasEqualEvenCellsThatWrapBeforeTheRightEdge) {
  Make(200, 400);
  GenerateKnobGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 41, 60);
  AttachAfterGenerating();
  ASSERT_EQ(1 + kNumParams, mGfx->NControls());
  const IRECT first = *Control(1)->GetRECT();
  EXPECT_EQ(2, first.L);
  EXPECT_EQ(2, first.T);
  EXPECT_EQ(0, first.W() % 2);
  EXPECT_GE(first.W(), 42);
  EXPECT_GE(first.H(), 60);
  for (int i = 1; i <= kNumParams; ++i) {
    const IRECT r = *Control(i)->GetRECT();
    EXPECT_EQ(first.W(), r.W());
    EXPECT_EQ(first.H(), r.H());
    EXPECT_LE(r.R, 200) << i;
    if (i > 1) {
      const IRECT prev = *Control(i - 1)->GetRECT();
      // Either the next cell on the row, or the first of the next row.
      EXPECT_TRUE((r.T == prev.T && r.L == prev.R + 2) || (r.L == 2 && r.T == prev.B + 2)) << i;
    }
  }
}

TEST_F(AutoGuiTest, KnobCellsFitNamesAndDisplayTextsOnly) {
  Make(400, 400);
  IRECT texts;
  for (const char* s : {"Dry", "Wet", "Out", "Mode", "Bypass", "Soft", "Warm", "Hard", "off", "on"}) {
    IRECT r;
    mGfx->MeasureIText(&mText, s, &r);
    texts = texts.Union(r);
  }
  GenerateKnobGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 1, 1);
  AttachAfterGenerating();
  const IRECT cell = *Control(1)->GetRECT();
  EXPECT_EQ(texts.W() + texts.W() % 2, cell.W());
  EXPECT_EQ(texts.H(), cell.H());
}

TEST_F(AutoGuiTest, KnobDragsAndTypedValuesFromItsValueArea) {
  Make(400, 200);
  GenerateKnobGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 60, 90);
  AttachAfterGenerating();
  const IRECT out = *Control(1 + kOut)->GetRECT();
  const int cx = (out.L + out.R) / 2, cy = (out.T + out.B) / 2;
  mPlug.mEvents.clear();
  Press(cx, cy);
  IMouseMod mod(true);
  mGfx->OnMouseDrag(cx, cy - 20, &mod);
  Release(cx, cy - 20);
  EXPECT_GT(mPlug.GetParam(kOut)->Value(), 0.0);
  EXPECT_EQ('B', mPlug.EventKinds().front());
  EXPECT_EQ('E', mPlug.EventKinds().back());

  // The bottom strip asks for a typed value over the strip shrunk by 2 and 3 pixels.
  Press(cx, out.B - 2);
  EXPECT_EQ(Control(1 + kOut), mGfx->mEntryControl);
  EXPECT_EQ(out.L + 2, mGfx->mEntryArea.L);
  EXPECT_EQ(out.R - 2, mGfx->mEntryArea.R);
  EXPECT_EQ(out.B - 3, mGfx->mEntryArea.B);
  // The enumerated one offers its texts instead.
  const IRECT mode = *Control(1 + kMode)->GetRECT();
  mGfx->mMenuChoice = 2;
  Press((mode.L + mode.R) / 2, mode.B - 2);
  EXPECT_EQ((std::vector<std::string>{"Soft", "Warm", "Hard"}), mGfx->mMenuTexts);
  EXPECT_EQ(2, mPlug.GetParam(kMode)->Int());
}

TEST_F(AutoGuiTest, SliderSnapsToTheTrackAndPromptsFromItsValueArea) {
  Make(300, 300);
  GenerateSliderGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 290, 0, nullptr);
  AttachAfterGenerating();
  ASSERT_EQ(1 + kNumParams, mGfx->NControls());
  const IRECT dry = *Control(1 + kDry)->GetRECT();
  EXPECT_EQ(2, dry.L);
  EXPECT_EQ(2, dry.T);
  EXPECT_EQ(290, dry.R);
  EXPECT_EQ(dry.B, Control(1 + kWet)->GetRECT()->T);

  // Find the track: the leftmost press that moves the value from the far end.
  int trackL = -1;
  for (int x = dry.L; x < dry.R && trackL < 0; ++x) {
    mPlug.GetParam(kDry)->Set(1.0);
    mGfx->SetParameterFromPlug(kDry, 1.0, true);
    Press(x, dry.T + 5);
    Release(x, dry.T + 5);
    if (mPlug.GetParam(kDry)->Value() == 0.0) trackL = x;
  }
  ASSERT_GT(trackL, dry.L);
  IMouseMod mod(true);
  Press(trackL + 2, dry.T + 5);
  mGfx->OnMouseDrag(trackL + 52, dry.T + 5, &mod);
  Release(trackL + 52, dry.T + 5);
  EXPECT_GT(mPlug.GetParam(kDry)->Value(), 0.0);
  EXPECT_LT(mPlug.GetParam(kDry)->Value(), 1.0);

  Press(dry.R - 2, dry.T + 5);
  EXPECT_EQ(Control(1 + kDry), mGfx->mEntryControl);
  EXPECT_EQ(dry.R, mGfx->mEntryArea.R);
}

TEST_F(AutoGuiTest, NewColumnsStartUnderTheButtonAndTabBar) {
  const char* names[kNumParams] = {"kDry", "kWet", "kOut", "kMode", "kBypass"};
  Make(400, 70);
  GenerateSliderGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 130, 1, names);
  AttachAfterGenerating();
  // Background, button, tabs, then the sliders.
  ASSERT_EQ(3 + kNumParams, mGfx->NControls());
  const int sliderTop = Control(3)->GetRECT()->T;
  EXPECT_EQ(42, sliderTop);
  bool wrapped = false;
  for (int i = 4; i < mGfx->NControls(); ++i) {
    const IRECT r = *Control(i)->GetRECT();
    EXPECT_GE(r.T, sliderTop) << i;
    if (r.L > 2) wrapped = true;
  }
  EXPECT_TRUE(wrapped);
}

TEST_F(AutoGuiTest, OneTabKeepsItsValueAtZeroAndHidesNothing) {
  Make(300, 300);
  GenerateSliderGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 290, 2, nullptr);
  AttachAfterGenerating();
  auto* pTabs = dynamic_cast<AGPanelTabs*>(Control(1));
  ASSERT_NE(nullptr, pTabs);
  EXPECT_EQ(1, pTabs->NTabs());
  const IRECT bar = *pTabs->GetRECT();
  Press(bar.L + 3, bar.T + 3);
  EXPECT_EQ(0.0, pTabs->GetValue());
  for (int i = 2; i < mGfx->NControls(); ++i) EXPECT_FALSE(Control(i)->IsHidden());
}

TEST(AutoGuiTabsTest, TabsShowOneGroupAtATime) {
  GuiTestPlug plug("Mix", "Level");
  auto* pGfx = new TestGraphics(&plug, 300, 300);
  IText text = Style();
  GenerateSliderGUI(pGfx, &plug, &text, &COLOR_WHITE, &COLOR_BLACK, 290, 2, nullptr);
  plug.AttachGraphics(pGfx);
  auto* pTabs = dynamic_cast<AGPanelTabs*>(pGfx->GetControl(1));
  ASSERT_NE(nullptr, pTabs);
  ASSERT_EQ(2, pTabs->NTabs());
  auto hidden = [&] {
    std::string h;
    for (int i = 2; i < pGfx->NControls(); ++i) h += pGfx->GetControl(i)->IsHidden() ? 'h' : '.';
    return h;
  };
  EXPECT_EQ("..hhh", hidden());
  const IRECT bar = *pTabs->GetRECT();
  IMouseMod mod(true);
  pGfx->OnMouseDown(bar.R - 3, bar.T + 3, &mod);
  EXPECT_EQ(1, pTabs->ActiveTab());
  EXPECT_EQ(1.0, pTabs->GetValue());
  EXPECT_EQ("hh...", hidden());
  // The second tab's sliders start at the top again.
  EXPECT_EQ(pGfx->GetControl(2)->GetRECT()->T, pGfx->GetControl(4)->GetRECT()->T);
}

TEST_F(AutoGuiTest, PresetButtonWritesThePresetOnlyWhenAFileWasChosen) {
  const char* names[kNumParams] = {"kDry", "kWet", "kOut", "kMode", "kBypass"};
  Make(300, 300);
  GenerateSliderGUI(mGfx, &mPlug, &mText, &COLOR_WHITE, &COLOR_BLACK, 290, 0, names);
  AttachAfterGenerating();
  const IRECT button = *Control(1)->GetRECT();
  const std::string path = ::testing::TempDir() + "auto_gui_preset.txt";
  std::remove(path.c_str());
  mGfx->mFileToChoose = "";
  Press(button.L + 3, button.T + 3);
  EXPECT_EQ(1, mGfx->mFilePrompts);
  EXPECT_FALSE(std::ifstream(path).good());
  mGfx->mFileToChoose = path;
  Press(button.L + 3, button.T + 3);
  std::stringstream written;
  written << std::ifstream(path).rdbuf();
  EXPECT_NE(std::string::npos, written.str().find("kOut, 0.000000"));
  std::remove(path.c_str());
}

}  // namespace
