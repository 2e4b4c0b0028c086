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

// Twiddles k and k+1 (k even) as the passes use them: cc = (c_k, c_k, c_k+1, c_k+1), ss likewise,
// spread from the table's (c_k, s_k, c_k+1, s_k+1).
struct Twiddle {
  __m256d cc;
  __m256d ss;
};

inline Twiddle LoadTwiddle(const double *split, int k) {
  const __m256d w = _mm256_load_pd(split + 2 * k);
  return {_mm256_movedup_pd(w), _mm256_permute_pd(w, 0xF)};
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

// Forward butterflies k, k+1 on x0..x3 = a[k], a[k+Q], a[k+2Q], a[k+3Q] held in registers.
template <bool kFirst>
[[gnu::always_inline]] inline void ForwardButterflies(__m256d &x0, __m256d &x1, __m256d &x2, __m256d &x3, const Twiddle &w) {
  const __m256d t = _mm256_sub_pd(x0, x2), iu = TimesI(_mm256_sub_pd(x1, x3));
  x0 = _mm256_add_pd(x0, x2);
  x1 = _mm256_add_pd(x1, x3);
  const __m256d p = _mm256_add_pd(t, iu), r = _mm256_sub_pd(t, iu);
  x2 = Rotate(p, w);
  x3 = RotateConj(r, w);
  if constexpr (kFirst) {
    x2 = KeepLowPlain(x2, p);
    x3 = KeepLowPlain(x3, r);
  }
}

template <bool kFirst>
[[gnu::always_inline]] inline void InverseButterflies(__m256d &x0, __m256d &x1, __m256d &y2, __m256d &y3, const Twiddle &w) {
  __m256d x2 = RotateConj(y2, w), x3 = Rotate(y3, w);
  if constexpr (kFirst) {
    x2 = KeepLowPlain(x2, y2);
    x3 = KeepLowPlain(x3, y3);
  }
  const __m256d s = _mm256_add_pd(x2, x3), id = TimesI(_mm256_sub_pd(x2, x3));
  y2 = _mm256_sub_pd(x0, s);
  x0 = _mm256_add_pd(x0, s);
  y3 = _mm256_add_pd(x1, id);
  x1 = _mm256_sub_pd(x1, id);
}

// Loads registers v[0..n) from a + offset(i), lets `work` change them and stores them back.
template <int kCount, typename Offset, typename Work>
[[gnu::always_inline]] inline void InRegisters(C *a, Offset offset, Work work) {
  __m256d v[kCount];
  for (int i = 0; i < kCount; ++i) v[i] = Load(a + offset(i));
  work(v);
  for (int i = 0; i < kCount; ++i) Store(a + offset(i), v[i]);
}

template <bool kFirst, int Q>
inline void ForwardButterfliesAt(C *a, int k, const Twiddle &w) {
  InRegisters<4>(a, [k](int i) { return k + i * Q; }, [&w](__m256d *v) { ForwardButterflies<kFirst>(v[0], v[1], v[2], v[3], w); });
}

template <bool kFirst, int Q>
inline void InverseButterfliesAt(C *a, int k, const Twiddle &w) {
  InRegisters<4>(a, [k](int i) { return k + i * Q; }, [&w](__m256d *v) { InverseButterflies<kFirst>(v[0], v[1], v[2], v[3], w); });
}

// Twiddles k, k+1 from an eighth-circle table d of a pass of quarter length q (see EighthTwiddle),
// the same values the split block holds, from half its bytes: upwards while both lie below the
// eighth, and downwards, parts exchanged, once both lie above it.
inline Twiddle EighthTwiddlesUp(const C *d, int k) {
  const __m256d w = _mm256_loadu_pd(&d[k - 1].re);
  return {_mm256_movedup_pd(w), _mm256_permute_pd(w, 0xF)};
}
inline Twiddle EighthTwiddlesDown(const C *d, int q, int k) {
  const __m256d w = _mm256_loadu_pd(&d[q - k - 2].re);
  const __m256d r = _mm256_permute2f128_pd(w, w, 1);
  return {_mm256_permute_pd(r, 0xF), _mm256_movedup_pd(r)};
}
// Twiddle 0 (never applied) with twiddle 1, and the eighth (sqrt(1/2) twice) with the one after it.
inline Twiddle EighthTwiddlesFirst(const C *d) {
  const __m256d w = _mm256_set_pd(d[0].im, d[0].re, 0.0, 1.0);
  return {_mm256_movedup_pd(w), _mm256_permute_pd(w, 0xF)};
}
inline Twiddle EighthTwiddlesMiddle(const C *d, int q) {
  const C &next = d[q / 2 - 2];
  const __m256d w = _mm256_set_pd(next.re, next.im, SqrtHalf(), SqrtHalf());
  return {_mm256_movedup_pd(w), _mm256_permute_pd(w, 0xF)};
}

// Calls step.template operator()<kFirst>(k, twiddles k and k+1) for k = 0, 2, ..., N/4 - 2, with
// kFirst only for k = 0. Passes from 1024 up have eighth-circle tables and read those.
template <int N, typename Step>
[[gnu::always_inline]] inline void ForEachTwiddlePair(Step step) {
  constexpr int Q = N / 4;
  if constexpr (N >= 1024) {
    const C *d = TwiddlesFor(N);
    step.template operator()<true>(0, EighthTwiddlesFirst(d));
    for (int k = 2; k < Q / 2; k += 2) step.template operator()<false>(k, EighthTwiddlesUp(d, k));
    step.template operator()<false>(Q / 2, EighthTwiddlesMiddle(d, Q));
    for (int k = Q / 2 + 2; k < Q; k += 2) step.template operator()<false>(k, EighthTwiddlesDown(d, Q, k));
  } else {
    const double *split = SplitTwiddlesFor(N);
    step.template operator()<true>(0, LoadTwiddle(split, 0));
    for (int k = 2; k < Q; k += 2) step.template operator()<false>(k, LoadTwiddle(split, k));
  }
}

// The split-radix pass of length N = 4Q >= 32 over pairs of k.
template <int N>
inline void ForwardPass(C *a) {
  ForEachTwiddlePair<N>([a]<bool kFirst>(int k, const Twiddle &w) { ForwardButterfliesAt<kFirst, N / 4>(a, k, w); });
}

template <int N>
inline void InversePass(C *a) {
  ForEachTwiddlePair<N>([a]<bool kFirst>(int k, const Twiddle &w) { InverseButterfliesAt<kFirst, N / 4>(a, k, w); });
}

// The pass of length N = 16E and the first passes of the three transforms it leaves (lengths
// N/2, N/4, N/4), in one sweep with the same arithmetic. For a pair j, j+1 (j < E), butterflies
// j + mE (m = 0..3) of the long pass feed butterflies j and j+E of the half-length pass and
// butterfly j of both quarter-length passes. Value i of butterfly m is a[j + mE + iQ], Q = 4E;
// the order below keeps at most twelve of the sixteen in registers at once.
template <int N>
struct TwoPasses {
  static constexpr int E = N / 16;
  static constexpr int Q = N / 4;
  static_assert(E >= 8, "the quarter-length passes must be vector passes");

  C *a;
  int j;
  const double *long_tw = SplitTwiddlesFor(N), *half_tw = SplitTwiddlesFor(N / 2), *quarter_tw = SplitTwiddlesFor(N / 4);

  C *At(int m, int i) const { return a + j + m * E + i * Q; }

  template <bool kFirst>
  [[gnu::always_inline]] void Forward() const {
    __m256d v[4][4];
    auto long_pass = [&](int m) {
      for (int i = 0; i < 4; ++i) v[m][i] = Load(At(m, i));
      if (m == 0) {
        ForwardButterflies<kFirst>(v[m][0], v[m][1], v[m][2], v[m][3], LoadTwiddle(long_tw, j));
      } else {
        ForwardButterflies<false>(v[m][0], v[m][1], v[m][2], v[m][3], LoadTwiddle(long_tw, j + m * E));
      }
    };
    // Half-length butterfly over the sums of long butterflies m and m + 2.
    auto half_pass = [&](int m) {
      if (m == 0) {
        ForwardButterflies<kFirst>(v[0][0], v[2][0], v[0][1], v[2][1], LoadTwiddle(half_tw, j));
      } else {
        ForwardButterflies<false>(v[1][0], v[3][0], v[1][1], v[3][1], LoadTwiddle(half_tw, j + E));
      }
      for (int i = 0; i < 2; ++i) {
        Store(At(m, i), v[m][i]);
        Store(At(m + 2, i), v[m + 2][i]);
      }
    };
    long_pass(0);
    long_pass(2);
    half_pass(0);
    long_pass(1);
    long_pass(3);
    half_pass(1);
    const Twiddle quarter = LoadTwiddle(quarter_tw, j);
    for (int i = 2; i < 4; ++i) {
      ForwardButterflies<kFirst>(v[0][i], v[1][i], v[2][i], v[3][i], quarter);
      for (int m = 0; m < 4; ++m) Store(At(m, i), v[m][i]);
    }
  }

  template <bool kFirst>
  [[gnu::always_inline]] void Inverse() const {
    __m256d v[4][4];
    const Twiddle quarter = LoadTwiddle(quarter_tw, j);
    for (int i = 2; i < 4; ++i) {
      for (int m = 0; m < 4; ++m) v[m][i] = Load(At(m, i));
      InverseButterflies<kFirst>(v[0][i], v[1][i], v[2][i], v[3][i], quarter);
    }
    auto half_pass = [&](int m) {
      for (int i = 0; i < 2; ++i) {
        v[m][i] = Load(At(m, i));
        v[m + 2][i] = Load(At(m + 2, i));
      }
      if (m == 0) {
        InverseButterflies<kFirst>(v[0][0], v[2][0], v[0][1], v[2][1], LoadTwiddle(half_tw, j));
      } else {
        InverseButterflies<false>(v[1][0], v[3][0], v[1][1], v[3][1], LoadTwiddle(half_tw, j + E));
      }
    };
    auto long_pass = [&](int m) {
      if (m == 0) {
        InverseButterflies<kFirst>(v[m][0], v[m][1], v[m][2], v[m][3], LoadTwiddle(long_tw, j));
      } else {
        InverseButterflies<false>(v[m][0], v[m][1], v[m][2], v[m][3], LoadTwiddle(long_tw, j + m * E));
      }
      for (int i = 0; i < 4; ++i) Store(At(m, i), v[m][i]);
    };
    half_pass(1);
    long_pass(1);
    long_pass(3);
    half_pass(0);
    long_pass(0);
    long_pass(2);
  }
};

template <int N>
inline void ForwardTwoPasses(C *a) {
  TwoPasses<N>{a, 0}.template Forward<true>();
  for (int j = 2; j < N / 16; j += 2) TwoPasses<N>{a, j}.template Forward<false>();
}

template <int N>
inline void InverseTwoPasses(C *a) {
  TwoPasses<N>{a, 0}.template Inverse<true>();
  for (int j = 2; j < N / 16; j += 2) TwoPasses<N>{a, j}.template Inverse<false>();
}

// Two point-wise products at once.
inline __m256d Product(__m256d a, __m256d b) {
  const __m256d br = _mm256_movedup_pd(b), bi = _mm256_permute_pd(b, 0xF);
  return _mm256_add_pd(_mm256_mul_pd(a, br), _mm256_xor_pd(_mm256_mul_pd(Swap(a), bi), NegRe()));
}

}  // namespace
}  // namespace brm_fft::vec256
