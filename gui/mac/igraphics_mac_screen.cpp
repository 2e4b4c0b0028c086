// IGraphicsMac: putting the canvas on screen and loading pictures from the bundle.
#include <ApplicationServices/ApplicationServices.h>

#include <cstdint>
#include <cstring>
#include <strings.h>

#include "gui/mac/igraphics_cocoa.h"
#include "gui/mac/igraphics_mac.h"
#include "gui/mac/pixel_double.h"
#include "raster/rast_png.h"

namespace {

// Display profiles are offered from 10.7 on.
constexpr SInt32 kFirstVersionWithDisplayProfile = 0x1070;
// Above this many device pixels per point the canvas is doubled before it is sent.
constexpr CGFloat kHighDensityScale = 1.9;

}  // namespace

void IGraphicsMac::MakeColorSpace() {
  SInt32 version = 0x1040;
  Gestalt(gestaltSystemVersion, &version);
  if (version >= kFirstVersionWithDisplayProfile) {
    CMProfileRef profile = nullptr;
    if (CMGetSystemProfile(&profile) == noErr && profile) {
      mColorSpace = CGColorSpaceCreateWithPlatformColorSpace(profile);
      CMCloseProfile(profile);
    }
  }
  if (!mColorSpace) mColorSpace = CGColorSpaceCreateDeviceRGB();
}

bool IGraphicsMac::DrawScreen(IRECT*) {
  NSGraphicsContext* pCurrent = NSGraphicsContext::currentContext();
  if (!mView || !pCurrent || !mCanvas) return false;
  NSGraphicsContext* pFlipped = NSGraphicsContext::graphicsContextWithGraphicsPort(pCurrent->graphicsPort(), true);
  CGContextRef context = pFlipped ? static_cast<CGContextRef>(pFlipped->graphicsPort()) : nullptr;
  if (!context) return false;
  if (!mColorSpace) MakeColorSpace();

  const uint32_t* pixels = mCanvas->getBits();
  int span = mCanvas->getRowSpan();
  int w = mCanvas->getWidth();
  int h = mCanvas->getHeight();

  if (CGContextConvertSizeToDeviceSpace(context, CGSizeMake(1, 1)).width > kHighDensityScale) {
    const int doubledSpan = (2 * w + 3) & ~3;
    const long long bytes = static_cast<long long>(doubledSpan) * 4 * h * 2 + 32;
    void* pBlock = bytes <= INT32_MAX ? mDoubleBuffer.Resize(static_cast<int>(bytes)) : nullptr;
    // Without the memory the canvas goes out at its own size and the system stretches it.
    if (pBlock) {
      uint32_t* doubled = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(pBlock) + 31) & ~uintptr_t(31));
      DoubleUpImage(pixels, span, w, h, doubled, doubledSpan);
      pixels = doubled;
      span = doubledSpan;
      w *= 2;
      h *= 2;
    }
  }

  const size_t bytesPerRow = static_cast<size_t>(span) * 4;
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, pixels, bytesPerRow * h, nullptr);
  // Memory bytes A (ignored), R, G, B: the canvas's own pixel layout.
  CGImageRef image = CGImageCreate(w, h, 8, 32, bytesPerRow, mColorSpace,
                                   kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrderDefault, provider, nullptr, false,
                                   kCGRenderingIntentDefault);
  CGDataProviderRelease(provider);
  if (!image) return false;
  CGContextDrawImage(context, CGRectMake(0, 0, Width(), Height()), image);
  CGImageRelease(image);
  return true;
}

RAST_IBitmap* IGraphicsMac::LoadImgFromResourceOSX(const char* bundleID, const char* name) {
  if (!name || !*name || !bundleID) return nullptr;
  CocoaAutoReleasePool pool;
  const char* dot = std::strrchr(name, '.');
  const char* extension = dot ? dot + 1 : name;
  if (strcasecmp(extension, "png") != 0) return nullptr;
  NSBundle* pBundle = NSBundle::bundleWithIdentifier(bundleID);
  if (!pBundle) return nullptr;
  const NSString base = NSString(name).lastPathComponent().stringByDeletingPathExtension();
  const NSString path = pBundle->pathForResource(base, "png");
  if (!path.length()) return nullptr;
  return RAST_LoadPNG(path.UTF8String(), nullptr);
}

RAST_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name) {
  if (!mPictureDirectory.GetLength()) return LoadImgFromResourceOSX(GetBundleID(), name);
  if (!name || !*name) return nullptr;
  BRM_String path(mPictureDirectory.Get());
  if (path.Get()[path.GetLength() - 1] != '/') path.Append("/");
  path.Append(name);
  return RAST_LoadPNG(path.Get(), nullptr);
}
