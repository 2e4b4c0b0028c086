#pragma once
// Drawing contexts, images over caller memory, colour spaces and the display's cursor.
#include <CoreGraphics/CGGeometry.h>

typedef struct CGContext* CGContextRef;
typedef struct CGImage* CGImageRef;
typedef struct CGDataProvider* CGDataProviderRef;
typedef struct CGColorSpace* CGColorSpaceRef;

typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

// Only the layout of the low five bits matters here; the byte order bits follow.
typedef uint32_t CGBitmapInfo;
enum : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0,
  kCGBitmapByteOrder32Big = 4 << 12,
};
typedef uint32_t CGImageAlphaInfo;

typedef int32_t CGColorRenderingIntent;
enum : int32_t { kCGRenderingIntentDefault = 0 };

typedef int32_t CGError;
enum : int32_t { kCGErrorSuccess = 0, kCGErrorFailure = 1000, kCGErrorIllegalArgument = 1001 };

typedef uint32_t CGDirectDisplayID;

// Converts through the context's scale to device pixels; (0, 0) for a null context.
CGSize CGContextConvertSizeToDeviceSpace(CGContextRef context, CGSize size);
void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context);

// The provider wraps data without copying; the callback, if any, runs when the provider goes.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);

// Only 8 bits per component and 32 per pixel are drawn (alpha skipped first or last, big-endian
// or default byte order). Null when the layout is not one of those, or when the provider holds
// fewer bytes than the rows describe. The image retains the provider and the colour space.
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat* decode, bool shouldInterpolate,
                         CGColorRenderingIntent intent);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);

// Stretches the image over rect (user space) with nearest-neighbour sampling, opaque, inside the
// context's clip. The image's first row is the top of rect.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
// The platform colour space of a display profile; null for a null profile.
CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* platformColorSpaceReference);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);

CGDirectDisplayID CGMainDisplayID(void);
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
size_t CGDisplayPixelsWide(CGDirectDisplayID display);
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
// The point is in global display coordinates with the origin at the top left.
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
