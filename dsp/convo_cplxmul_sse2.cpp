#include <emmintrin.h>

#include "dsp/convo_cplxmul.h"
#include "dsp/convo_cplxmul_sum.h"

namespace brm_convo {
namespace {

// One complex value per register: (ar*br, ai*br) and (ai*bi, ar*bi) are the scalar products;
// flipping the sign of the first lane of the second turns the add into the scalar's subtract.
inline __m128d Product(const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, __m128d negateLow) {
  const __m128d av = _mm_loadu_pd(&a->re);
  const __m128d aswap = _mm_shuffle_pd(av, av, 1);
  const __m128d br = _mm_set1_pd(static_cast<double>(b->re));
  const __m128d bi = _mm_set1_pd(static_cast<double>(b->im));
  return _mm_add_pd(_mm_mul_pd(av, br), _mm_xor_pd(_mm_mul_pd(aswap, bi), negateLow));
}

void Mul2Sse2(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  if (n < 2 || (n & 1)) return;
  const __m128d negateLow = _mm_set_pd(0.0, -0.0);
  for (int i = 0; i < n; i += 2) {
    const __m128d p0 = Product(a + i, b + i, negateLow);
    const __m128d p1 = Product(a + i + 1, b + i + 1, negateLow);
    _mm_storeu_pd(&dest[i].re, p0);
    _mm_storeu_pd(&dest[i + 1].re, p1);
  }
}

void Mul3Sse2(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  if (n < 2 || (n & 1)) return;
  const __m128d negateLow = _mm_set_pd(0.0, -0.0);
  for (int i = 0; i < n; i += 2) {
    const __m128d p0 = Product(a + i, b + i, negateLow);
    const __m128d p1 = Product(a + i + 1, b + i + 1, negateLow);
    _mm_storeu_pd(&dest[i].re, _mm_add_pd(_mm_loadu_pd(&dest[i].re), p0));
    _mm_storeu_pd(&dest[i + 1].re, _mm_add_pd(_mm_loadu_pd(&dest[i + 1].re), p1));
  }
}

struct Sse2Ops {
  static constexpr int kValues = 1;
  static __m128d Product(const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b) {
    return brm_convo::Product(a, b, _mm_set_pd(0.0, -0.0));
  }
  static __m128d Load(const BRM_FFT_COMPLEX* p) { return _mm_loadu_pd(&p->re); }
  static void Store(BRM_FFT_COMPLEX* p, __m128d v) { _mm_storeu_pd(&p->re, v); }
  static __m128d Add(__m128d x, __m128d y) { return _mm_add_pd(x, y); }
};

}  // namespace

const CplxMulKernels kSse2Kernels = {"sse2", Mul2Sse2, Mul3Sse2, MulSum<Sse2Ops>};

}  // namespace brm_convo
