#pragma once
// The painter rule the shapes share: mode 0 at alpha 1, 0.5, 0.25 and 0.75 mixes whole pixels;
// plain copy at weight 256 or 128 does too.
#include "raster/rast_dispatch.h"

inline RAST_FastMix RAST_ShapeFastMix(float alpha, int mode, int weight) {
  if ((mode & RAST_MODE_MASK) == RAST_MODE_COPY) {
    if (alpha == 1.0f) return RAST_FAST_CLOBBER;
    if (alpha == 0.5f) return RAST_FAST_HALF;
    if (alpha == 0.25f) return RAST_FAST_QUARTER;
    if (alpha == 0.75f) return RAST_FAST_THREE_QUARTER;
  }
  if ((mode & RAST_COMBINER_BITS) == RAST_MODE_COPY) {
    if (weight == 256) return RAST_FAST_CLOBBER;
    if (weight == 128) return RAST_FAST_HALF;
  }
  return RAST_FAST_NONE;
}

// Calls fn(painter) with the painter of a shape of one colour; false when nothing is drawn.
template <class Fn>
bool RAST_WithShapePaint(RAST_pixel colour, float alpha, int mode, Fn&& fn) {
  int weight = RAST_WeightFromAlpha(alpha);
  if (!weight) return false;
  return RAST_WithPaint(colour, RAST_ShapeFastMix(alpha, mode, weight), mode, weight, RAST_GETR(colour), RAST_GETG(colour),
                        RAST_GETB(colour), RAST_GETA(colour), fn);
}
