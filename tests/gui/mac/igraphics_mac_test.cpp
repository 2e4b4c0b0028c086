// The Mac editor of a plug-in on a headless screen: knob gestures, host changes, restored state,
// high-density screens, pictures and the editor's services without a desktop.
#include <gtest/gtest.h>

#include "gui/icontrol.h"
#include "gui/ipopup_menu.h"
#include "gui_mac_test_support.h"

using namespace mac_test;
using korv_appkit::HeadlessDisplay;
using korv_appkit::ScreenRGB;

namespace {

ScreenRGB KnobFrame(int frame) { return ToScreen(KnobFramePixel(frame)); }

class EditorTest : public ::testing::Test {
 protected:
  EditorTest() : mShown(&mDisplay, mPlug.Editor()) { mShown.Settle(); }

  // The centre of a knob, on the screen (device pixels at scale 1).
  ScreenRGB KnobOnScreen(int x, int y) const { return mShown.ScreenAt(x + kKnobSide / 2, y + kKnobSide / 2); }
  double Value(int paramIdx) { return mPlug.GetParam(paramIdx)->GetNormalized(); }
  void HostSets(int paramIdx, float value) {
    ASSERT_EQ(noErr, IFxAU::SetParamProc(&mPlug, paramIdx, kAudioUnitScope_Global, 0, value, 0));
  }
  NSPoint KnobCentre(int x, int y) const { return ShownEditor::ToWindow(x + kKnobSide / 2, y + kKnobSide / 2); }
  NSPoint Above(NSPoint p, CGFloat up) const { return NSMakePoint(p.x, p.y + up); }

