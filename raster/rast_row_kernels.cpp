#include "raster/rast_row_kernels.h"

#include "raster/rast_row_reference.h"

extern const RAST_RowKernels kRastAvx2RowKernels;

namespace {

void CopySourceAlphaFull(RAST_pixel* d, const RAST_pixel* s, int n) {
  RAST_CombineEach<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, s, n, 256);
}

const RAST_RowKernels kScalar = {
    "scalar",
    RAST_CombineEach<_RAST_CombinePixelsCopyNoClamp>,
    RAST_CombineEach<_RAST_CombinePixelsCopySourceAlphaNoClamp>,
    CopySourceAlphaFull,
    RAST_CombineEach<_RAST_CombinePixelsAdd>,
    RAST_CombineEach<_RAST_CombinePixelsAddSourceAlpha>,
    RAST_BilinearEach,
};

// Asked on every call (a cheap read of the processor flags) so that no lazily built static, with
// its guard lock, sits on the drawing path.
const RAST_RowKernels& Fastest() {
  const RAST_RowKernels* avx2 = RAST_Avx2RowKernels();
  return avx2 ? *avx2 : RAST_Sse2RowKernels();
}

const RAST_RowKernels* s_override = nullptr;

}  // namespace

const RAST_RowKernels& RAST_ScalarRowKernels() { return kScalar; }

const RAST_RowKernels* RAST_Avx2RowKernels() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? &kRastAvx2RowKernels : nullptr;
}

const RAST_RowKernels& RAST_ActiveRowKernels() { return s_override ? *s_override : Fastest(); }

void RAST_UseRowKernels(const RAST_RowKernels* kernels) { s_override = kernels; }
