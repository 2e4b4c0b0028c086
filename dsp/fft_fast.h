#pragma once
// Vectorised FFT code paths. Each reproduces the scalar reference bit for bit; the public
// functions use the widest one the processor supports.
#include "dsp/fft.h"

namespace brm_fft {

struct FastKernels {
  const char *name;
  void (*transform)(BRM_FFT_COMPLEX *buf, int len, int inverse);
  void (*pass)(BRM_FFT_COMPLEX *buf, int len, int inverse);
  void (*real_combine)(double *buf, int len, int inverse, int first, int end);
  void (*complexmul)(BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
  void (*complexmul2)(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
  void (*complexmul3)(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
};

extern const FastKernels kSse2Kernels;
extern const FastKernels kAvx2Kernels;

bool ProcessorHasAvx2();

// The widest code path this processor runs.
const FastKernels &BestKernels();

}  // namespace brm_fft
