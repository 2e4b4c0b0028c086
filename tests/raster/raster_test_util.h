#pragma once
// Bitmap helpers shared by the raster tests.
#include "raster/rast_bitmap.h"

namespace rast_test {

// A pixel from the colour channels in the order people write them.
inline RAST_pixel Px(int r, int g, int b, int a) { return RAST_RGBA(r, g, b, a); }

// Fills every pixel with a value that differs per position and channel.
inline void FillPattern(RAST_IBitmap* bmp, unsigned seed = 1) {
  for (int y = 0; y < bmp->getHeight(); ++y) {
    for (int x = 0; x < bmp->getWidth(); ++x) {
      unsigned v = (x * 73856093u) ^ (y * 19349663u) ^ (seed * 83492791u);
      v ^= v >> 13;
      v *= 0x5bd1e995u;
      v ^= v >> 15;
      bmp->getBits()[y * bmp->getRowSpan() + x] = v;
    }
  }
}

inline void FillAll(RAST_IBitmap* bmp, RAST_pixel p) {
  for (int y = 0; y < bmp->getHeight(); ++y) {
    for (int x = 0; x < bmp->getWidth(); ++x) bmp->getBits()[y * bmp->getRowSpan() + x] = p;
  }
}

inline RAST_pixel At(RAST_IBitmap* bmp, int x, int y) { return bmp->getBits()[y * bmp->getRowSpan() + x]; }
inline void Set(RAST_IBitmap* bmp, int x, int y, RAST_pixel p) { bmp->getBits()[y * bmp->getRowSpan() + x] = p; }

// True when both bitmaps have the same size and pixels.
inline bool SamePixels(RAST_IBitmap* a, RAST_IBitmap* b) {
  if (a->getWidth() != b->getWidth() || a->getHeight() != b->getHeight()) return false;
  for (int y = 0; y < a->getHeight(); ++y) {
    for (int x = 0; x < a->getWidth(); ++x) {
      if (At(a, x, y) != At(b, x, y)) return false;
    }
  }
  return true;
}

// Pixels that differ from the background.
inline int CountNot(RAST_IBitmap* bmp, RAST_pixel background) {
  int n = 0;
  for (int y = 0; y < bmp->getHeight(); ++y) {
    for (int x = 0; x < bmp->getWidth(); ++x) n += At(bmp, x, y) != background;
  }
  return n;
}

}  // namespace rast_test
