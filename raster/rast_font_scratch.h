#pragma once
// The process-wide scratch bitmaps of the cached fonts: one for rasterising glyphs and measuring,
// one for native drawing into bitmaps without a drawing context of their own.
#include "raster/rast_bitmap.h"

// Grown to at least w by h; null when no memory can be had.
RAST_SysBitmap* RAST_GlyphScratch(int w, int h);
RAST_SysBitmap* RAST_NativeScratch(int w, int h);

// The text layer's colour for a raster pixel.
inline COLORREF RAST_ToColorRef(RAST_pixel p) {
  return static_cast<COLORREF>(RAST_GETR(p) << 16 | RAST_GETG(p) << 8 | RAST_GETB(p));
}
