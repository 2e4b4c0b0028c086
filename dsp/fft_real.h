#pragma once
// The real transform, built on whichever complex transform the caller supplies so that the
// reference and the fast path share the pre- and post-processing.
#include "dsp/fft.h"

namespace brm_fft {

using ComplexTransform = void (*)(BRM_FFT_COMPLEX *buf, int len, int inverse);

// Steps first..end-1 of the len/4 + 1 that lie between the half-length complex transform and the
// real spectrum (len >= 4).
void RealCombine(double *buf, int len, int inverse, int first, int end);

void RealTransform(double *buf, int len, int inverse, ComplexTransform complex);

}  // namespace brm_fft
