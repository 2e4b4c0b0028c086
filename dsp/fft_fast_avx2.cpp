// The AVX2 path, compiled for AVX2 through a pragma so that no build flag is needed; only run
// when the processor reports AVX2. Shared headers with inline functions are included before the
// pragma so that no AVX2 copy of them can be picked for other callers.
#include <immintrin.h>

#include "dsp/fft_fast.h"
#include "dsp/fft_real.h"
#include "dsp/fft_tables.h"

#pragma GCC push_options
#pragma GCC target("avx2")
#define BRM_FFT_WIDE
#include "dsp/fft_fast_body.h"

namespace brm_fft {

const FastKernels kAvx2Kernels = {"avx2", TransformAnyLength, PassAnyLength, RealCombineAnyLength, Multiply, Multiply2, Multiply3};

}  // namespace brm_fft

#pragma GCC pop_options
