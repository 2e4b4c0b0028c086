// A host showing the plug-in's editor the way hosts do: the unit is opened through the component
// manager, the Cocoa view class is found by the name the unit gives, and the Carbon view component
// is opened beside it.
#include <gtest/gtest.h>

#include <AudioUnit/AUCocoaUIView.h>
#include <korval_platform/host.h>

#include <vector>

#include "au/cf_text.h"
#include "gui_mac_test_support.h"

using namespace mac_test;
using korv_appkit::HeadlessDisplay;

namespace {

Component Find(OSType type) {
  ComponentDescription desc = {type, static_cast<OSType>(kUniqueID), static_cast<OSType>(kMfrID), 0, 0};
  return FindNextComponent(nullptr, &desc);
}

class CocoaRouteTest : public ::testing::Test {
 protected:
  CocoaRouteTest() : mUnit(OpenComponent(Find(kAudioUnitType_Effect))) {}
  ~CocoaRouteTest() override {
    if (mUnit) CloseComponent(mUnit);
  }
  MacTestPlug* Plug() const { return reinterpret_cast<MacTestPlug*>(GetComponentInstanceStorage(mUnit)); }

  // The factory named by the unit's Cocoa view property, as a host makes it.
  AUCocoaUIBase* MakeFactory() {
    AudioUnitCocoaViewInfo info = {};
    UInt32 size = sizeof(info);
    EXPECT_EQ(noErr, AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size));
    EXPECT_EQ(sizeof(info), size);
    CStrLocal className(info.mCocoaAUViewClass[0]);
    CFStringRef bundlePath = CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
    EXPECT_STREQ(KORV_MAC_VIEW_TEST_BUNDLE_DIR, CStrLocal(bundlePath).Get());
    CFRelease(bundlePath);
    CFRelease(info.mCocoaAUViewBundleLocation);
    CFRelease(info.mCocoaAUViewClass[0]);
    EXPECT_STREQ(kTestViewClassName, className.Get());
    NSObject* pObject = NSClassCreateInstance(NSClassFromString(className.Get()));
    mFactory = pObject;
    return dynamic_cast<AUCocoaUIBase*>(pObject);
  }

  HeadlessDisplay mDisplay;
  AudioUnit mUnit;
  NSObject* mFactory = nullptr;
};

TEST_F(CocoaRouteTest, TheNamedFactoryMakesAViewThatDrawsAndCloses) {
  ASSERT_NE(nullptr, mUnit);
  AUCocoaUIBase* pFactory = MakeFactory();
  ASSERT_NE(nullptr, pFactory);
  EXPECT_EQ(0u, pFactory->interfaceVersion());
  EXPECT_EQ("MacViewTest View", mFactory->description());

  NSView* pView = pFactory->uiViewForAudioUnit(mUnit, NSMakeSize(400, 300));
  ASSERT_NE(nullptr, pView);
  EXPECT_EQ(kEditorW, NSWidth(pView->frame()));
  EXPECT_EQ(kEditorH, NSHeight(pView->frame()));
  EXPECT_EQ(1, Plug()->mGUIOpens);

  NSView* pHostView = new NSView(NSMakeRect(0, 0, kEditorW, kEditorH));
  pHostView->addSubview(pView);
  pView->release();
  NSWindow* pWindow = mDisplay.openWindow(pHostView);
  pHostView->release();
  mDisplay.advanceTime(0.1);
  EXPECT_EQ(ToScreen(BackgroundPixel(150, 500)), mDisplay.screenPixel(pWindow, 150, 500));
  EXPECT_EQ(ToScreen(KnobFramePixel(51)), mDisplay.screenPixel(pWindow, kOutX + 3, kOutY + 3));

  // Asking again replaces the first view.
  NSView* pSecond = pFactory->uiViewForAudioUnit(mUnit, NSMakeSize(1, 1));
  EXPECT_EQ(2, Plug()->mGUIOpens);
  EXPECT_EQ(1, Plug()->mGUICloses);
  EXPECT_TRUE(pHostView->subviews().empty());
  pHostView->addSubview(pSecond);
  pSecond->release();
  pSecond->removeFromSuperview();
  EXPECT_FALSE(Plug()->Editor()->WindowIsOpen());
  EXPECT_EQ(2, Plug()->mGUICloses);
  mDisplay.closeWindow(pWindow);
  mFactory->release();
}

