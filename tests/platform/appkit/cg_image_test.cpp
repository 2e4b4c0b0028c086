// Pictures drawn by views reaching the screen: at every device scale, only where invalid, refused when
// malformed, and freed with the last image that holds them.
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;
using korv_appkit::ScreenRGB;
using korv_appkit_test::CanvasPixel;
using korv_appkit_test::CanvasView;

namespace {

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
