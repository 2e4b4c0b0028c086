#pragma once
// Point-wise products of a double spectrum with a float impulse spectrum, the inner loop of the
// partitioned convolution. The SSE2 and AVX2 versions perform exactly the scalar operations
// (same products, same sums, no fused multiply-add), so every version gives identical bits.
#include "dsp/fft.h"

struct BRM_CONVO_IMPULSEBUFCPLXf {
  float re;
  float im;
};

// dest[i] = a[i] * b[i] over n values; nothing happens unless n >= 2 and n is even.
void BRM_CONVO_CplxMul2(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n);
// dest[i] += a[i] * b[i] over n values; nothing happens unless n >= 2 and n is even.
void BRM_CONVO_CplxMul3(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n);

namespace brm_convo {

using CplxMulFn = void (*)(BRM_FFT_COMPLEX*, const BRM_FFT_COMPLEX*, const BRM_CONVO_IMPULSEBUFCPLXf*, int);

struct CplxMulKernels {
  const char* name;
  CplxMulFn mul2;
  CplxMulFn mul3;
};

// The plain version every other one must match bit for bit.
extern const CplxMulKernels kScalarKernels;
extern const CplxMulKernels kSse2Kernels;
extern const CplxMulKernels kAvx2Kernels;

bool CpuHasAvx2();
// The kernels BRM_CONVO_CplxMul2/3 use on this processor.
const CplxMulKernels& ActiveKernels();

}  // namespace brm_convo
