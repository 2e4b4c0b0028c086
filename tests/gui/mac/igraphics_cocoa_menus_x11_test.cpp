// Typed values and popup menus in a real X server (Xvfb), driven through XTest the way a user
// would: the field and the menu are read back from the screen.
#include <gtest/gtest.h>
#include <korval_platform/x11_display.h>

#include <chrono>
#include <functional>
#include <thread>

#include "gui/ipopup_menu.h"
#include "gui/mac/igraphics_cocoa.h"
#include "gui_mac_test_support.h"
#include "prompt_test_plug.h"
#include "support/xvfb_server.h"

// Xlib's macros (None, Bool, Status ...) must come after the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace mac_test;

namespace {

class X11PromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(mServer.Name().empty()) << "Xvfb did not start";
    mDisplay = std::make_unique<korv_appkit::X11Display>(mServer.Name().c_str(), 1);
    ASSERT_TRUE(mDisplay->isOpen());
    mProbe = XOpenDisplay(mServer.Name().c_str());
    ASSERT_NE(mProbe, nullptr);
    mHostView = new NSView(NSMakeRect(0, 0, kEditorW, kEditorH));
    mView = static_cast<KORV_COCOA_VIEW*>(mPlug.Editor()->OpenWindow(mHostView));
    mView->release();
    mWindow = mDisplay->openWindow(mHostView, "prompts", NSMakePoint(0, 700 - kEditorH));
    mHostView->release();
    mDisplay->runFor(0.3);
    Window child;
    XTranslateCoordinates(mProbe, mDisplay->xWindowOf(mWindow), DefaultRootWindow(mProbe), 0, 0, &mRootX, &mRootY,
                          &child);
  }
  void TearDown() override {
    if (mWindow) mDisplay->closeWindow(mWindow);
    if (mProbe) XCloseDisplay(mProbe);
  }

  // Root pixel of editor point (x, y): the view's 2 and 3 pixel offsets and the X pixel centres.
  int RootX(int x) const { return mRootX + x + 2; }
  int RootY(int y) const { return mRootY + y + 2; }
  void MoveTo(::Display* d, int x, int y) { XTestFakeMotionEvent(d, -1, RootX(x), RootY(y), 0); }
  void Click(::Display* d, int x, int y) {
    MoveTo(d, x, y);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
  }
  static void Key(::Display* d, KeySym keysym) {
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), True, 0);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), False, 0);
    XFlush(d);
  }
  void Serve(double seconds = 0.25) { mDisplay->runFor(seconds); }
  // A root pixel as 0xRRGGBB.
  static unsigned long RootPixel(::Display* d, int x, int y) {
    XImage* shot = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!shot) return 0;
    const unsigned long pixel = XGetPixel(shot, 0, 0) & 0xFFFFFF;
    XDestroyImage(shot);
    return pixel;
  }
  // While a menu or dialog is open the main thread is inside it: a second connection plays the user.
  // modal runs the main thread meanwhile: by default the display, whose queued click opens a menu.
  void WhileModal(const std::function<void(::Display*)>& user, const std::function<void()>& modal = {}) {
    std::thread helper([&] {
      ::Display* d = XOpenDisplay(mServer.Name().c_str());
      if (!d) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      user(d);
      XCloseDisplay(d);
    });
    if (modal) modal();
    else Serve(1.5);
    helper.join();
  }
  void TypeValue(const std::vector<KeySym>& keys) {
    for (int i = 0; i < 8; ++i) Key(mProbe, XK_BackSpace);
    for (KeySym k : keys) Key(mProbe, k);
    Serve();
  }
  double Value(int paramIdx) { return mPlug.GetParam(paramIdx)->Value(); }

  korv_test::XvfbServer mServer{"640x700x24"};
  std::unique_ptr<korv_appkit::X11Display> mDisplay;
  ::Display* mProbe = nullptr;
  PromptPlug mPlug;
  NSView* mHostView = nullptr;
  KORV_COCOA_VIEW* mView = nullptr;
  NSWindow* mWindow = nullptr;
  int mRootX = 0, mRootY = 0;
};

TEST_F(X11PromptTest, CaptionFieldTakesTypedValuesAndEscapeDropsThem) {
  const int cx = (kOutCaption.L + kOutCaption.R) / 2, cy = (kOutCaption.T + kOutCaption.B) / 2;
  Click(mProbe, cx, cy);
  Serve();
  ASSERT_TRUE(mView->IsEditingText());
  // The field (white, 40 wide) covers the caption's centre on the grey panel and shows the value
  // selected; the panel shows beside it.
  EXPECT_EQ(0xFFFFFFu, RootPixel(mProbe, RootX(cx - 18), RootY(cy)));
  EXPECT_EQ(0x7F7F7Fu, RootPixel(mProbe, RootX(kOutCaption.L + 2), RootY(cy)));
  int selected = 0;
  for (int x = cx - 15; x <= cx + 15; ++x) selected += RootPixel(mProbe, RootX(x), RootY(cy - 4)) == 0xAAC8F5u;
  EXPECT_GT(selected, 3) << "the value is shown selected";

  HostEventLog log;
  TypeValue({XK_minus, XK_6, XK_period, XK_5, XK_Return});
  EXPECT_FALSE(mView->IsEditingText());
  EXPECT_NEAR(-6.5, Value(kPOut), 1e-9);
  EXPECT_EQ("BVE", log.KindsFor(kPOut));
  EXPECT_NE(0xFFFFFFu, RootPixel(mProbe, RootX(cx - 18), RootY(cy))) << "the field is gone";

  Click(mProbe, cx, cy);
  Serve();
  TypeValue({XK_3, XK_Escape});
  EXPECT_FALSE(mView->IsEditingText());
  EXPECT_NEAR(-6.5, Value(kPOut), 1e-9);
}

