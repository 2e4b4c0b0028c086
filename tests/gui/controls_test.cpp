// Every stock control's drawing and value behaviour.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "gui/action_controls.h"
#include "gui/knob_controls.h"
#include "gui/text_controls.h"
#include "gui_test_support.h"

using namespace gui_test;

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { mGfx = new TestGraphics(&mPlug, 200, 300); }
  void Attach() { mPlug.AttachGraphics(mGfx); }
  IBitmap Picture(int w, int h, int n, bool horizontal = false) {
    return mGfx->LoadIBitmap(FreshBitmapId(), PictureName(w, h).c_str(), n, horizontal);
  }
  void DrawAll() {
    IRECT all(0, 0, mGfx->Width(), mGfx->Height());
    mGfx->Draw(&all);
  }
  void Press(int x, int y, IMouseMod mod = IMouseMod(true)) {
    mGfx->OnMouseDown(x, y, &mod);
    mGfx->OnMouseUp(x, y, &mod);
  }
  // The frame of a vertical strip with frames frameH tall shown at (x, y).
  int ShownFrame(int x, int y, int frameH) {
    RAST_pixel p = mGfx->CanvasPixel(x, y);
    int row = RAST_GETR(p) | RAST_GETG(p) << 8;
    return row / frameH + 1;
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
};

constexpr double kHalfPi = 1.57079632679489661923;

// A hand-made picture of one colour; the test owns it.
struct SolidPicture {
  SolidPicture(int w, int h, RAST_pixel colour) : mBitmap(w, h, 4), mHandle(&mBitmap, w, h) {
    for (int i = 0; i < mBitmap.getRowSpan() * h; ++i) mBitmap.getBits()[i] = colour;
  }
  RAST_MemBitmap mBitmap;
  IBitmap mHandle;
};

}  // namespace

TEST_F(ControlsTest, FilmstripKnobsShowTheFrameOfTheirParameter) {
  IBitmap strip = Picture(4, 303, 101);  // frames 3 pixels tall
  mGfx->AttachControl(new IKnobMultiControl(&mPlug, 0, 0, kDry, &strip));
  mGfx->AttachControl(new IKnobMultiControl(&mPlug, 10, 0, kWet, &strip));
  mGfx->AttachControl(new IKnobMultiControl(&mPlug, 20, 0, kOut, &strip));
  mGfx->AttachControl(new IKnobMultiControl(&mPlug, 30, 0, kOut, &strip));
  Attach();
  DrawAll();
  EXPECT_EQ(ShownFrame(0, 0, 3), 1);
  EXPECT_EQ(ShownFrame(10, 0, 3), 101);
  EXPECT_EQ(ShownFrame(20, 0, 3), 51);

  // Host changes arrive as plain values and move every control bound to the parameter.
  mGfx->SetParameterFromPlug(kOut, 7.5, false);
  EXPECT_TRUE(mGfx->Tick());
  EXPECT_EQ(ShownFrame(20, 0, 3), 76);
  EXPECT_EQ(ShownFrame(30, 0, 3), 76);
  mGfx->SetParameterFromPlug(kOut, 0.004, true);
  mGfx->Tick();
  EXPECT_EQ(ShownFrame(20, 0, 3), 1);
  mGfx->SetParameterFromPlug(kOut, 0.005, true);
  mGfx->Tick();
  EXPECT_EQ(ShownFrame(20, 0, 3), 2);
  // Values that are not numbers are dropped; out-of-range plain values are limited.
  mGfx->SetParameterFromPlug(kOut, std::numeric_limits<double>::quiet_NaN(), false);
  mGfx->SetParameterFromPlug(kOut, std::numeric_limits<double>::infinity(), true);
  EXPECT_DOUBLE_EQ(mGfx->GetControl(2)->GetValue(), 0.005);
  mGfx->SetParameterFromPlug(kOut, 99.0, false);
  EXPECT_DOUBLE_EQ(mGfx->GetControl(2)->GetValue(), 1.0);
  // Unknown indices are ignored.
  mGfx->SetParameterFromPlug(77, 1.0, false);
  mGfx->SetControlFromPlug(99, 1.0);
  EXPECT_EQ(mGfx->GetControl(99), nullptr);
}