// Hosts close editors in many orders; none may touch a view or an editor that is gone
// (AddressSanitizer watches every case).
TEST_F(CocoaRouteTest, EveryOrderOfClosingViewWindowAndUnitIsSafe) {
  enum Step { kReleaseView, kShowInWindow, kCloseWindow, kRemoveView, kAskAgain, kCloseUnit };
  const std::vector<std::vector<Step>> orders = {
      {kShowInWindow, kCloseWindow, kCloseUnit},   {kShowInWindow, kCloseWindow, kAskAgain, kCloseUnit},
      {kReleaseView, kCloseUnit},                  {kReleaseView, kAskAgain, kCloseUnit},
      {kShowInWindow, kCloseUnit, kCloseWindow},   {kShowInWindow, kRemoveView, kCloseWindow, kCloseUnit},
      {kShowInWindow, kCloseWindow, kRemoveView, kAskAgain, kCloseUnit},
  };
  AUCocoaUIBase* pFactory = MakeFactory();
  ASSERT_NE(nullptr, pFactory);
  for (size_t c = 0; c < orders.size(); ++c) {
    SCOPED_TRACE(c);
    AudioUnit unit = OpenComponent(Find(kAudioUnitType_Effect));
    ASSERT_NE(nullptr, unit);
    NSView* pView = pFactory->uiViewForAudioUnit(unit, NSMakeSize(kEditorW, kEditorH));
    ASSERT_NE(nullptr, pView);
    NSWindow* pWindow = nullptr;
    for (Step step : orders[c]) {
      switch (step) {
        case kReleaseView:
          pView->release();
          break;
        case kShowInWindow: {
          NSView* pHostView = new NSView(NSMakeRect(0, 0, kEditorW, kEditorH));
          pHostView->addSubview(pView);
          pView->release();
          pWindow = mDisplay.openWindow(pHostView);
          pHostView->release();
          break;
        }
        case kCloseWindow:
          mDisplay.closeWindow(pWindow);
          break;
        case kRemoveView:
          pView->retain();
          pView->removeFromSuperview();
          pView->release();
          break;
        case kAskAgain: {
          NSView* pAgain = pFactory->uiViewForAudioUnit(unit, NSMakeSize(kEditorW, kEditorH));
          ASSERT_NE(nullptr, pAgain);
          pAgain->release();
          break;
        }
        case kCloseUnit:
          EXPECT_EQ(noErr, CloseComponent(unit));
          break;
      }
      mDisplay.advanceTime(0.1);
    }
  }
  mFactory->release();
}

TEST_F(CocoaRouteTest, RestoringStateRedrawsTheKnobs) {
  ASSERT_NE(nullptr, mUnit);
  ShownEditor shown(&mDisplay, Plug()->Editor());
  const int wetX = kWetX + kKnobSide / 2, wetY = kWetY + kKnobSide / 2;
  ASSERT_EQ(noErr, AudioUnitSetParameter(mUnit, kWet, kAudioUnitScope_Global, 0, 0.5f, 0));
  CFPropertyListRef saved = nullptr;
  UInt32 size = sizeof(saved);
  ASSERT_EQ(noErr, AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved, &size));
  ASSERT_EQ(noErr, AudioUnitSetParameter(mUnit, kWet, kAudioUnitScope_Global, 0, 0.0f, 0));
  shown.Settle();
  ASSERT_EQ(ToScreen(KnobFramePixel(1)), shown.ScreenAt(wetX, wetY));
  ASSERT_EQ(noErr, AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved,
                                        sizeof(saved)));
  CFRelease(saved);
  shown.Settle();
  EXPECT_EQ(ToScreen(KnobFramePixel(51)), shown.ScreenAt(wetX, wetY));
}

TEST_F(CocoaRouteTest, AUnitWithoutAPlugInGetsNoView) {
  AUCocoaUIBase* pFactory = MakeFactory();
  ASSERT_NE(nullptr, pFactory);
  EXPECT_EQ(nullptr, pFactory->uiViewForAudioUnit(nullptr, NSMakeSize(203, 621)));
  EXPECT_EQ(0, Plug()->mGUIOpens);
  mFactory->release();
}

TEST_F(CocoaRouteTest, CarbonViewComponentGivesNoControlAndClosesTheEditorWhenClosed) {
  ComponentDescription list = {};
  UInt32 size = sizeof(list);
  ASSERT_EQ(noErr, AudioUnitGetProperty(mUnit, kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &list,
                                        &size));
  EXPECT_EQ(20u, size);
  Component viewComponent = FindNextComponent(nullptr, &list);
  ASSERT_NE(nullptr, viewComponent);
  AudioUnitCarbonView carbonView = OpenComponent(viewComponent);
  ASSERT_NE(nullptr, carbonView);

  NSView* pView = static_cast<NSView*>(Plug()->Editor()->OpenWindow(nullptr));
  const Float32Point location = {0, 0}, viewSize = {203, 621};
  ControlRef control = reinterpret_cast<ControlRef>(&size);
  EXPECT_EQ(noErr, AudioUnitCarbonViewCreate(carbonView, mUnit, nullptr, nullptr, &location, &viewSize, &control));
  EXPECT_EQ(nullptr, control);
  EXPECT_EQ(badComponentSelector, CallComponentCanDo(carbonView, kAudioUnitCarbonViewCreateSelect));
  EXPECT_EQ(noErr, CloseComponent(carbonView));
  EXPECT_FALSE(Plug()->Editor()->WindowIsOpen());
  pView->release();
}

TEST_F(CocoaRouteTest, CarbonViewOutlivingItsUnitClosesWithoutTouchingIt) {
  AudioUnitCarbonView carbonView = OpenComponent(Find(kAudioUnitCarbonViewComponentType));
  ASSERT_NE(nullptr, carbonView);
  const Float32Point location = {0, 0}, viewSize = {203, 621};
  ControlRef control = nullptr;
  ASSERT_EQ(noErr, AudioUnitCarbonViewCreate(carbonView, mUnit, nullptr, nullptr, &location, &viewSize, &control));
  ASSERT_EQ(noErr, CloseComponent(mUnit));
  mUnit = nullptr;
  // The plug-in is gone; closing the view must not reach its editor (AddressSanitizer would see it).
  EXPECT_EQ(noErr, CloseComponent(carbonView));
}

TEST_F(CocoaRouteTest, CarbonViewOfAUnitWithoutAPlugInRefusesToCreate) {
  AudioUnitCarbonView carbonView = OpenComponent(Find(kAudioUnitCarbonViewComponentType));
  ASSERT_NE(nullptr, carbonView);
  ControlRef control = nullptr;
  EXPECT_EQ(badComponentSelector, AudioUnitCarbonViewCreate(carbonView, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                            &control));
  EXPECT_EQ(noErr, CloseComponent(carbonView));
}

}  // namespace
