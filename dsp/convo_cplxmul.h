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
// dest[i] = a[0][i] * b[0][i] + a[1][i] * b[1][i] + ... over terms products, added in that order,
// for begin <= i < end: the bits of CplxMul2 with term 0 followed by CplxMul3 with each further
// term, but in one pass over dest. Nothing happens unless terms >= 1, end - begin >= 2 and even.
void BRM_CONVO_CplxMulSum(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b,
                          int terms, int begin, int end);

namespace brm_convo {

using CplxMulFn = void (*)(BRM_FFT_COMPLEX*, const BRM_FFT_COMPLEX*, const BRM_CONVO_IMPULSEBUFCPLXf*, int);
using CplxMulSumFn = void (*)(BRM_FFT_COMPLEX*, const BRM_FFT_COMPLEX* const*, const BRM_CONVO_IMPULSEBUFCPLXf* const*, int,
                              int, int);

struct CplxMulKernels {
  const char* name;
  CplxMulFn mul2;
  CplxMulFn mul3;
  CplxMulSumFn mulsum;
};

// The plain version every other one must match bit for bit.
extern const CplxMulKernels kScalarKernels;
extern const CplxMulKernels kSse2Kernels;
extern const CplxMulKernels kAvx2Kernels;

bool CpuHasAvx2();
// The kernels BRM_CONVO_CplxMul2/3/Sum use on this processor.
const CplxMulKernels& ActiveKernels();

}  // namespace brm_convo