TEST(FrameForValueTest, RoundsHalfUpWithinTheStrip) {
  EXPECT_EQ(FrameForValue(0.0, 101), 1);
  EXPECT_EQ(FrameForValue(1.0, 101), 101);
  EXPECT_EQ(FrameForValue(0.5, 101), 51);
  EXPECT_EQ(FrameForValue(0.004, 101), 1);
  EXPECT_EQ(FrameForValue(0.005, 101), 2);
  EXPECT_EQ(FrameForValue(-3.0, 101), 1);
  EXPECT_EQ(FrameForValue(1e300, 101), 101);
  EXPECT_EQ(FrameForValue(std::nan(""), 101), 1);
  EXPECT_EQ(FrameForValue(0.7, 1), 1);
}

TEST_F(ControlsTest, BackgroundsGoUnderEverythingAndPanelsFillTheirColour) {
  mGfx->AttachControl(new IPanelControl(&mPlug, IRECT(5, 5, 10, 10), &COLOR_RED));
  mGfx->AttachBackground(FreshBitmapId(), PictureName(200, 300).c_str());
  ASSERT_EQ(mGfx->NControls(), 2);
  EXPECT_EQ(mGfx->GetControl(0)->ParamIdx(), -1);
  EXPECT_EQ(*mGfx->GetControl(0)->GetRECT(), IRECT(0, 0, 200, 300));
  Attach();
  DrawAll();
  EXPECT_EQ(mGfx->CanvasPixel(199, 299), PixelAt(199, 299));
  EXPECT_EQ(mGfx->GetPoint(7, 7), COLOR_RED);

  TestGraphics panelOnly(&mPlug, 20, 20);
  panelOnly.AttachControl(new IPanelControl(&mPlug, IRECT(0, 0, 5, 5), &COLOR_BLUE));
  panelOnly.AttachPanelBackground(&COLOR_GREEN);
  panelOnly.PrepDraw();
  IRECT all(0, 0, 20, 20);
  panelOnly.Draw(&all);
  EXPECT_EQ(panelOnly.GetPoint(19, 19), COLOR_GREEN);
  EXPECT_EQ(panelOnly.GetPoint(2, 2), COLOR_BLUE);
}

TEST_F(ControlsTest, GrayedControlsDrawAtAQuarterWeight) {
  SolidPicture white(4, 4, RAST_RGBA(255, 255, 255, 255));
  mGfx->AttachPanelBackground(&COLOR_BLACK);
  mGfx->AttachControl(new IBitmapControl(&mPlug, 0, 0, kBypass, &white.mHandle));
  Attach();
  mGfx->GrayOutControl(kBypass, true);
  DrawAll();
  EXPECT_EQ(mGfx->GetPoint(1, 1).R, 64);
}

TEST_F(ControlsTest, SwitchesStepWrapAndTakeADoubleClickAsAPress) {
  IBitmap three = Picture(6, 12, 3);
  auto* sw = new ISwitchControl(&mPlug, 0, 0, kMode, &three);
  mGfx->AttachControl(sw);
  Attach();
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.5);
  Press(1, 1);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 1.0);
  Press(1, 1);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.0);
  IMouseMod mod(true);
  mGfx->OnMouseDblClick(1, 1, &mod);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.5);
  EXPECT_EQ(mPlug.GetParam(kMode)->Int(), 1);
  DrawAll();
  EXPECT_EQ(ShownFrame(0, 0, 4), 2);

  IBitmap single = Picture(6, 4, 1);
  auto* toggle = new ISwitchControl(&mPlug, 50, 0, -1, &single);
  mGfx->AttachControl(toggle);
  Press(51, 1);
  EXPECT_DOUBLE_EQ(toggle->GetValue(), 1.0);
  Press(51, 1);
  EXPECT_DOUBLE_EQ(toggle->GetValue(), 0.0);
}

TEST_F(ControlsTest, AContactButtonIsMomentary) {
  IBitmap two = Picture(6, 8, 2);
  auto* contact = new IContactControl(&mPlug, 0, 0, kBypass, &two);
  mGfx->AttachControl(contact);
  Attach();
  Press(1, 1);
  EXPECT_DOUBLE_EQ(contact->GetValue(), 0.0);
  ASSERT_EQ(mPlug.EventKinds(), "BIIE");
  EXPECT_DOUBLE_EQ(mPlug.mEvents[1].value, 1.0);
  EXPECT_DOUBLE_EQ(mPlug.mEvents[2].value, 0.0);
}

