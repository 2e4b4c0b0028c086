#include <CoreFoundation/CFBundle.h>

#include <cstring>

#include "raster/rast_png.h"

namespace {
const size_t kMaxResourceName = 400;
const CFIndex kPathBufferSize = 1536;
const char kResourceFolder[] = "/Contents/Resources/";
}  // namespace

RAST_IBitmap* RAST_LoadPNGFromNamedResource(const char* name, RAST_IBitmap* bmp) {
  if (!name || std::strlen(name) > kMaxResourceName) return nullptr;
  char path[kPathBufferSize + sizeof kResourceFolder + kMaxResourceName];
  path[0] = 0;
  CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  if (url) {
    if (!CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), kPathBufferSize)) path[0] = 0;
    CFRelease(url);
  }
  if (!path[0]) return nullptr;
  std::strcat(path, kResourceFolder);
  std::strcat(path, name);
  return RAST_LoadPNG(path, bmp);
}
