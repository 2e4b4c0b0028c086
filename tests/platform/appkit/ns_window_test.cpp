// Events through a window to its views: the mouse and its tracking, the wheel, keys and the first responder.
#include <Carbon/Carbon.h>
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;
using korv_appkit_test::RecordingView;

namespace {

struct EventsFixture : ::testing::Test {
  void SetUp() override {
    view = new RecordingView(NSMakeRect(0, 0, 203, 621));
    window = display.openWindow(view);
  }
  void TearDown() override { view->release(); }

  HeadlessDisplay display;
  RecordingView* view = nullptr;
  NSWindow* window = nullptr;
};

}  // namespace

TEST(EventConstants, ModifierBitsAndKeyCodesAreThePlatformValues) {
  EXPECT_EQ(NSEventModifierFlagShift, 1ul << 17);
  EXPECT_EQ(NSEventModifierFlagControl, 1ul << 18);
  EXPECT_EQ(NSEventModifierFlagOption, 1ul << 19);
  EXPECT_EQ(NSEventModifierFlagCommand, 1ul << 20);
  EXPECT_EQ(kVK_Space, 49);
  EXPECT_EQ(kVK_LeftArrow, 123);
  EXPECT_EQ(kVK_RightArrow, 124);
  EXPECT_EQ(kVK_DownArrow, 125);
  EXPECT_EQ(kVK_UpArrow, 126);
  EXPECT_EQ(kVK_ANSI_Q, 12);
  EXPECT_EQ(kVK_ANSI_7, 26);
  EXPECT_EQ(NSApplicationDefined, 15u);
}

TEST_F(EventsFixture, MouseEventsCarryLocationModifiersAndClickCount) {
  display.mouseDown(window, NSMakePoint(12.7, 100.2), NSEventModifierFlagCommand | NSEventModifierFlagShift, 2);
  display.mouseDragged(window, NSMakePoint(13, 90), NSEventModifierFlagShift);
  display.mouseUp(window, NSMakePoint(13, 90));
  ASSERT_EQ(view->received.size(), 3u);
  const auto& down = view->received[0];
  EXPECT_EQ(down.type, NSEventTypeLeftMouseDown);
  EXPECT_DOUBLE_EQ(down.location.x, 12.7);
  EXPECT_DOUBLE_EQ(down.location.y, 100.2);
  EXPECT_EQ(down.flags, NSEventModifierFlagCommand | NSEventModifierFlagShift);
  EXPECT_EQ(down.clickCount, 2);
  EXPECT_EQ(view->received[1].type, NSEventTypeLeftMouseDragged);
  EXPECT_EQ(view->received[2].type, NSEventTypeLeftMouseUp);
  EXPECT_EQ(view->received[2].clickCount, 2);

  display.rightMouseDown(window, NSMakePoint(5, 5), NSEventModifierFlagControl);
  display.rightMouseDragged(window, NSMakePoint(6, 5));
  display.rightMouseUp(window, NSMakePoint(6, 5));
  ASSERT_EQ(view->received.size(), 6u);
  EXPECT_EQ(view->received[3].type, NSEventTypeRightMouseDown);
  EXPECT_EQ(view->received[3].flags, NSEventModifierFlagControl);
  EXPECT_EQ(view->received[5].type, NSEventTypeRightMouseUp);
}

TEST_F(EventsFixture, ThePressedViewKeepsTheMouseUntilRelease) {
  RecordingView* other = new RecordingView(NSMakeRect(100, 100, 50, 50));
  view->addSubview(other);
  display.mouseDown(window, NSMakePoint(110, 110));
  display.mouseDragged(window, NSMakePoint(5, 5));
  display.mouseDragged(window, NSMakePoint(-40, 900));
  display.mouseUp(window, NSMakePoint(-40, 900));
  EXPECT_EQ(other->received.size(), 4u);
  EXPECT_TRUE(view->received.empty());
  // A drag without a press, or a release of the other button, reaches nobody.
  display.mouseDragged(window, NSMakePoint(110, 110));
  display.rightMouseUp(window, NSMakePoint(110, 110));
  EXPECT_EQ(other->received.size(), 4u);
  other->release();
}

TEST_F(EventsFixture, AViewRemovedWhileTrackedGetsNoFurtherEvents) {
  RecordingView* child = new RecordingView(NSMakeRect(0, 0, 50, 50));
  view->addSubview(child);
  display.mouseDown(window, NSMakePoint(10, 10));
  child->removeFromSuperview();
  display.mouseDragged(window, NSMakePoint(11, 11));
  display.mouseUp(window, NSMakePoint(11, 11));
  EXPECT_EQ(child->received.size(), 1u);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->currentMode(), NSDefaultRunLoopMode);
  child->release();
}

