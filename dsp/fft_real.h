#pragma once
// The real transform, built on whichever complex transform and combine step the caller supplies
// so that the reference and the fast paths share the pre- and post-processing.
#include "dsp/fft.h"
#include "dsp/fft_tables.h"

namespace brm_fft {

using ComplexTransform = void (*)(BRM_FFT_COMPLEX *buf, int len, int inverse);
// Steps first..end-1 of the len/4 + 1 of the real transform's own step (see CombineHalves).
using RealStep = void (*)(double *buf, int len, int inverse, int first, int end);

// The reference's step between the half-length complex transform and the real spectrum.
void RealCombine(double *buf, int len, int inverse, int first, int end);

void RealTransform(double *buf, int len, int inverse, ComplexTransform complex, RealStep combine);

// Splits the half-length complex spectrum into the real spectrum (forward) or joins it back
// (inverse) for a supported len >= 4, doing nothing otherwise. Bins k and H-k are handled
// together by pair(p, q, f, s) with f = -cos (forward) or cos (inverse) and s = sin of the
// angle 2pi k/len, so every code path walks the bins and picks the twiddles the same way. The
// work is len/4 + 1 independent steps (step 0 the shared element of bins 0 and H, step len/4 the
// middle bin, the others one pair each, in the order of RealPairPositionsFor); this does steps
// first..end-1, so that it can be done a piece at a time.
// Steps 0 and len/4, where first..end-1 includes them.
void CombineEnds(double *buf, int len, int inverse, int first, int end);

template <typename Pair>
inline void CombineHalves(double *buf, int len, int inverse, int first, int end, Pair pair) {
  if (!IsSupportedLength(len) || len < 4) return;
  CombineEnds(buf, len, inverse, first, end);
  // The buffer is only ever accessed as pairs of doubles, which is exactly this struct's layout.
  auto *z = reinterpret_cast<BRM_FFT_COMPLEX *>(buf);
  const int last = end < len / 4 ? end : len / 4;
  const RealPairPositions *positions = len >= 8 ? RealPairPositionsFor(len) : nullptr;
  const BRM_FFT_COMPLEX *twiddles = len >= 8 ? RealPairTwiddlesFor(len) : nullptr;
  for (int i = first > 1 ? first : 1; i < last; ++i) {
    const RealPairPositions &at = positions[i - 1];
    const BRM_FFT_COMPLEX &w = twiddles[i - 1];
    pair(z + at.p, z + at.q, inverse ? w.re : -w.re, w.im);
  }
}

}  // namespace brm_fft