  HeadlessDisplay mDisplay;
  MacTestPlug mPlug;
  ShownEditor mShown;
};

TEST_F(EditorTest, FirstTicksDrawTheBackgroundAndEveryKnobAtItsValue) {
  EXPECT_EQ(ToScreen(BackgroundPixel(5, 400)), mShown.ScreenAt(5, 400));
  EXPECT_EQ(ToScreen(BackgroundPixel(202, 620)), mShown.ScreenAt(202, 620));
  EXPECT_EQ(KnobFrame(1), KnobOnScreen(kDryX, kDryY));
  EXPECT_EQ(KnobFrame(kKnobFrames), KnobOnScreen(kWetX, kWetY));
  EXPECT_EQ(KnobFrame(51), KnobOnScreen(kOutX, kOutY));
}

TEST_F(EditorTest, KnobDragTellsTheHostBeginValuesEndInOrder) {
  HostEventLog log;
  const NSPoint from = KnobCentre(kDryX, kDryY);
  mDisplay.drag(mShown.Window(), from, Above(from, 48), 4, 0.01);
  const std::string kinds = log.KindsFor(kDry);
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ('B', kinds.front());
  EXPECT_EQ(std::string(kinds.size() - 2, 'V'), kinds.substr(1, kinds.size() - 2));
  EXPECT_EQ('E', kinds.back());
  // Up by one knob height at gearing 4 is a quarter of the range.
  EXPECT_NEAR(0.25, Value(kDry), 1e-9);
  EXPECT_TRUE(log.KindsFor(kWet).empty());
  mShown.Settle();
  EXPECT_EQ(KnobFrame(26), KnobOnScreen(kDryX, kDryY));
}

TEST_F(EditorTest, ShiftOrControlDragIsTenTimesFiner) {
  const NSPoint from = KnobCentre(kDryX, kDryY);
  mDisplay.drag(mShown.Window(), from, Above(from, 48), 4, 0.01, NSEventModifierFlagShift);
  EXPECT_NEAR(0.025, Value(kDry), 1e-9);
  mDisplay.drag(mShown.Window(), from, Above(from, 48), 4, 0.01, NSEventModifierFlagControl);
  EXPECT_NEAR(0.05, Value(kDry), 1e-9);
}

TEST_F(EditorTest, WheelStepsTheKnobUnderThePointer) {
  HostEventLog log;
  mDisplay.scrollWheel(mShown.Window(), KnobCentre(kOutX, kOutY), 3.0);
  EXPECT_NEAR(0.53, Value(kOut), 1e-9);
  mDisplay.scrollWheel(mShown.Window(), KnobCentre(kOutX, kOutY), -1.0, NSEventModifierFlagShift);
  EXPECT_NEAR(0.529, Value(kOut), 1e-9);
  EXPECT_EQ("VV", log.KindsFor(kOut));
}

TEST_F(EditorTest, HostChangesMoveTheKnobsAfterTheTimerRuns) {
  HostSets(kOut, 15.0f);
  HostSets(kDry, 0.25f);
  EXPECT_EQ(KnobFrame(51), KnobOnScreen(kOutX, kOutY));
  mShown.Settle();
  EXPECT_EQ(KnobFrame(kKnobFrames), KnobOnScreen(kOutX, kOutY));
  EXPECT_EQ(KnobFrame(26), KnobOnScreen(kDryX, kDryY));
  EXPECT_EQ(KnobFrame(kKnobFrames), KnobOnScreen(kWetX, kWetY));
}

TEST_F(EditorTest, HostSideRemovalClosesTheEditorWhichOpensAgainWithTheSameState) {
  HostSets(kDry, 1.0f);
  NSView* pView = mShown.View();
  pView->removeFromSuperview();
  EXPECT_FALSE(mPlug.Editor()->WindowIsOpen());
  EXPECT_EQ(1, mPlug.mGUICloses);
  // The timer is gone with the view: ticks and host changes are harmless.
  mDisplay.advanceTime(0.5);
  HostSets(kDry, 0.5f);
  ShownEditor again(&mDisplay, mPlug.Editor());
  again.Settle();
  EXPECT_EQ(KnobFrame(51), again.ScreenAt(kDryX + kKnobSide / 2, kDryY + kKnobSide / 2));
}

TEST(HighDensityTest, ScaleTwoSendsAPixelDoubledCanvas) {
  HeadlessDisplay display(2);
  MacTestPlug plug;
  ShownEditor shown(&display, plug.Editor());
  shown.Settle();
  ASSERT_EQ(2 * kEditorW, display.screenWidth(shown.Window()));
  ASSERT_EQ(2 * kEditorH, display.screenHeight(shown.Window()));
  for (auto [x, y] : {std::pair{0, 0}, {101, 200}, {202, 620}, {7, 613}}) {
    const ScreenRGB expected = ToScreen(BackgroundPixel(x, y));
    EXPECT_EQ(expected, display.screenPixel(shown.Window(), 2 * x, 2 * y));
    EXPECT_EQ(expected, display.screenPixel(shown.Window(), 2 * x + 1, 2 * y + 1));
  }
  EXPECT_EQ(KnobFrame(kKnobFrames), display.screenPixel(shown.Window(), 2 * kWetX, 2 * kWetY + 2 * kKnobSide - 1));
}

TEST(ScreenTransferTest, NothingIsSentOutsideADisplayPassOrWithoutAView) {
  HeadlessDisplay display;
  MacTestPlug plug;
  IRECT all(0, 0, kEditorW, kEditorH);
  EXPECT_FALSE(plug.Editor()->Draw(&all));
  ShownEditor shown(&display, plug.Editor());
  EXPECT_FALSE(plug.Editor()->Draw(&all));
}

TEST(PictureTest, OnlyPngResourcesOfAKnownBundleLoad) {
  RAST_IBitmap* pBitmap = IGraphicsMac::LoadImgFromResourceOSX(kTestBundleID, "some/dir/bg.PNG");
  ASSERT_NE(nullptr, pBitmap);
  EXPECT_EQ(kEditorW, pBitmap->getWidth());
  EXPECT_EQ(kEditorH, pBitmap->getHeight());
  EXPECT_EQ(BackgroundPixel(9, 17) | 0xff, pBitmap->getBits()[17 * pBitmap->getRowSpan() + 9]);
  delete pBitmap;
  EXPECT_EQ(nullptr, IGraphicsMac::LoadImgFromResourceOSX(kTestBundleID, "resources/img/bg.jpg"));
  EXPECT_EQ(nullptr, IGraphicsMac::LoadImgFromResourceOSX(kTestBundleID, "png"));
  EXPECT_EQ(nullptr, IGraphicsMac::LoadImgFromResourceOSX(kTestBundleID, "resources/img/missing.png"));
  EXPECT_EQ(nullptr, IGraphicsMac::LoadImgFromResourceOSX("com.korvaline.test.nobundle", "bg.png"));
  EXPECT_EQ(nullptr, IGraphicsMac::LoadImgFromResourceOSX(kTestBundleID, nullptr));
}

TEST(ServicesTest, DialogsMenusAndUrlsWithoutADesktop) {
  HeadlessDisplay display;
  MacTestPlug plug;
  IGraphicsMac* pEditor = plug.Editor();
  BRM_String file("preset.fxp"), dir;
  pEditor->PromptForFile(&file, kFileSave, &dir, "fxp fxb");
  EXPECT_STREQ("", file.Get());
  EXPECT_STREQ("", dir.Get());
  IPopupMenu menu;
  IRECT area(0, 0, 10, 10);
  EXPECT_EQ(nullptr, pEditor->CreateIPopupMenu(&menu, &area));

  ShownEditor shown(&display, pEditor);
  file.Set("preset.fxp");
  pEditor->PromptForFile(&file, kFileOpen, &dir, "fxp");
  EXPECT_STREQ("", file.Get());
  EXPECT_STREQ("~/Desktop", dir.Get());
  EXPECT_FALSE(pEditor->OpenURL("http://exa mple.com"));
  EXPECT_FALSE(pEditor->OpenURL("https://example.com"));
  EXPECT_EQ(1u, display.requestedURLs().size());
  EXPECT_STREQ("Cocoa GUI", pEditor->GetGUIAPI());
  EXPECT_EQ(1, pEditor->ShowMessageBox("Overwrite?", "KorvTest", 3));
}

TEST(ServicesTest, MenuAskedForWithoutAViewStillFreesThePressedKnob) {
  MacTestPlug plug;
  IGraphicsMac* pEditor = plug.Editor();
  const int x = kWetX + kKnobSide / 2, y = kWetY + kKnobSide / 2;
  const double before = plug.GetParam(kWet)->GetNormalized();
  IMouseMod mod(true);
  pEditor->OnMouseDown(x, y, &mod);
  IPopupMenu menu;
  IRECT area(0, 0, 10, 10);
  EXPECT_EQ(nullptr, pEditor->CreateIPopupMenu(&menu, &area));
  pEditor->OnMouseDrag(x, y + 40, &mod);
  pEditor->OnMouseUp(x, y + 40, &mod);
  EXPECT_EQ(before, plug.GetParam(kWet)->GetNormalized());
}

TEST(ServicesTest, PathsComeFromTheBundleAndTheHomeDirectory) {
  MacTestPlug plug;
  BRM_String path;
  plug.Editor()->PluginPath(&path);
  const std::string bundleDir = KORV_MAC_VIEW_TEST_BUNDLE_DIR;
  EXPECT_EQ(bundleDir.substr(0, bundleDir.rfind('/') + 1), path.Get());
  plug.Editor()->HostPath(&path);
  EXPECT_EQ(bundleDir + "/Contents/MacOS/MacViewTest", path.Get());
  plug.Editor()->SandboxSafeAppSupportPath(&path);
  EXPECT_EQ(std::string(NSHomeDirectory().UTF8String()) + "/Music", path.Get());
}

TEST(FactoryTest, MakeGraphicsGivesAnEditorOfThePluginsOwnBundle) {
  MacTestPlug plug;
  IGraphicsMac* pEditor = MakeGraphics(&plug, kEditorW, kEditorH, 0);
  EXPECT_STREQ(kTestBundleID, pEditor->GetBundleID());
  EXPECT_EQ(25, pEditor->FPS());
  EXPECT_EQ(kEditorW, pEditor->Width());
  EXPECT_FALSE(pEditor->WindowIsOpen());
  delete pEditor;
}

}  // namespace

namespace {

TEST(SubWindowTest, TheEditorSitsCentredInAChildOfTheHostWindowUntilRemoved) {
  HeadlessDisplay display;
  MacTestPlug plug;
  NSWindow* pHost = new NSWindow(NSMakeRect(50, 60, 400, 700), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  plug.Editor()->AttachSubWindow(pHost);
  ASSERT_EQ(1u, pHost->childWindows().size());
  NSWindow* pChild = pHost->childWindows().front();
  EXPECT_TRUE(NSEqualRects(NSMakeRect(50 + 98, 60, kEditorW, kEditorH), pChild->frame()));
  EXPECT_TRUE(plug.Editor()->WindowIsOpen());
  display.advanceTime(0.2);
  EXPECT_TRUE(pChild->isVisible());
  EXPECT_EQ(ToScreen(BackgroundPixel(3, 4)), display.screenPixel(pChild, 3, 4));
  plug.Editor()->RemoveSubWindow();
  EXPECT_FALSE(plug.Editor()->WindowIsOpen());
  EXPECT_TRUE(pHost->childWindows().empty());
  EXPECT_FALSE(pHost->isVisible());
  pHost->release();
}

}  // namespace
