#pragma once
// Turns a block of real input samples into the complex values the forward transform takes,
// flushing what the denormal filter flushes, and tells whether anything audible is left.
#include "dsp/fft.h"

namespace brm_convo {

// dest[i] = (filtered re[i], filtered im[i]) for i < n, with 0 for the imaginary part when im is
// null. Returns whether any filtered value has a magnitude above silence. dest must not overlap
// the sources.
bool SpreadToComplex(BRM_FFT_COMPLEX* dest, const double* re, const double* im, int n, double silence);
// The plain version SpreadToComplex matches bit for bit.
bool SpreadToComplexReference(BRM_FFT_COMPLEX* dest, const double* re, const double* im, int n, double silence);

}  // namespace brm_convo
