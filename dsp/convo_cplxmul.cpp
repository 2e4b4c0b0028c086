#include "dsp/convo_cplxmul.h"

namespace brm_convo {
namespace {

// Taking n odd or below 2 as "nothing to do" keeps every vector version free of a tail loop.
void Mul2Scalar(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  if (n < 2 || (n & 1)) return;
  for (int i = 0; i < n; ++i) {
    const double ar = a[i].re, ai = a[i].im;
    const double br = b[i].re, bi = b[i].im;
    dest[i].re = ar * br - ai * bi;
    dest[i].im = ar * bi + ai * br;
  }
}

void Mul3Scalar(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  if (n < 2 || (n & 1)) return;
  for (int i = 0; i < n; ++i) {
    const double ar = a[i].re, ai = a[i].im;
    const double br = b[i].re, bi = b[i].im;
    dest[i].re += ar * br - ai * bi;
    dest[i].im += ar * bi + ai * br;
  }
}

void MulSumScalar(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b, int terms,
                  int begin, int end) {
  if (terms < 1) return;
  Mul2Scalar(dest + begin, a[0] + begin, b[0] + begin, end - begin);
  for (int k = 1; k < terms; ++k) Mul3Scalar(dest + begin, a[k] + begin, b[k] + begin, end - begin);
}

// Starts on the SSE2 baseline (valid even if called during static initialisation) and is
// upgraded once at load time, so the audio path never tests the processor or takes a guard.
const CplxMulKernels* g_active = &kSse2Kernels;
const bool g_chosen = (g_active = CpuHasAvx2() ? &kAvx2Kernels : &kSse2Kernels, true);

}  // namespace

const CplxMulKernels kScalarKernels = {"scalar", Mul2Scalar, Mul3Scalar, MulSumScalar};

bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

const CplxMulKernels& ActiveKernels() { return *g_active; }

}  // namespace brm_convo

void BRM_CONVO_CplxMul2(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  brm_convo::g_active->mul2(dest, a, b, n);
}

void BRM_CONVO_CplxMul3(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  brm_convo::g_active->mul3(dest, a, b, n);
}

void BRM_CONVO_CplxMulSum(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b,
                          int terms, int begin, int end) {
  brm_convo::g_active->mulsum(dest, a, b, terms, begin, end);
}
