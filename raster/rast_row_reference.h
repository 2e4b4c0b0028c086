#pragma once
// The plain per-pixel row loops: the scalar kernel table, and the tails the vector loops leave.
#include "raster/rast_combiners.h"
#include "raster/rast_sampling.h"

template <class C>
void RAST_CombineEach(RAST_pixel* d, const RAST_pixel* s, int n, int w) {
  for (int i = 0; i < n; ++i) {
    RAST_pixel p = s[i];
    C::doPix(reinterpret_cast<unsigned char*>(d + i), RAST_GETR(p), RAST_GETG(p), RAST_GETB(p), RAST_GETA(p), w);
  }
}

inline void RAST_BilinearEach(RAST_pixel* out, const RAST_pixel* top, const RAST_pixel* bottom, int fy, long long px,
                              long long step, int n) {
  for (int i = 0; i < n; ++i, px += step) {
    const RAST_pixel* p = top + (px >> 16);
    long long fx = px & 0xffff;
    if (fy) {
      const RAST_pixel* below = bottom + (px >> 16);
      out[i] = RAST_Blend4(p[0], p[1], below[0], below[1], fx, fy);
    } else {
      out[i] = RAST_Blend2(p[0], p[1], fx);
    }
  }
}
