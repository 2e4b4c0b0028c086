#include <algorithm>
#include <cmath>

#include <AppKit/NSGraphicsContext.h>

#include "platform/appkit/src/cg_context.h"

struct CGDataProvider {
  int references;
  void* info;
  const uint8_t* data;
  size_t size;
  CGDataProviderReleaseDataCallback releaseData;
};

struct CGColorSpace {
  int references;
};

struct CGImage {
  int references;
  size_t width;
  size_t height;
  size_t bytesPerRow;
  bool alphaFirst;
  CGDataProviderRef provider;
  CGColorSpaceRef space;
};

namespace korv_appkit {

DeviceRect ToDevice(const CGContext& context, NSRect r) {
  CGFloat s = context.scale;
  DeviceRect d;
  d.left = static_cast<int>(std::floor(NSMinX(r) * s + 1e-9));
  d.right = static_cast<int>(std::ceil(NSMaxX(r) * s - 1e-9));
  d.top = static_cast<int>(std::floor(context.height - NSMaxY(r) * s + 1e-9));
  d.bottom = static_cast<int>(std::ceil(context.height - NSMinY(r) * s - 1e-9));
  return d;
}

void FocusContext(CGContextRef context, NSPoint origin, NSRect area) {
  if (!context) return;
  DeviceRect d = ToDevice(*context, area);
  CGContext::State& state = context->state;
  state.origin = origin;
  state.clipLeft = std::max(state.clipLeft, d.left);
  state.clipTop = std::max(state.clipTop, d.top);
  state.clipRight = std::min(state.clipRight, d.right);
  state.clipBottom = std::min(state.clipBottom, d.bottom);
}

}  // namespace korv_appkit

CGSize CGContextConvertSizeToDeviceSpace(CGContextRef context, CGSize size) {
  if (!context) return CGSizeMake(0, 0);
  return CGSizeMake(size.width * context->scale, size.height * context->scale);
}

void CGContextSaveGState(CGContextRef context) {
  if (context) context->saved.push_back(context->state);
}

void CGContextRestoreGState(CGContextRef context) {
  if (!context || context->saved.empty()) return;
  context->state = context->saved.back();
  context->saved.pop_back();
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData) {
  if (!data && size > 0) return nullptr;
  return new CGDataProvider{1, info, static_cast<const uint8_t*>(data), size, releaseData};
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) {
  if (provider) ++provider->references;
  return provider;
}

void CGDataProviderRelease(CGDataProviderRef provider) {
  if (!provider || --provider->references > 0) return;
  if (provider->releaseData) provider->releaseData(provider->info, provider->data, provider->size);
  delete provider;
}

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return new CGColorSpace{1}; }

CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* platformColorSpaceReference) {
  return platformColorSpaceReference ? new CGColorSpace{1} : nullptr;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) {
  if (space) ++space->references;
  return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
  if (space && --space->references == 0) delete space;
}

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat*, bool, CGColorRenderingIntent) {
  uint32_t alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
  uint32_t order = bitmapInfo & kCGBitmapByteOrderMask;
  if (!provider || !space || bitsPerComponent != 8 || bitsPerPixel != 32) return nullptr;
  if (alpha != kCGImageAlphaNoneSkipFirst && alpha != kCGImageAlphaNoneSkipLast) return nullptr;
  if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big) return nullptr;
  if (width == 0 || height == 0 || width > (SIZE_MAX / 4) || bytesPerRow < width * 4) return nullptr;
  if (height - 1 > (SIZE_MAX - width * 4) / bytesPerRow) return nullptr;
  if (provider->size < bytesPerRow * (height - 1) + width * 4) return nullptr;
  return new CGImage{1, width, height, bytesPerRow, alpha == kCGImageAlphaNoneSkipFirst,
                     CGDataProviderRetain(provider), CGColorSpaceRetain(space)};
}

CGImageRef CGImageRetain(CGImageRef image) {
  if (image) ++image->references;
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (!image || --image->references > 0) return;
  CGDataProviderRelease(image->provider);
  CGColorSpaceRelease(image->space);
  delete image;
}

size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }

namespace {

// Screen words hold bytes A, R, G, B in memory with A = 255.
inline uint32_t ScreenWord(const uint8_t* pixel, bool alphaFirst) {
  uint32_t r = alphaFirst ? pixel[1] : pixel[0];
  uint32_t g = alphaFirst ? pixel[2] : pixel[1];
  uint32_t b = alphaFirst ? pixel[3] : pixel[2];
  return 0xFFu | (r << 8) | (g << 16) | (b << 24);
}

}  // namespace

void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image) {
  if (!context || !image) return;
  rect = CGRectStandardize(rect);
  const CGContext::State& state = context->state;
  // Rounded edges keep an image of exactly the device size pixel for pixel.
  CGFloat s = context->scale;
  int left = static_cast<int>(std::lround((state.origin.x + rect.origin.x) * s));
  int right = static_cast<int>(std::lround((state.origin.x + NSMaxX(rect)) * s));
  int top = static_cast<int>(std::lround(context->height - (state.origin.y + NSMaxY(rect)) * s));
  int bottom = static_cast<int>(std::lround(context->height - (state.origin.y + rect.origin.y) * s));
  if (right <= left || bottom <= top) return;
  int x0 = std::max({state.clipLeft, 0, left});
  int x1 = std::min({state.clipRight, context->width, right});
  int y0 = std::max({state.clipTop, 0, top});
  int y1 = std::min({state.clipBottom, context->height, bottom});
  if (x1 <= x0 || y1 <= y0) return;

  const uint8_t* data = image->provider->data;
  const double stepX = static_cast<double>(image->width) / (right - left);
  const double stepY = static_cast<double>(image->height) / (bottom - top);
  for (int y = y0; y < y1; ++y) {
    size_t row = std::min(image->height - 1, static_cast<size_t>((y - top + 0.5) * stepY));
    const uint8_t* source = data + row * image->bytesPerRow;
    uint32_t* out = context->pixels + static_cast<size_t>(y) * context->width;
    if (stepX == 1.0) {
      for (int x = x0; x < x1; ++x) out[x] = ScreenWord(source + static_cast<size_t>(x - left) * 4, image->alphaFirst);
    } else {
      for (int x = x0; x < x1; ++x) {
        size_t column = std::min(image->width - 1, static_cast<size_t>((x - left + 0.5) * stepX));
        out[x] = ScreenWord(source + column * 4, image->alphaFirst);
      }
    }
  }
}

namespace {
thread_local NSGraphicsContext* s_currentContext = nullptr;
}

NSGraphicsContext* NSGraphicsContext::currentContext() { return s_currentContext; }

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* context) { s_currentContext = context; }

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort(void* graphicsPort, bool flipped) {
  if (!graphicsPort) return nullptr;
  return NSAutoreleased(new NSGraphicsContext(static_cast<CGContextRef>(graphicsPort), flipped));
}
