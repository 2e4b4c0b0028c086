// Only reached after the processor has been checked.
#include <immintrin.h>

#include <algorithm>

#include "base/avx2_region.h"
#include "dsp/convo_cplxmul.h"

KORV_AVX2_BEGIN
#include "dsp/convo_cplxmul_sum.h"

namespace brm_convo {
namespace {

// Two complex values per register. addsub gives (ar*br - ai*bi, ai*br + ar*bi), which are the
// scalar's own products and sums (the second sum in swapped but exact-commutative order).
inline __m256d Product(const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b) {
  const __m256d av = _mm256_loadu_pd(&a->re);
  const __m256d bv = _mm256_cvtps_pd(_mm_loadu_ps(&b->re));
  const __m256d br = _mm256_movedup_pd(bv);
  const __m256d bi = _mm256_permute_pd(bv, 0xF);
  const __m256d aswap = _mm256_permute_pd(av, 0x5);
  return _mm256_addsub_pd(_mm256_mul_pd(av, br), _mm256_mul_pd(aswap, bi));
}

void Mul2Avx2(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  if (n < 2 || (n & 1)) return;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d p0 = Product(a + i, b + i);
    const __m256d p1 = Product(a + i + 2, b + i + 2);
    _mm256_storeu_pd(&dest[i].re, p0);
    _mm256_storeu_pd(&dest[i + 2].re, p1);
  }
  if (i < n) _mm256_storeu_pd(&dest[i].re, Product(a + i, b + i));
}

void Mul3Avx2(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b, int n) {
  if (n < 2 || (n & 1)) return;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d p0 = Product(a + i, b + i);
    const __m256d p1 = Product(a + i + 2, b + i + 2);
    _mm256_storeu_pd(&dest[i].re, _mm256_add_pd(_mm256_loadu_pd(&dest[i].re), p0));
    _mm256_storeu_pd(&dest[i + 2].re, _mm256_add_pd(_mm256_loadu_pd(&dest[i + 2].re), p1));
  }
  if (i < n) _mm256_storeu_pd(&dest[i].re, _mm256_add_pd(_mm256_loadu_pd(&dest[i].re), Product(a + i, b + i)));
}

struct Avx2Ops {
  static constexpr int kValues = 2;
  static __m256d Product(const BRM_FFT_COMPLEX* a, const BRM_CONVO_IMPULSEBUFCPLXf* b) { return brm_convo::Product(a, b); }
  static __m256d Load(const BRM_FFT_COMPLEX* p) { return _mm256_loadu_pd(&p->re); }
  static void Store(BRM_FFT_COMPLEX* p, __m256d v) { _mm256_storeu_pd(&p->re, v); }
  static __m256d Add(__m256d x, __m256d y) { return _mm256_add_pd(x, y); }
};

}  // namespace

const CplxMulKernels kAvx2Kernels = {"avx2", Mul2Avx2, Mul3Avx2, MulSum<Avx2Ops>};

}  // namespace brm_convo
KORV_AVX2_END
