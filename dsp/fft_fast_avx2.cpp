// The AVX2 path; only run when the processor reports AVX2.
#include <immintrin.h>

#include "dsp/fft_fast.h"
#include "dsp/fft_real.h"
#include "base/avx2_region.h"
#include "dsp/fft_tables.h"

KORV_AVX2_BEGIN
#define BRM_FFT_WIDE
#include "dsp/fft_fast_body.h"

namespace brm_fft {

const FastKernels kAvx2Kernels = {"avx2", TransformAnyLength, PassAnyLength, RealCombineAnyLength, Multiply, Multiply2, Multiply3};

}  // namespace brm_fft

KORV_AVX2_END