TEST_F(X11PromptTest, EnumeratedMenuIsChosenWithArrowsAndReturnOrWithAClick) {
  const int cx = (kModeCaption.L + kModeCaption.R) / 2, cy = (kModeCaption.T + kModeCaption.B) / 2;
  // The menu opens just under the caption: its first row is highlighted after one Down.
  const int firstRowY = kModeCaption.B + 5 + 1 + 9;
  unsigned long highlighted = 0, plain = 0;
  Click(mProbe, cx, cy);
  WhileModal([&](::Display* d) {
    Key(d, XK_Down);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    highlighted = RootPixel(d, RootX(kModeCaption.L + 4), RootY(firstRowY));
    Key(d, XK_Down);
    Key(d, XK_Down);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    plain = RootPixel(d, RootX(kModeCaption.L + 4), RootY(firstRowY));
    Key(d, XK_Return);
  });
  EXPECT_EQ(0x3A6CC4u, highlighted) << "the first row lit";
  EXPECT_EQ(0xF6F6F4u, plain) << "the first row no longer lit";
  EXPECT_EQ(2.0, Value(kPMode));

  Click(mProbe, cx, cy);
  WhileModal([&](::Display* d) {
    MoveTo(d, kModeCaption.L + 30, firstRowY);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
  });
  EXPECT_EQ(0.0, Value(kPMode));

  // A click outside cancels.
  Click(mProbe, cx, cy);
  WhileModal([&](::Display* d) {
    MoveTo(d, 190, 600);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
  });
  EXPECT_EQ(0.0, Value(kPMode));
}

TEST_F(X11PromptTest, GeneratedKnobAndSliderFollowDragsAndTypedValues) {
  const int kx = (kOutKnob.L + kOutKnob.R) / 2, ky = (kOutKnob.T + kOutKnob.B) / 2;
  MoveTo(mProbe, kx, ky);
  XTestFakeButtonEvent(mProbe, 1, True, 0);
  XFlush(mProbe);
  Serve(0.1);
  for (int step = 1; step <= 4; ++step) {
    MoveTo(mProbe, kx, ky - 10 * step);
    XFlush(mProbe);
    Serve(0.05);
  }
  XTestFakeButtonEvent(mProbe, 1, False, 0);
  XFlush(mProbe);
  Serve();
  EXPECT_GT(Value(kPOut), 0.0) << "dragging up raises Out";

  Click(mProbe, kx, kOutKnob.B - 4);
  Serve();
  ASSERT_TRUE(mView->IsEditingText());
  TypeValue({XK_2, XK_Return});
  EXPECT_NEAR(2.0, Value(kPOut), 1e-9);

  // The slider: a press near the track's right end, then its value area takes a typed value.
  Click(mProbe, kStepsSlider.R - 40 - 2 - 3, (kStepsSlider.T + kStepsSlider.B) / 2);
  Serve();
  EXPECT_EQ(10.0, Value(kPSteps));
  Click(mProbe, kStepsSlider.R - 10, (kStepsSlider.T + kStepsSlider.B) / 2);
  Serve();
  TypeValue({XK_4, XK_Return});
  EXPECT_EQ(4.0, Value(kPSteps));
}

TEST_F(X11PromptTest, HugeMenuIsCutToTheScreenScrollsAndCancels) {
  IPopupMenu huge(IPopupMenu::kPrefixThreeDigits);
  for (int i = 0; i < 10000; ++i) huge.AddItem("item");
  IRECT area = kModeCaption;
  IPopupMenu* pChosen = &huge;
  unsigned long bottom = 0;
  WhileModal(
      [&](::Display* d) {
        // The menu reaches down to the screen's last row and no further.
        bottom = RootPixel(d, RootX(kModeCaption.L + 4), 700 - 3);
        for (int i = 0; i < 40; ++i) Key(d, XK_Down);
        Key(d, XK_Escape);
      },
      [&] { pChosen = mPlug.Editor()->CreateIPopupMenu(&huge, &area); });
  EXPECT_EQ(0xF6F6F4u, bottom);
  EXPECT_EQ(nullptr, pChosen);
  EXPECT_EQ(-1, huge.GetChosenItemIdx());
}

TEST_F(X11PromptTest, SaveDialogTakesATypedNameAndCancelChoosesNothing) {
  const std::string dir = ::testing::TempDir();
  BRM_String file("dumped"), directory(dir.c_str());
  WhileModal(
      [&](::Display* d) {
        // The path starts selected; Right keeps it and puts the caret at its end.
        Key(d, XK_Right);
        Key(d, XK_a);
        Key(d, XK_b);
        Key(d, XK_Return);
      },
      [&] { mPlug.Editor()->PromptForFile(&file, kFileSave, &directory, "txt"); });
  EXPECT_EQ(dir + "dumpedab.txt", std::string(file.Get()));

  BRM_String cancelled("other");
  WhileModal([&](::Display* d) { Key(d, XK_Escape); },
             [&] { mPlug.Editor()->PromptForFile(&cancelled, kFileSave, &directory, "txt"); });
  EXPECT_STREQ("", cancelled.Get());
}

}  // namespace