TEST_F(EventsFixture, TheWheelReachesTheViewUnderThePointerWithItsDelta) {
  display.scrollWheel(window, NSMakePoint(20, 30), -3.7, NSEventModifierFlagOption);
  display.scrollWheel(window, NSMakePoint(20, 30), 0.5);
  display.scrollWheel(window, NSMakePoint(500, 30), 1);
  ASSERT_EQ(view->received.size(), 2u);
  EXPECT_EQ(view->received[0].type, NSEventTypeScrollWheel);
  EXPECT_DOUBLE_EQ(view->received[0].deltaY, -3.7);
  EXPECT_EQ(view->received[0].flags, NSEventModifierFlagOption);
  EXPECT_DOUBLE_EQ(view->received[1].deltaY, 0.5);
}

TEST_F(EventsFixture, KeysGoToTheFirstResponderWithCodeAndCharacters) {
  ASSERT_TRUE(window->makeFirstResponder(view));
  ASSERT_TRUE(display.typeCharacter(window, 'Q'));
  ASSERT_TRUE(display.typeCharacter(window, '7'));
  ASSERT_TRUE(display.typeCharacter(window, ' '));
  display.keyDown(window, kVK_UpArrow, NSString::stringWithCharacters(std::vector<unichar>{0xF700}.data(), 1),
                  NSString::stringWithCharacters(std::vector<unichar>{0xF700}.data(), 1));
  ASSERT_EQ(view->received.size(), 4u);
  EXPECT_EQ(view->received[0].keyCode, kVK_ANSI_Q);
  EXPECT_EQ(view->received[0].characters, NSString("Q"));
  EXPECT_EQ(view->received[0].flags, NSEventModifierFlagShift);
  EXPECT_EQ(view->received[1].keyCode, kVK_ANSI_7);
  EXPECT_EQ(view->received[2].keyCode, 49);
  EXPECT_EQ(view->received[3].keyCode, 126);
  EXPECT_EQ(view->received[3].characters.length(), 1u);
  EXPECT_EQ(view->received[3].characters.characterAtIndex(0), 0xF700);
  EXPECT_FALSE(display.typeCharacter(window, '\x01'));
}

TEST_F(EventsFixture, KeysNoViewUsesReachTheHost) {
  view->passKeys = true;
  ASSERT_TRUE(window->makeFirstResponder(view));
  display.typeCharacter(window, 'a');
  display.keyDown(window, kVK_LeftArrow, "", "");
  EXPECT_TRUE(view->received.empty());
  EXPECT_EQ(display.keysPassedToHost(), (std::vector<unsigned short>{kVK_ANSI_A, kVK_LeftArrow}));
}

TEST_F(EventsFixture, MovesReachTheFirstResponderOnlyWhenTheWindowAsksForThem) {
  ASSERT_TRUE(window->makeFirstResponder(view));
  display.mouseMoved(window, NSMakePoint(3, 4));
  EXPECT_TRUE(view->received.empty());
  window->setAcceptsMouseMovedEvents(true);
  display.mouseMoved(window, NSMakePoint(3, 4));
  ASSERT_EQ(view->received.size(), 1u);
  EXPECT_EQ(view->received[0].type, NSEventTypeMouseMoved);
}

TEST_F(EventsFixture, APressMakesAWillingViewTheFirstResponder) {
  RecordingView* shy = new RecordingView(NSMakeRect(0, 0, 10, 10));
  shy->wantsKeys = false;
  view->addSubview(shy);
  display.mouseDown(window, NSMakePoint(50, 50));
  display.mouseUp(window, NSMakePoint(50, 50));
  EXPECT_EQ(window->firstResponder(), view);
  display.mouseDown(window, NSMakePoint(5, 5));
  display.mouseUp(window, NSMakePoint(5, 5));
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_FALSE(window->makeFirstResponder(shy));
  NSPoint pointer = NSEvent::mouseLocation();
  EXPECT_DOUBLE_EQ(pointer.x, 5);
  EXPECT_DOUBLE_EQ(pointer.y, 5);
  shy->release();
}

TEST_F(EventsFixture, ApplicationDefinedEventsFindTheirWindowByNumber) {
  NSEvent* event = NSEvent::otherEventWithType(NSApplicationDefined, NSMakePoint(1, 2), 15, 0,
                                               window->windowNumber(), nullptr, 0, 0, 0);
  EXPECT_EQ(event->window(), window);
  EXPECT_EQ(event->windowNumber(), window->windowNumber());
  EXPECT_EQ(event->type(), 15u);
  EXPECT_EQ(NSEvent::otherEventWithType(15, NSZeroPoint, 0, 0, 987654, nullptr, 0, 0, 0)->window(), nullptr);
}