TEST_F(ControlsTest, FrameSwitchesPickTheFramePressedAndPrompt) {
  IBitmap three = Picture(10, 30, 3);
  auto* frames = new ISwitchFramesControl(&mPlug, 0, 0, kMode, &three);
  IBitmap across = Picture(30, 10, 3, true);
  auto* side = new ISwitchFramesControl(&mPlug, 50, 0, kDry, &across, true);
  mGfx->AttachControl(frames);
  mGfx->AttachControl(side);
  Attach();
  EXPECT_EQ(*frames->GetRECT(), IRECT(0, 0, 10, 10));
  Press(5, 2);
  EXPECT_DOUBLE_EQ(frames->GetValue(), 0.0);
  Press(5, 7);
  EXPECT_DOUBLE_EQ(frames->GetValue(), 1.0);
  // Side-by-side frames: the control is the whole strip wide and a third of it tall.
  EXPECT_EQ(*side->GetRECT(), IRECT(50, 0, 80, 3));
  Press(75, 1);
  EXPECT_DOUBLE_EQ(side->GetValue(), 1.0);
  Press(55, 1);
  EXPECT_DOUBLE_EQ(side->GetValue(), 0.0);
  // A double click is one more press of the switch, not a press that captures the mouse.
  mPlug.mEvents.clear();
  IMouseMod mod(true);
  EXPECT_FALSE(mGfx->OnMouseDblClick(75, 1, &mod));
  EXPECT_DOUBLE_EQ(side->GetValue(), 1.0);
  EXPECT_EQ(mPlug.EventKinds(), "I");
  // Its prompts are on: an enumerated parameter gets a menu over the control.
  mGfx->mMenuChoice = 1;
  frames->PromptUserInput();
  EXPECT_EQ(mGfx->mMenuTexts, (std::vector<std::string>{"Soft", "Warm", "Hard"}));
  EXPECT_EQ(mGfx->mMenuChecked, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(mGfx->mMenuArea, IRECT(0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(frames->GetValue(), 0.5);
}

TEST_F(ControlsTest, PopUpSwitchesAndRightClicksDoNotPromptWhilePromptsAreOff) {
  IBitmap three = Picture(6, 12, 3);
  auto* popup = new ISwitchPopUpControl(&mPlug, 0, 0, kMode, &three);
  IBitmap strip = Picture(4, 303, 101);
  mGfx->AttachControl(popup);
  mGfx->AttachControl(new IKnobMultiControl(&mPlug, 20, 0, kOut, &strip));
  Attach();
  Press(1, 1);
  Press(21, 1, IMouseMod(false, true));
  EXPECT_TRUE(mGfx->mMenuTexts.empty());
  EXPECT_EQ(mGfx->mEntryControl, nullptr);
  EXPECT_DOUBLE_EQ(popup->GetValue(), 0.5);
  EXPECT_EQ(mPlug.EventKinds(), "BIEBE");
}

TEST_F(ControlsTest, InvisibleSwitchesToggleAndDrawNothing) {
  auto* invisible = new IInvisibleSwitchControl(&mPlug, IRECT(0, 0, 10, 10), kBypass);
  mGfx->AttachPanelBackground(&COLOR_BLUE);
  mGfx->AttachControl(invisible);
  Attach();
  Press(5, 5);
  EXPECT_DOUBLE_EQ(invisible->GetValue(), 1.0);
  EXPECT_TRUE(mPlug.GetParam(kBypass)->Bool());
  Press(5, 5);
  EXPECT_DOUBLE_EQ(invisible->GetValue(), 0.0);
  DrawAll();
  EXPECT_EQ(mGfx->GetPoint(5, 5), COLOR_BLUE);
}

TEST_F(ControlsTest, RadioButtonsAreSpacedEvenlyAndLightTheSelectedOne) {
  IBitmap two = Picture(10, 8, 2);  // frames 4 pixels tall
  auto* radio = new IRadioButtonsControl(&mPlug, IRECT(10, 20, 60, 24), kMode, 3, &two, kHorizontal);
  auto* reversed = new IRadioButtonsControl(&mPlug, IRECT(10, 40, 60, 44), kMode, 3, &two, kHorizontal, true);
  auto* column = new IRadioButtonsControl(&mPlug, IRECT(100, 0, 110, 30), kDry, 3, &two, kVertical);
  mGfx->AttachControl(radio);
  mGfx->AttachControl(reversed);
  mGfx->AttachControl(column);
  Attach();
  EXPECT_EQ(*radio->GetButtonRECT(0), IRECT(10, 20, 20, 24));
  EXPECT_EQ(*radio->GetButtonRECT(1), IRECT(30, 20, 40, 24));
  EXPECT_EQ(*radio->GetButtonRECT(2), IRECT(50, 20, 60, 24));
  EXPECT_EQ(reversed->GetButtonRECT(0)->L, 50);
  EXPECT_EQ(reversed->GetButtonRECT(1)->L, 30);
  EXPECT_EQ(reversed->GetButtonRECT(2)->L, 10);
  EXPECT_EQ(*column->GetButtonRECT(1), IRECT(100, 13, 110, 17));

  Press(55, 21);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  EXPECT_EQ(mPlug.GetParam(kMode)->Int(), 2);
  // A press between buttons keeps the value.
  Press(25, 21);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
  DrawAll();
  EXPECT_EQ(ShownFrame(10, 20, 4), 1);
  EXPECT_EQ(ShownFrame(50, 20, 4), 2);
  // The other control bound to the parameter moved with it: its last button is the first from the left.
  mGfx->SetParameterFromPlug(kMode, 2.0, false);
  mGfx->Tick();
  EXPECT_EQ(ShownFrame(10, 40, 4), 2);

  // A single button has nothing to share out and cannot divide by zero.
  IRadioButtonsControl lone(&mPlug, IRECT(0, 0, 50, 10), kDry, 1, &two, kHorizontal);
  EXPECT_EQ(*lone.GetButtonRECT(0), IRECT(0, 0, 10, 4));
}

TEST_F(ControlsTest, FadersPlaceTheHandleAndSnapToThePointer) {
  IBitmap handle = Picture(10, 20, 1);
  auto* fader = new IFaderControl(&mPlug, 0, 0, 100, kDry, &handle);
  IBitmap wide = Picture(20, 10, 1);
  auto* across = new IFaderControl(&mPlug, 50, 0, 120, kWet, &wide, kHorizontal, true);
  mGfx->AttachControl(fader);
  mGfx->AttachControl(across);
  Attach();
  EXPECT_EQ(*fader->GetRECT(), IRECT(0, 0, 10, 100));
  EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(0, 0, 10, 20));
  EXPECT_EQ(fader->GetHandleRECT(0.0), IRECT(0, 80, 10, 100));
  Press(5, 10);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  IMouseMod mod(true);
  mGfx->OnMouseDown(5, 50, &mod);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0 - 40.0 / 80.0);
  mGfx->OnMouseDrag(5, 500, &mod);
  mGfx->OnMouseUp(5, 500, &mod);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
  mGfx->OnMouseWheel(5, 50, &mod, 5);
  EXPECT_NEAR(fader->GetValue(), 0.05, 1e-12);
  DrawAll();
  EXPECT_EQ(mGfx->CanvasPixel(0, 76), PixelAt(0, 0));

  // Only the handle is hit: the Wet value 1 puts it at the right end of the track.
  EXPECT_EQ(across->GetHandleRECT(), IRECT(150, 0, 170, 10));
  Press(60, 5);
  EXPECT_DOUBLE_EQ(across->GetValue(), 1.0);
  Press(155, 5);
  EXPECT_DOUBLE_EQ(across->GetValue(), (155.0 - 50.0 - 10.0) / 100.0);
}

TEST_F(ControlsTest, RotatingKnobsTurnTheirPictures) {
  SolidPicture blue(9, 9, RAST_RGBA(0, 0, 255, 255));
  SolidPicture red(9, 9, RAST_RGBA(255, 0, 0, 255));
  IBitmap stripe = Picture(9, 9, 1);
  auto* rotater = new IKnobRotaterControl(&mPlug, 0, 0, kOut, &stripe, -1.0, 1.0);
  auto* masked = new IKnobRotatingMaskControl(&mPlug, 20, 0, kOut, &blue.mHandle, &blue.mHandle, &red.mHandle, -90.0, 90.0);
  auto* line = new IKnobLineControl(&mPlug, IRECT(40, 0, 61, 21), kOut, &COLOR_WHITE, 2.0, 0.0, -kHalfPi, kHalfPi);
  mGfx->AttachPanelBackground(&COLOR_BLACK);
  mGfx->AttachControl(rotater);
  mGfx->AttachControl(masked);
  mGfx->AttachControl(line);
  Attach();
  DrawAll();
  // At the middle value the angle is 0: the picture lands unturned.
  EXPECT_EQ(mGfx->CanvasPixel(0, 0), PixelAt(0, 0));
  EXPECT_EQ(mGfx->CanvasPixel(8, 5), PixelAt(8, 5));
  EXPECT_EQ(mGfx->GetPoint(24, 4), IColor(255, 255, 0, 0));
  // The pointer line stands straight up from the centre.
  EXPECT_EQ(mGfx->GetPoint(50, 3), COLOR_WHITE);
  EXPECT_EQ(mGfx->GetPoint(50, 17), COLOR_BLACK);

  // A quarter turn clockwise: the pointer lies right of the centre.
  mGfx->SetParameterFromPlug(kOut, 1.0, true);
  DrawAll();
  EXPECT_EQ(mGfx->GetPoint(57, 10), COLOR_WHITE);
  EXPECT_EQ(mGfx->GetPoint(50, 3), COLOR_BLACK);
}

TEST_F(ControlsTest, RotatingMaskLayersAreReadWholeWhateverTheirSize) {
  SolidPicture base(8, 8, RAST_RGBA(0, 0, 0, 255));
  SolidPicture mask(16, 16, RAST_RGBA(0, 0, 0, 255));
  // The top layer is red on its left half and blue on its right half, twice the base's size.
  SolidPicture top(16, 16, RAST_RGBA(255, 0, 0, 255));
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 16; ++x) top.mBitmap.getBits()[y * top.mBitmap.getRowSpan() + x] = RAST_RGBA(0, 0, 255, 255);
  mGfx->AttachControl(new IKnobRotatingMaskControl(&mPlug, 0, 0, kOut, &base.mHandle, &mask.mHandle, &top.mHandle));
  Attach();
  DrawAll();
  // At the middle value the layers are unturned: both halves of the top layer show.
  EXPECT_EQ(mGfx->GetPoint(1, 4).R, 255);
  EXPECT_EQ(mGfx->GetPoint(6, 4).B, 255);
  EXPECT_EQ(mGfx->GetPoint(6, 4).R, 0);
}

