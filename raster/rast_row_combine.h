#pragma once
// Combining a row of source pixels into a row of destination pixels with the combiner C: through
// the active row kernels where they cover C, pixel by pixel otherwise.
#include <cstring>

#include "raster/rast_row_kernels.h"
#include "raster/rast_row_reference.h"

template <class C>
struct RAST_RowCombine {
  static void Run(const RAST_RowKernels&, RAST_pixel* d, const RAST_pixel* s, int n, int w) {
    RAST_CombineEach<C>(d, s, n, w);
  }
};

template <>
struct RAST_RowCombine<_RAST_CombinePixelsClobberNoClamp> {
  static void Run(const RAST_RowKernels&, RAST_pixel* d, const RAST_pixel* s, int n, int) {
    std::memmove(d, s, static_cast<size_t>(n) * sizeof(RAST_pixel));
  }
};

template <>
struct RAST_RowCombine<_RAST_CombinePixelsCopyNoClamp> {
  static void Run(const RAST_RowKernels& k, RAST_pixel* d, const RAST_pixel* s, int n, int w) { k.copy(d, s, n, w); }
};

template <>
struct RAST_RowCombine<_RAST_CombinePixelsCopySourceAlphaNoClamp> {
  static void Run(const RAST_RowKernels& k, RAST_pixel* d, const RAST_pixel* s, int n, int w) {
    k.copySourceAlpha(d, s, n, w);
  }
};

template <>
struct RAST_RowCombine<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp> {
  static void Run(const RAST_RowKernels& k, RAST_pixel* d, const RAST_pixel* s, int n, int) {
    k.copySourceAlphaFull(d, s, n);
  }
};

template <>
struct RAST_RowCombine<_RAST_CombinePixelsAdd> {
  static void Run(const RAST_RowKernels& k, RAST_pixel* d, const RAST_pixel* s, int n, int w) { k.add(d, s, n, w); }
};

template <>
struct RAST_RowCombine<_RAST_CombinePixelsAddSourceAlpha> {
  static void Run(const RAST_RowKernels& k, RAST_pixel* d, const RAST_pixel* s, int n, int w) {
    k.addSourceAlpha(d, s, n, w);
  }
};
