// The baseline vector path: SSE2, present on every x86-64 processor.
#include "dsp/fft_fast.h"
#include "dsp/fft_fast_body.h"

namespace brm_fft {

const FastKernels kSse2Kernels = {"sse2", TransformAnyLength, PassAnyLength, RealCombineAnyLength, Multiply, Multiply2, Multiply3};

}  // namespace brm_fft