TEST_F(ControlsTest, TextControlsShowValuesAndNamesAfterUserChanges) {
  IText style;
  auto* value = new ITextControl(&mPlug, IRECT(0, 50, 60, 60), &style);
  auto* name = new ITextControl(&mPlug, IRECT(0, 60, 60, 70), &style, "label");
  IBitmap strip = Picture(4, 303, 101);
  auto* knob = new IKnobMultiControl(&mPlug, 0, 0, kOut, &strip);
  knob->SetValDisplayControl(value);
  knob->SetNameDisplayControl(name);
  mGfx->AttachControl(value);
  mGfx->AttachControl(name);
  mGfx->AttachControl(knob);
  Attach();
  DrawAll();
  EXPECT_FALSE(value->IsDirty());
  IMouseMod mod(true);
  mGfx->OnMouseWheel(1, 1, &mod, 10);
  EXPECT_STREQ(value->GetTextString(), "3.000 dB");
  EXPECT_STREQ(name->GetTextString(), "Out");
  EXPECT_TRUE(value->IsDirty());
  DrawAll();
  DrawAll();
  name->SetTextFromPlug("Out");
  EXPECT_FALSE(name->IsDirty());
  name->ClearTextFromPlug();
  EXPECT_TRUE(name->IsDirty());
  // An empty text draws nothing and succeeds.
  EXPECT_TRUE(name->Draw(mGfx));
}

