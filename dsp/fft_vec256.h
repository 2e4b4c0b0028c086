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

// Twiddles k and k+1 as loaded from the split table: cc = (c_k, c_k, c_k+1, c_k+1), ss likewise.
struct Twiddle {
  __m256d cc;
  __m256d ss;
};

inline Twiddle LoadTwiddle(const double *split, int k) {
  return {_mm256_load_pd(split + 4 * k), _mm256_load_pd(split + 4 * k + 4)};
}

// v * w = (vr c - vi s, vi c + vr s)
inline __m256d Rotate(__m256d v, const Twiddle &w) {
  return _mm256_addsub_pd(_mm256_mul_pd(v, w.cc), _mm256_mul_pd(Swap(v), w.ss));
}
// v * conj(w) = (vr c + vi s, vi c - vr s); vr * -s is exactly -(vr s), and adding it is
// subtracting vr s.
inline __m256d RotateConj(__m256d v, const Twiddle &w) {
  return _mm256_add_pd(_mm256_mul_pd(v, w.cc), _mm256_mul_pd(Swap(v), _mm256_xor_pd(w.ss, NegIm())));
}

// Lane k = 0 takes no rotation: its rotated value is replaced by the plain one.
inline __m256d KeepLowPlain(__m256d rotated, __m256d plain) { return _mm256_blend_pd(rotated, plain, 0x3); }

template <bool kFirst, int Q>
inline void ForwardButterflies(C *a, int k, const Twiddle &w) {
  const __m256d x0 = Load(a + k), x1 = Load(a + k + Q), x2 = Load(a + k + 2 * Q), x3 = Load(a + k + 3 * Q);
  const __m256d t = _mm256_sub_pd(x0, x2), iu = TimesI(_mm256_sub_pd(x1, x3));
  Store(a + k, _mm256_add_pd(x0, x2));
  Store(a + k + Q, _mm256_add_pd(x1, x3));
  const __m256d p = _mm256_add_pd(t, iu), r = _mm256_sub_pd(t, iu);
  __m256d p_rot = Rotate(p, w), r_rot = RotateConj(r, w);
  if constexpr (kFirst) {
    p_rot = KeepLowPlain(p_rot, p);
    r_rot = KeepLowPlain(r_rot, r);
  }
  Store(a + k + 2 * Q, p_rot);
  Store(a + k + 3 * Q, r_rot);
}

template <bool kFirst, int Q>
inline void InverseButterflies(C *a, int k, const Twiddle &w) {
  const __m256d y2 = Load(a + k + 2 * Q), y3 = Load(a + k + 3 * Q);
  __m256d x2 = RotateConj(y2, w), x3 = Rotate(y3, w);
  if constexpr (kFirst) {
    x2 = KeepLowPlain(x2, y2);
    x3 = KeepLowPlain(x3, y3);
  }
  const __m256d x0 = Load(a + k), x1 = Load(a + k + Q);
  const __m256d s = _mm256_add_pd(x2, x3), id = TimesI(_mm256_sub_pd(x2, x3));
  Store(a + k + 2 * Q, _mm256_sub_pd(x0, s));
  Store(a + k, _mm256_add_pd(x0, s));
  Store(a + k + 3 * Q, _mm256_add_pd(x1, id));
  Store(a + k + Q, _mm256_sub_pd(x1, id));
}

// The split-radix pass of length N = 4Q >= 32 over pairs of k.
template <int N>
inline void ForwardPass(C *a) {
  constexpr int Q = N / 4;
  const double *split = SplitTwiddlesFor(N);
  ForwardButterflies<true, Q>(a, 0, LoadTwiddle(split, 0));
  for (int k = 2; k < Q; k += 2) ForwardButterflies<false, Q>(a, k, LoadTwiddle(split, k));
}

template <int N>
inline void InversePass(C *a) {
  constexpr int Q = N / 4;
  const double *split = SplitTwiddlesFor(N);
  InverseButterflies<true, Q>(a, 0, LoadTwiddle(split, 0));
  for (int k = 2; k < Q; k += 2) InverseButterflies<false, Q>(a, k, LoadTwiddle(split, k));
}

// Two point-wise products at once.
inline __m256d Product(__m256d a, __m256d b) {
  const __m256d br = _mm256_movedup_pd(b), bi = _mm256_permute_pd(b, 0xF);
  return _mm256_add_pd(_mm256_mul_pd(a, br), _mm256_xor_pd(_mm256_mul_pd(Swap(a), bi), NegRe()));
}

}  // namespace
}  // namespace brm_fft::vec256
