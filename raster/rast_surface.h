#pragma once
// A bitmap's pixels as the drawing code walks them: row y starts at Row(y), whatever the
// bitmap's row order in memory (a flipped bitmap is walked with a negative stride).
#include <cstddef>

#include "raster/rast_bitmap.h"

struct RAST_Surface {
  RAST_pixel* bits = nullptr;  // row 0
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;  // pixels from one row to the next

  RAST_pixel* Row(int y) const { return bits + y * stride; }
  RAST_pixel* At(int x, int y) const { return Row(y) + x; }
};

// False for a null bitmap, one without pixels or one whose geometry does not add up; drawing
// on such a bitmap draws nothing.
inline bool RAST_GetSurface(RAST_IBitmap* bmp, RAST_Surface* out) {
  if (!bmp) return false;
  RAST_pixel* bits = bmp->getBits();
  int w = bmp->getWidth();
  int h = bmp->getHeight();
  int span = bmp->getRowSpan();
  if (!bits || w <= 0 || h <= 0 || span < w) return false;
  out->width = w;
  out->height = h;
  if (bmp->isFlipped()) {
    out->bits = bits + static_cast<ptrdiff_t>(h - 1) * span;
    out->stride = -static_cast<ptrdiff_t>(span);
  } else {
    out->bits = bits;
    out->stride = span;
  }
  return true;
}
