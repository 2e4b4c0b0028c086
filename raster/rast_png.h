#pragma once
// PNG images: decoding into bitmaps (every colour type and depth arrives as 8-bit a, r, g, b,
// not premultiplied) and encoding bitmaps for tools and snapshots.
#include "base/heap_buf.h"
#include "raster/rast_bitmap.h"

// A loader of one image file type; loaders form a list that file choosers and loaders walk.
struct RAST_ImageLoader {
  // Loads filename into bmp (or a new RAST_MemBitmap when bmp is null); with checkFileName,
  // names of other file types are refused at once. Null on failure.
  RAST_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, RAST_IBitmap* bmp);
  // Pairs of NUL-terminated description and pattern, ended by an empty string.
  const char* (*get_extlist)();
  RAST_ImageLoader* next;
};
extern RAST_ImageLoader* RAST_ImageLoader_list;

class RAST_PNGLoader {
 public:
  // Puts this loader at the front of RAST_ImageLoader_list.
  RAST_PNGLoader();
  static RAST_IBitmap* loadfunc(const char* filename, bool checkFileName, RAST_IBitmap* bmp);
  static const char* get_extlist();

 private:
  RAST_ImageLoader mRecord;
};

// Each returns bmp (resized to the image) or, when bmp is null, a new RAST_MemBitmap owned by
// the caller; null on any failure. A given bitmap is never deleted but may have been resized.
RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp = nullptr);
RAST_IBitmap* RAST_LoadPNGFromMemory(const void* data, int length, RAST_IBitmap* bmp = nullptr);
// name inside the main bundle's resource folder; names over 400 characters are refused.
RAST_IBitmap* RAST_LoadPNGFromNamedResource(const char* name, RAST_IBitmap* bmp = nullptr);
// Numbered resources do not exist on this platform: always null.
RAST_IBitmap* RAST_LoadPNGFromResource(int resourceId, RAST_IBitmap* bmp = nullptr);

// Images larger than this are refused before any pixel memory is taken.
inline constexpr unsigned kRastMaxPNGSide = 32768;
inline constexpr unsigned long long kRastMaxPNGPixels = 1ULL << 26;

enum {
  RAST_PNG_GRAY = 0,
  RAST_PNG_RGB = 2,
  RAST_PNG_PALETTE = 3,
  RAST_PNG_GRAY_ALPHA = 4,
  RAST_PNG_RGBA = 6,
};

struct RAST_PNGFormat {
  int colorType = RAST_PNG_RGBA;
  int bitDepth = 8;
  // Writes a transparency chunk: for palettes the pixels' alphas, for grey and RGB images the
  // transparent colour (grey images use its red channel).
  bool transparency = false;
  RAST_pixel transparentColor = 0;
  bool interlaced = false;
};

// Grey images take each pixel's red channel; depths below 8 keep the top bits, 16 repeats the
// byte. A palette holds each distinct colour (with alpha when transparency is asked for). False
// for a bitmap without pixels, a colour type and depth PNG does not allow, or a palette that
// needs more entries than the depth holds.
bool RAST_EncodePNG(RAST_IBitmap* bmp, const RAST_PNGFormat& format, BRM_HeapBuf* out);
bool RAST_WritePNG(const char* filename, RAST_IBitmap* bmp, const RAST_PNGFormat& format);
