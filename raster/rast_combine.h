#pragma once
// Pixel combining. A weight is an integer where 256 means full strength; the mode word picks the
// combine operation (bits 0-7), whether the source alpha scales the weight (RAST_USE_SOURCE_ALPHA)
// and, for scaled and rotated blits, the filter (bits 8-15).
#include "raster/rast_bitmap.h"

enum {
  RAST_MODE_COPY = 0,
  RAST_MODE_ADD = 1,
  RAST_MODE_DODGE = 2,
  RAST_MODE_MUL = 3,
  RAST_MODE_OVERLAY = 4,
  RAST_MODE_HSVADJ = 5,
  RAST_MODE_MASK = 0xff,
  RAST_FILTER_MASK = 0xff00,
  RAST_FILTER_BILINEAR = 0x100,
  RAST_USE_SOURCE_ALPHA = 0x10000,
  // Bits of the mode word that choose the combiner.
  RAST_COMBINER_BITS = 0x100ff,
  // Mode values from here up make RAST_Blit copy one byte per pixel (see RAST_Blit).
  RAST_MODE_CHANNEL_COPY = 240,
};

// Combines src into dest at alpha (1.0 = full weight) and returns the result.
RAST_pixel RAST_CombinePixels(RAST_pixel dest, RAST_pixel src, float alpha, int mode);
// Combines the colour (r, g, b, a) into *dest at weight (0..256).
void RAST_CombinePixels2(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode);
// As RAST_CombinePixels2 for channel values that may lie outside 0..255.
void RAST_CombinePixels2Clamp(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode);

// The weight of an alpha: alpha x 256 truncated, limited to 0..256 (NaN gives 0).
int RAST_WeightFromAlpha(float alpha);
