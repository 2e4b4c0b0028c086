#pragma once
// Two complex values (k, k+1) per 256-bit register; the same operations as vec128 lane by lane.
// Only for translation units compiled for AVX2.
#include <immintrin.h>

#include "dsp/fft_tables.h"

namespace brm_fft::vec256 {
namespace {

using C = BRM_FFT_COMPLEX;

inline __m256d Load(const C *p) { return _mm256_loadu_pd(&p->re); }
inline void Store(C *p, __m256d v) { _mm256_storeu_pd(&p->re, v); }
inline __m256d Swap(__m256d v) { return _mm256_permute_pd(v, 0x5); }
inline __m256d NegRe() { return _mm256_set_pd(0.0, -0.0, 0.0, -0.0); }
inline __m256d NegIm() { return _mm256_set_pd(-0.0, 0.0, -0.0, 0.0); }
inline __m256d TimesI(__m256d v) { return _mm256_xor_pd(Swap(v), NegRe()); }

struct Twiddle {
  __m256d cc;
  __m256d s_neg_re;
  __m256d s_neg_im;
};

// From two consecutive (c, s) pairs in one register.
inline Twiddle MakeTwiddle(__m256d w) {
  const __m256d s = _mm256_permute_pd(w, 0xF);
  return {_mm256_movedup_pd(w), _mm256_xor_pd(s, NegRe()), _mm256_xor_pd(s, NegIm())};
}

inline __m256d Rotate(__m256d v, const Twiddle &w) {
  return _mm256_add_pd(_mm256_mul_pd(v, w.cc), _mm256_mul_pd(Swap(v), w.s_neg_re));
}
inline __m256d RotateConj(__m256d v, const Twiddle &w) {
  return _mm256_add_pd(_mm256_mul_pd(v, w.cc), _mm256_mul_pd(Swap(v), w.s_neg_im));
}

// Twiddles k and k+1 of the pass with quarter length q and table d, k even and >= 2.
inline __m256d TwiddlePair(const C *d, int q, bool eighth_table, int k) {
  if (!eighth_table || k + 1 < q / 2) return Load(d + k - 1);
  if (k == q / 2) {
    const C &w = d[q / 2 - 2];
    return _mm256_set_pd(w.re, w.im, SqrtHalf(), SqrtHalf());
  }
  // Entries q-k-2 and q-k-1, walked downwards with their parts exchanged: reverse all four.
  return _mm256_permute4x64_pd(Load(d + q - k - 2), 0x1B);
}

// Lane k = 0 takes no rotation: its rotated value is replaced by the plain one.
inline __m256d KeepLowPlain(__m256d rotated, __m256d plain) { return _mm256_blend_pd(rotated, plain, 0x3); }

template <bool kFirst>
inline void ForwardButterflies(C *a, int k, int q, const Twiddle &w) {
  const __m256d x0 = Load(a + k), x1 = Load(a + k + q), x2 = Load(a + k + 2 * q), x3 = Load(a + k + 3 * q);
  const __m256d t = _mm256_sub_pd(x0, x2), iu = TimesI(_mm256_sub_pd(x1, x3));
  Store(a + k, _mm256_add_pd(x0, x2));
  Store(a + k + q, _mm256_add_pd(x1, x3));
  const __m256d p = _mm256_add_pd(t, iu), r = _mm256_sub_pd(t, iu);
  __m256d p_rot = Rotate(p, w), r_rot = RotateConj(r, w);
  if constexpr (kFirst) {
    p_rot = KeepLowPlain(p_rot, p);
    r_rot = KeepLowPlain(r_rot, r);
  }
  Store(a + k + 2 * q, p_rot);
  Store(a + k + 3 * q, r_rot);
}

template <bool kFirst>
inline void InverseButterflies(C *a, int k, int q, const Twiddle &w) {
  const __m256d y2 = Load(a + k + 2 * q), y3 = Load(a + k + 3 * q);
  __m256d x2 = RotateConj(y2, w), x3 = Rotate(y3, w);
  if constexpr (kFirst) {
    x2 = KeepLowPlain(x2, y2);
    x3 = KeepLowPlain(x3, y3);
  }
  const __m256d x0 = Load(a + k), x1 = Load(a + k + q);
  const __m256d s = _mm256_add_pd(x2, x3), id = TimesI(_mm256_sub_pd(x2, x3));
  Store(a + k + 2 * q, _mm256_sub_pd(x0, s));
  Store(a + k, _mm256_add_pd(x0, s));
  Store(a + k + 3 * q, _mm256_add_pd(x1, id));
  Store(a + k + q, _mm256_sub_pd(x1, id));
}

// The first pair: a dummy twiddle for k = 0 (discarded by the blend) and entry 0 for k = 1.
inline Twiddle FirstTwiddle(const C *d) { return MakeTwiddle(_mm256_set_pd(d[0].im, d[0].re, 0.0, 1.0)); }

// The split-radix pass of length n = 4q >= 32 over pairs of k.
inline void ForwardPass(C *a, int q, const C *d, bool eighth_table) {
  ForwardButterflies<true>(a, 0, q, FirstTwiddle(d));
  for (int k = 2; k < q; k += 2) ForwardButterflies<false>(a, k, q, MakeTwiddle(TwiddlePair(d, q, eighth_table, k)));
}

inline void InversePass(C *a, int q, const C *d, bool eighth_table) {
  InverseButterflies<true>(a, 0, q, FirstTwiddle(d));
  for (int k = 2; k < q; k += 2) InverseButterflies<false>(a, k, q, MakeTwiddle(TwiddlePair(d, q, eighth_table, k)));
}

// Two point-wise products at once.
inline __m256d Product(__m256d a, __m256d b) {
  const __m256d br = _mm256_movedup_pd(b), bi = _mm256_permute_pd(b, 0xF);
  return _mm256_add_pd(_mm256_mul_pd(a, br), _mm256_xor_pd(_mm256_mul_pd(Swap(a), bi), NegRe()));
}

}  // namespace
}  // namespace brm_fft::vec256