TEST_F(ControlsTest, CaptionsShowTheParameterAndPromptWhenAllowed) {
  IText style;
  auto* caption = new ICaptionControl(&mPlug, IRECT(0, 0, 80, 20), kOut, &style);
  auto* bare = new ICaptionControl(&mPlug, IRECT(0, 30, 80, 50), kMode, &style, false);
  mGfx->AttachControl(caption);
  mGfx->AttachControl(bare);
  Attach();
  caption->Draw(mGfx);
  bare->Draw(mGfx);
  EXPECT_STREQ(caption->GetTextString(), "0.000 dB");
  EXPECT_STREQ(bare->GetTextString(), "Warm");
  Press(5, 5);
  EXPECT_EQ(mGfx->mEntryControl, nullptr);
  caption->DisablePrompt(false);
  Press(5, 5);
  EXPECT_EQ(mGfx->mEntryControl, caption);
  EXPECT_EQ(mGfx->mEntryText, "0.000");
  EXPECT_EQ(mGfx->mEntryArea, IRECT(20, 2, 60, 18));
}

TEST_F(ControlsTest, URLControlsFallBackToTheBackupAddress) {
  std::string longURL(400, 'u');
  auto* url = new IURLControl(&mPlug, IRECT(0, 0, 10, 10), longURL.c_str(), "https://backup.example", "offline");
  mGfx->AttachControl(url);
  Attach();
  Press(5, 5);
  ASSERT_EQ(mGfx->mOpenedURLs.size(), 1u);
  EXPECT_EQ(mGfx->mOpenedURLs[0], std::string(255, 'u'));
  mGfx->mOpenURLResult = false;
  Press(5, 5);
  ASSERT_EQ(mGfx->mOpenedURLs.size(), 3u);
  EXPECT_EQ(mGfx->mOpenedURLs[2], "https://backup.example");
  EXPECT_TRUE(mPlug.mEvents.empty());
}

