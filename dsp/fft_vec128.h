#pragma once
// One complex value per 128-bit register. Every operation mirrors the scalar reference term for
// term (a - b is computed as a + (-b) only where IEEE makes the two identical), so results match
// it bit for bit. Everything here has internal linkage so each code path compiles its own copy.
#include <immintrin.h>

#include "dsp/fft_tables.h"

namespace brm_fft::vec128 {
namespace {

using C = BRM_FFT_COMPLEX;

inline __m128d Load(const C *p) { return _mm_loadu_pd(&p->re); }
inline void Store(C *p, __m128d v) { _mm_storeu_pd(&p->re, v); }
inline __m128d Swap(__m128d v) { return _mm_shuffle_pd(v, v, 1); }
inline __m128d NegLo() { return _mm_set_pd(0.0, -0.0); }
inline __m128d NegHi() { return _mm_set_pd(-0.0, 0.0); }

// i * v = (-v.im, v.re)
inline __m128d TimesI(__m128d v) { return _mm_xor_pd(Swap(v), NegLo()); }

// Twiddle w = (c, s) split for the two rotations.
struct Twiddle {
  __m128d cc;       // (c, c)
  __m128d s_neg_lo;  // (-s, s): multiplies by w
  __m128d s_neg_hi;  // (s, -s): multiplies by conj(w)
};

inline Twiddle MakeTwiddle(C w) {
  const __m128d s = _mm_set1_pd(w.im);
  return {_mm_set1_pd(w.re), _mm_xor_pd(s, NegLo()), _mm_xor_pd(s, NegHi())};
}

// v * w = (vr c - vi s, vi c + vr s)
inline __m128d Rotate(__m128d v, const Twiddle &w) { return _mm_add_pd(_mm_mul_pd(v, w.cc), _mm_mul_pd(Swap(v), w.s_neg_lo)); }
// v * conj(w) = (vr c + vi s, vi c - vr s)
inline __m128d RotateConj(__m128d v, const Twiddle &w) { return _mm_add_pd(_mm_mul_pd(v, w.cc), _mm_mul_pd(Swap(v), w.s_neg_hi)); }

template <bool kRotate>
inline void ForwardButterfly(C *a0, C *a1, C *a2, C *a3, const Twiddle &w) {
  const __m128d x0 = Load(a0), x1 = Load(a1), x2 = Load(a2), x3 = Load(a3);
  const __m128d t = _mm_sub_pd(x0, x2), iu = TimesI(_mm_sub_pd(x1, x3));
  Store(a0, _mm_add_pd(x0, x2));
  Store(a1, _mm_add_pd(x1, x3));
  const __m128d p = _mm_add_pd(t, iu), q = _mm_sub_pd(t, iu);
  if constexpr (kRotate) {
    Store(a2, Rotate(p, w));
    Store(a3, RotateConj(q, w));
  } else {
    Store(a2, p);
    Store(a3, q);
  }
}

template <bool kRotate>
inline void InverseButterfly(C *a0, C *a1, C *a2, C *a3, const Twiddle &w) {
  __m128d x2 = Load(a2), x3 = Load(a3);
  if constexpr (kRotate) {
    x2 = RotateConj(x2, w);
    x3 = Rotate(x3, w);
  }
  const __m128d x0 = Load(a0), x1 = Load(a1);
  const __m128d s = _mm_add_pd(x2, x3), id = TimesI(_mm_sub_pd(x2, x3));
  Store(a2, _mm_sub_pd(x0, s));
  Store(a0, _mm_add_pd(x0, s));
  Store(a3, _mm_add_pd(x1, id));
  Store(a1, _mm_sub_pd(x1, id));
}

inline void ForwardPlain(C *a, int q) { ForwardButterfly<false>(a, a + q, a + 2 * q, a + 3 * q, Twiddle{}); }
inline void InversePlain(C *a, int q) { InverseButterfly<false>(a, a + q, a + 2 * q, a + 3 * q, Twiddle{}); }

inline void c2(C *a) {
  const __m128d x0 = Load(a), x1 = Load(a + 1);
  Store(a, _mm_add_pd(x0, x1));
  Store(a + 1, _mm_sub_pd(x0, x1));
}

inline void c4(C *a) {
  ForwardPlain(a, 1);
  c2(a);
}

inline void u4(C *a) {
  c2(a);
  InversePlain(a, 1);
}

inline Twiddle SqrtHalfTwiddle() { return MakeTwiddle({SqrtHalf(), SqrtHalf()}); }

inline void c8(C *a) {
  ForwardPlain(a, 2);
  ForwardButterfly<true>(a + 1, a + 3, a + 5, a + 7, SqrtHalfTwiddle());
  c4(a);
  c2(a + 4);
  c2(a + 6);
}

inline void u8(C *a) {
  u4(a);
  c2(a + 4);
  c2(a + 6);
  InversePlain(a, 2);
  InverseButterfly<true>(a + 1, a + 3, a + 5, a + 7, SqrtHalfTwiddle());
}

inline void c16(C *a) {
  ForwardPlain(a, 4);
  for (int k = 1; k < 4; ++k) ForwardButterfly<true>(a + k, a + k + 4, a + k + 8, a + k + 12, MakeTwiddle(d16[k - 1]));
  c8(a);
  c4(a + 8);
  c4(a + 12);
}

inline void u16(C *a) {
  u8(a);
  u4(a + 8);
  u4(a + 12);
  InversePlain(a, 4);
  for (int k = 1; k < 4; ++k) InverseButterfly<true>(a + k, a + k + 4, a + k + 8, a + k + 12, MakeTwiddle(d16[k - 1]));
}

// Point-wise a * b for one complex value: (ar br - ai bi, ai br + ar bi).
inline __m128d Product(__m128d a, __m128d b) {
  const __m128d br = _mm_unpacklo_pd(b, b), bi = _mm_unpackhi_pd(b, b);
  return _mm_add_pd(_mm_mul_pd(a, br), _mm_xor_pd(_mm_mul_pd(Swap(a), bi), NegLo()));
}

// The real transform's step for the bins at p and q (see CombineHalves), with x = p + q and
// y = p - q: u = f x.im + s y.re and v = s x.im - f y.re, adding -(f y.re) for the subtraction.
inline void RealPair(C *p, C *q, double f, double s) {
  const __m128d vp = Load(p), vq = Load(q);
  const __m128d x = _mm_add_pd(vp, vq), y = _mm_sub_pd(vp, vq);
  const __m128d uv = _mm_add_pd(_mm_mul_pd(_mm_unpackhi_pd(x, x), _mm_set_pd(s, f)),
                                _mm_mul_pd(_mm_unpacklo_pd(y, y), _mm_set_pd(-f, s)));
  const __m128d base = _mm_move_sd(y, x);  // (x.re, y.im)
  Store(p, _mm_sub_pd(base, uv));
  Store(q, _mm_xor_pd(_mm_add_pd(base, uv), NegHi()));
}

}  // namespace
}  // namespace brm_fft::vec128
