#include "dsp/fft.h"

#include "dsp/fft_fast.h"
#include "dsp/fft_real.h"

namespace brm_fft {

bool ProcessorHasAvx2() { return __builtin_cpu_supports("avx2"); }

const FastKernels &BestKernels() {
  static const FastKernels &best = ProcessorHasAvx2() ? kAvx2Kernels : kSse2Kernels;
  return best;
}

}  // namespace brm_fft

void BRM_fft(BRM_FFT_COMPLEX *buf, int len, int inverse) { brm_fft::BestKernels().transform(buf, len, inverse); }

void BRM_fft_pass(BRM_FFT_COMPLEX *buf, int len, int inverse) { brm_fft::BestKernels().pass(buf, len, inverse); }

void BRM_real_fft_combine(double *buf, int len, int inverse, int first, int end) {
  brm_fft::BestKernels().real_combine(buf, len, inverse, first, end);
}

void BRM_real_fft(double *buf, int len, int inverse) {
  const brm_fft::FastKernels &k = brm_fft::BestKernels();
  brm_fft::RealTransform(buf, len, inverse, k.transform, k.real_combine);
}

void BRM_fft_complexmul(BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n) { brm_fft::BestKernels().complexmul(a, b, n); }

void BRM_fft_complexmul2(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n) {
  brm_fft::BestKernels().complexmul2(c, a, b, n);
}

void BRM_fft_complexmul3(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n) {
  brm_fft::BestKernels().complexmul3(c, a, b, n);
}