TEST_F(ControlsTest, FileSelectorsAskForAFileAndReportTheFinishOnce) {
  IBitmap pic = Picture(10, 10, 1);
  auto* selector = new IFileSelectorControl(&mPlug, IRECT(0, 0, 10, 10), -1, &pic, kFileOpen, "/tmp", "wav aif");
  mGfx->AttachControl(selector);
  Attach();
  DrawAll();
  Press(5, 5);
  EXPECT_EQ(mGfx->mFilePrompts, 1);
  BRM_String file;
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/tmp/impulse.wav");
  EXPECT_DOUBLE_EQ(selector->GetValue(), 1.0);
  EXPECT_EQ(selector->GetState(), IFileSelectorControl::kFSDone);
  DrawAll();
  EXPECT_TRUE(selector->IsDirty());
  EXPECT_FALSE(selector->IsDirty());
  selector->SetLastSelectedFileFromPlug("/x.wav");
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/x.wav");
}

TEST_F(ControlsTest, BitmapOverlaysAreHitInTheirTargetAreaWhileOff) {
  IBitmap two = Picture(10, 20, 2);
  auto* overlay = new IBitmapOverlayControl(&mPlug, 50, 50, kBypass, &two, IRECT(0, 0, 10, 10));
  mGfx->AttachPanelBackground(&COLOR_GREEN);
  mGfx->AttachControl(overlay);
  Attach();
  DrawAll();
  EXPECT_EQ(mGfx->GetPoint(55, 55), COLOR_GREEN);
  Press(55, 55);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 0.0);
  Press(5, 5);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 1.0);
  DrawAll();
  EXPECT_EQ(mGfx->CanvasPixel(55, 55), PixelAt(5, 15));
  Press(5, 5);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 1.0);
  Press(55, 55);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 0.0);
}

TEST_F(ControlsTest, AuxiliaryParametersFollowTheHostAndGoBackByTheirOwnIndex) {
  IBitmap strip = Picture(4, 303, 101);
  auto* knob = new IKnobMultiControl(&mPlug, 0, 0, kDry, &strip);
  knob->AddAuxParam(kWet);
  knob->AddAuxParam(kOut);
  mGfx->AttachControl(knob);
  Attach();
  EXPECT_EQ(knob->AuxParamIdx(kOut), 1);
  EXPECT_EQ(knob->AuxParamIdx(kMode), -1);
  EXPECT_DOUBLE_EQ(knob->GetAuxParam(0)->mValue, 1.0);
  EXPECT_DOUBLE_EQ(knob->GetAuxParam(1)->mValue, 0.5);
  DrawAll();
  DrawAll();
  mGfx->SetParameterFromPlug(kOut, 15.0, false);
  EXPECT_DOUBLE_EQ(knob->GetAuxParam(1)->mValue, 1.0);
  EXPECT_TRUE(knob->IsDirty());
  knob->SetAllAuxParamsFromGUI();
  ASSERT_EQ(mPlug.EventKinds(), "II");
  EXPECT_EQ(mPlug.mEvents[0].paramIdx, kWet);
  EXPECT_EQ(mPlug.mEvents[1].paramIdx, kOut);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kOut)->Value(), 15.0);
  EXPECT_DEATH(knob->AddAuxParam(-1), "idx > -1");
  EXPECT_DEATH(knob->GetAuxParam(2), "idx > -1 && idx < mAuxParams.GetSize\\(\\)");
}
