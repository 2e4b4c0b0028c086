#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;
using korv_appkit::ScreenRGB;
using korv_appkit_test::CanvasPixel;
using korv_appkit_test::CanvasView;
using korv_appkit_test::RecordingView;

namespace {

void ExpectRect(NSRect r, CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  EXPECT_DOUBLE_EQ(r.origin.x, x);
  EXPECT_DOUBLE_EQ(r.origin.y, y);
  EXPECT_DOUBLE_EQ(r.size.width, w);
  EXPECT_DOUBLE_EQ(r.size.height, h);
}

void FillPattern(CanvasView* view) {
  for (int y = 0; y < view->height; ++y) {
    for (int x = 0; x < view->width; ++x) {
      view->pixels[static_cast<size_t>(y) * view->width + x] =
          CanvasPixel(static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 5), static_cast<uint8_t>(x ^ y));
    }
  }
}

ScreenRGB RGBOf(uint32_t canvasPixel) {
  return {static_cast<uint8_t>(canvasPixel >> 8), static_cast<uint8_t>(canvasPixel >> 16),
          static_cast<uint8_t>(canvasPixel >> 24)};
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

class ImagePath : public ::testing::TestWithParam<std::tuple<CGFloat, bool>> {};

// What reaches the screen is the canvas, pixel for pixel at scale 1 and as 2 x 2 blocks at scale 2,
// whether the view doubles the image itself or the system stretches it.
TEST_P(ImagePath, ScreenShowsTheCanvasAtTheDeviceScale) {
  auto [scale, doubling] = GetParam();
  HeadlessDisplay display(scale);
  CanvasView* view = new CanvasView(23, 17, doubling);
  FillPattern(view);
  NSWindow* window = display.openWindow(view);
  const int s = static_cast<int>(scale);
  ASSERT_EQ(display.screenWidth(window), 23 * s);
  ASSERT_EQ(display.screenHeight(window), 17 * s);
  for (int y = 0; y < 17 * s; ++y) {
    for (int x = 0; x < 23 * s; ++x) {
      ASSERT_EQ(display.screenPixel(window, x, y), RGBOf(view->pixels[(y / s) * 23 + x / s])) << x << "," << y;
      ASSERT_EQ(display.screenPixels(window)[y * 23 * s + x] & 0xFF, 0xFFu) << "the screen is opaque";
    }
  }
  view->release();
}

INSTANTIATE_TEST_SUITE_P(ScalesAndDoubling, ImagePath,
                         ::testing::Values(std::make_tuple(1.0, true), std::make_tuple(2.0, true),
                                           std::make_tuple(2.0, false)));

TEST(ImagePath, OnlyTheInvalidAreaOfTheScreenChanges) {
  HeadlessDisplay display(2);
  CanvasView* view = new CanvasView(40, 30, true);
  FillPattern(view);
  NSWindow* window = display.openWindow(view);
  std::fill(view->pixels.begin(), view->pixels.end(), CanvasPixel(255, 0, 0));
  // View rectangle (10, 5, 4, 3): columns 10-13, canvas rows 30-5-3 = 22 to 24.
  view->setNeedsDisplayInRect(NSMakeRect(10, 5, 4, 3));
  display.displayPass();
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 80; ++x) {
      bool inside = x >= 20 && x < 28 && y >= 44 && y < 50;
      ScreenRGB red{255, 0, 0};
      if (inside) {
        ASSERT_EQ(display.screenPixel(window, x, y), red) << x << "," << y;
      } else {
        ASSERT_NE(display.screenPixel(window, x, y), red) << x << "," << y;
      }
    }
  }
  view->release();
}

TEST(ImagePath, MalformedImagesAreRefusedAndDrawNothing) {
  std::vector<uint32_t> pixels(16 * 16);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, pixels.data(), pixels.size() * 4, nullptr);
  EXPECT_EQ(CGImageCreate(16, 17, 8, 32, 64, space, kCGImageAlphaNoneSkipFirst, provider, nullptr, false, 0), nullptr)
      << "more rows than the provider holds";
  EXPECT_EQ(CGImageCreate(16, 16, 8, 32, 60, space, kCGImageAlphaNoneSkipFirst, provider, nullptr, false, 0), nullptr)
      << "rows shorter than the width";
  EXPECT_EQ(CGImageCreate(16, 16, 8, 24, 64, space, kCGImageAlphaNoneSkipFirst, provider, nullptr, false, 0), nullptr);
  EXPECT_EQ(CGImageCreate(16, 16, 8, 32, 64, space, kCGImageAlphaPremultipliedFirst, provider, nullptr, false, 0),
            nullptr);
  EXPECT_EQ(CGImageCreate(SIZE_MAX / 2, 2, 8, 32, SIZE_MAX, space, kCGImageAlphaNoneSkipFirst, provider, nullptr,
                          false, 0),
            nullptr);
  EXPECT_EQ(CGImageCreate(16, 16, 8, 32, 64, nullptr, kCGImageAlphaNoneSkipFirst, provider, nullptr, false, 0),
            nullptr);
  CGImageRef image = CGImageCreate(16, 16, 8, 32, 64, space, kCGImageAlphaNoneSkipFirst, provider, nullptr, false, 0);
  ASSERT_NE(image, nullptr);
  CGContextDrawImage(nullptr, CGRectMake(0, 0, 16, 16), image);
  EXPECT_EQ(CGContextConvertSizeToDeviceSpace(nullptr, CGSizeMake(1, 1)).width, 0);
  CGImageRelease(image);
  CGDataProviderRelease(provider);
  CGColorSpaceRelease(space);
}

TEST(ImagePath, ProviderReleaseCallbackRunsWhenTheLastImageGoes) {
  static int s_released = 0;
  std::vector<uint32_t> pixels(4);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGDataProviderRef provider = CGDataProviderCreateWithData(
      nullptr, pixels.data(), 16, [](void*, const void*, size_t) { ++s_released; });
  CGImageRef image = CGImageCreate(2, 2, 8, 32, 8, space, kCGImageAlphaNoneSkipFirst, provider, nullptr, false, 0);
  CGDataProviderRelease(provider);
  CGColorSpaceRelease(space);
  EXPECT_EQ(s_released, 0);
  CGImageRelease(image);
  EXPECT_EQ(s_released, 1);
}
