// Views: where they lie in the window and their subviews, and what they are asked to redraw.
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;
using korv_appkit_test::RecordingView;

namespace {

void ExpectRect(NSRect r, CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  EXPECT_DOUBLE_EQ(r.origin.x, x);
  EXPECT_DOUBLE_EQ(r.origin.y, y);
  EXPECT_DOUBLE_EQ(r.size.width, w);
  EXPECT_DOUBLE_EQ(r.size.height, h);
}

}  // namespace

TEST(ViewGeometry, OriginIsBottomLeftAndConversionsFollowTheViewTree) {
  HeadlessDisplay display;
  NSView* outer = new NSView(NSMakeRect(0, 0, 200, 100));
  NSWindow* window = display.openWindow(outer, NSMakePoint(300, 400));
  RecordingView* inner = new RecordingView(NSMakeRect(10, 20, 100, 50));
  RecordingView* leaf = new RecordingView(NSMakeRect(5, 5, 10, 10));
  outer->addSubview(inner);
  inner->addSubview(leaf);

  NSPoint local = leaf->convertPoint(NSMakePoint(17, 27), nullptr);
  EXPECT_DOUBLE_EQ(local.x, 2);
  EXPECT_DOUBLE_EQ(local.y, 2);
  NSPoint base = leaf->convertPointToBase(NSMakePoint(0, 0));
  EXPECT_DOUBLE_EQ(base.x, 15);
  EXPECT_DOUBLE_EQ(base.y, 25);
  NSPoint screen = window->convertBaseToScreen(base);
  EXPECT_DOUBLE_EQ(screen.x, 315);
  EXPECT_DOUBLE_EQ(screen.y, 425);
  NSPoint between = inner->convertPoint(NSMakePoint(1, 1), leaf);
  EXPECT_DOUBLE_EQ(between.x, 6);
  EXPECT_DOUBLE_EQ(between.y, 6);

  EXPECT_EQ(window->contentView()->hitTest(NSMakePoint(17, 27)), leaf);
  EXPECT_EQ(window->contentView()->hitTest(NSMakePoint(11, 21)), inner);
  leaf->setHidden(true);
  EXPECT_EQ(window->contentView()->hitTest(NSMakePoint(17, 27)), inner);

  inner->release();
  leaf->release();
  outer->release();
}

TEST(Invalidation, DrawRectReceivesTheDirtyRectangleOnTheNextPass) {
  HeadlessDisplay display;
  RecordingView* view = new RecordingView(NSMakeRect(0, 0, 203, 621));
  display.openWindow(view);
  ASSERT_EQ(view->drawn.size(), 1u);
  ExpectRect(view->drawn[0], 0, 0, 203, 621);

  view->drawn.clear();
  view->setNeedsDisplayInRect(NSMakeRect(10, 20, 30, 40));
  EXPECT_TRUE(view->drawn.empty()) << "drawing waits for the display pass";
  display.displayPass();
  ASSERT_EQ(view->drawn.size(), 1u);
  ExpectRect(view->drawn[0], 10, 20, 30, 40);

  // Several requests before a pass are drawn once, as their union; areas outside the view are cut off.
  view->drawn.clear();
  view->setNeedsDisplayInRect(NSMakeRect(0, 0, 5, 5));
  view->setNeedsDisplayInRect(NSMakeRect(190, 600, 50, 50));
  display.displayPass();
  ASSERT_EQ(view->drawn.size(), 1u);
  ExpectRect(view->drawn[0], 0, 0, 203, 621);

  // Fractional areas grow to whole pixels; nothing invalid means no drawing at all.
  view->drawn.clear();
  view->setNeedsDisplayInRect(NSMakeRect(1.5, 2.25, 3, 3));
  display.displayPass();
  display.displayPass();
  ASSERT_EQ(view->drawn.size(), 1u);
  ExpectRect(view->drawn[0], 1, 2, 4, 4);
  view->release();
}

TEST(Invalidation, SubviewsDrawOnlyWhereTheyMeetTheDirtyArea) {
  HeadlessDisplay display(2);
  RecordingView* parent = new RecordingView(NSMakeRect(0, 0, 100, 100));
  RecordingView* child = new RecordingView(NSMakeRect(50, 50, 20, 20));
  parent->addSubview(child);
  display.openWindow(parent);
  parent->drawn.clear();
  child->drawn.clear();

  parent->setNeedsDisplayInRect(NSMakeRect(0, 0, 10, 10));
  display.displayPass();
  EXPECT_EQ(parent->drawn.size(), 1u);
  EXPECT_TRUE(child->drawn.empty());

  parent->setNeedsDisplayInRect(NSMakeRect(60, 60, 40, 40));
  display.displayPass();
  ASSERT_EQ(child->drawn.size(), 1u);
  ExpectRect(child->drawn[0], 10, 10, 10, 10);
  child->release();
  parent->release();
}
