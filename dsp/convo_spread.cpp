#include "dsp/convo_spread.h"

#include <emmintrin.h>

#include <cfloat>
#include <cmath>

#include "dsp/denormal_filter.h"

namespace brm_convo {
namespace {

// The filter keeps x exactly when 2^-54 <= |x| <= DBL_MAX; the ordered compares also drop NaN,
// and masking yields +0.0, as the scalar filter returns.
inline __m128d Filter(__m128d x, __m128d absMask, __m128d smallest, __m128d largest) {
  const __m128d magnitude = _mm_and_pd(x, absMask);
  const __m128d keep = _mm_and_pd(_mm_cmpge_pd(magnitude, smallest), _mm_cmple_pd(magnitude, largest));
  return _mm_and_pd(x, keep);
}

}  // namespace

bool SpreadToComplexReference(BRM_FFT_COMPLEX* dest, const double* re, const double* im, int n, double silence) {
  bool audible = false;
  for (int i = 0; i < n; ++i) {
    const double r = denormal_filter_aggressive(re[i]);
    const double m = im ? denormal_filter_aggressive(im[i]) : 0.0;
    dest[i] = {r, m};
    audible = audible || std::fabs(r) > silence || std::fabs(m) > silence;
  }
  return audible;
}

bool SpreadToComplex(BRM_FFT_COMPLEX* dest, const double* re, const double* im, int n, double silence) {
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
  const __m128d smallest = _mm_set1_pd(0x1p-54);
  const __m128d largest = _mm_set1_pd(DBL_MAX);
  const __m128d threshold = _mm_set1_pd(silence);
  __m128d loud = _mm_setzero_pd();
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    const __m128d r = Filter(_mm_loadu_pd(re + i), absMask, smallest, largest);
    const __m128d m = im ? Filter(_mm_loadu_pd(im + i), absMask, smallest, largest) : _mm_setzero_pd();
    loud = _mm_or_pd(loud, _mm_cmpgt_pd(_mm_and_pd(r, absMask), threshold));
    loud = _mm_or_pd(loud, _mm_cmpgt_pd(_mm_and_pd(m, absMask), threshold));
    _mm_storeu_pd(&dest[i].re, _mm_unpacklo_pd(r, m));
    _mm_storeu_pd(&dest[i + 1].re, _mm_unpackhi_pd(r, m));
  }
  const bool tail = i < n && SpreadToComplexReference(dest + i, re + i, im ? im + i : nullptr, n - i, silence);
  return _mm_movemask_pd(loud) != 0 || tail;
}

}  // namespace brm_convo
