// Only reached after the processor has been checked.
#include <immintrin.h>

#include "base/avx2_region.h"
#include "dsp/convo_direct.h"

KORV_AVX2_BEGIN

namespace brm_convo {

void DirectConvolveAvx2(const float* taps, int count, const double* history, double* out, int len) {
  const int steps = count / 4 * 4;
  int j = 0;
  // Lane l holds output j + l; history[j + k .. j + k + 3] is exactly what each lane needs for tap k.
  for (; j + 4 <= len; j += 4) {
    const double* x = history + j;
    __m256d sum = _mm256_setzero_pd();
    int k = 0;
    for (; k < steps; k += 4) {
      const __m256d p0 = _mm256_mul_pd(_mm256_set1_pd(taps[k]), _mm256_loadu_pd(x + k));
      const __m256d p1 = _mm256_mul_pd(_mm256_set1_pd(taps[k + 1]), _mm256_loadu_pd(x + k + 1));
      const __m256d p2 = _mm256_mul_pd(_mm256_set1_pd(taps[k + 2]), _mm256_loadu_pd(x + k + 2));
      const __m256d p3 = _mm256_mul_pd(_mm256_set1_pd(taps[k + 3]), _mm256_loadu_pd(x + k + 3));
      sum = _mm256_add_pd(sum, _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(p0, p1), p2), p3));
    }
    for (; k < count; ++k) sum = _mm256_add_pd(sum, _mm256_mul_pd(_mm256_set1_pd(taps[k]), _mm256_loadu_pd(x + k)));
    _mm256_storeu_pd(out + j, sum);
  }
  if (j < len) DirectConvolveScalar(taps, count, history + j, out + j, len - j);
}

}  // namespace brm_convo
KORV_AVX2_END
