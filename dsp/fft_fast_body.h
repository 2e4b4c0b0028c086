#pragma once
// The split-radix recursion and the point-wise products on vector registers. Included once by
// each vector code path; BRM_FFT_WIDE selects two-complex (AVX2) passes and products.
#include "dsp/fft_real.h"
#include "dsp/fft_vec128.h"
#ifdef BRM_FFT_WIDE
#include "dsp/fft_vec256.h"
#endif

namespace brm_fft {
namespace {

using C = BRM_FFT_COMPLEX;

#ifdef BRM_FFT_WIDE

using vec256::ForwardPass;
using vec256::ForwardTwoPasses;
using vec256::InversePass;
using vec256::InverseTwoPasses;

// Transforms whose first two levels of passes are done in one sweep. Above 1024 the sixteen
// values of a sweep step lie 2 KiB or more apart and compete for the same cache sets.
constexpr bool TwoPassesPay(int n) { return n >= 128 && n <= 1024; }

#else

// Every pass sweeps the data on its own, so the two-pass branches below are never instantiated.
constexpr bool TwoPassesPay(int) { return false; }

template <int N>
inline C PassTwiddle(const C *d, int k) {
  if constexpr (N <= 512) {
    return d[k - 1];
  } else {
    return EighthTwiddle(d, N / 4, k);
  }
}

template <int N>
inline void ForwardPass(C *a) {
  constexpr int q = N / 4;
  const C *d = TwiddlesFor(N);
  vec128::ForwardPlain(a, q);
  for (int k = 1; k < q; ++k) {
    vec128::ForwardButterfly<true>(a + k, a + k + q, a + k + 2 * q, a + k + 3 * q, vec128::MakeTwiddle(PassTwiddle<N>(d, k)));
  }
}

template <int N>
inline void InversePass(C *a) {
  constexpr int q = N / 4;
  const C *d = TwiddlesFor(N);
  vec128::InversePlain(a, q);
  for (int k = 1; k < q; ++k) {
    vec128::InverseButterfly<true>(a + k, a + k + q, a + k + 2 * q, a + k + 3 * q, vec128::MakeTwiddle(PassTwiddle<N>(d, k)));
  }
}

#endif

template <int N>
void ForwardAfterPass(C *a);
template <int N>
void InverseBeforePass(C *a);

template <int N>
void Forward(C *a) {
  if constexpr (N == 2) {
    vec128::c2(a);
  } else if constexpr (N == 4) {
    vec128::c4(a);
  } else if constexpr (N == 8) {
    vec128::c8(a);
  } else if constexpr (N == 16) {
    vec128::c16(a);
  } else if constexpr (TwoPassesPay(N)) {
    ForwardTwoPasses<N>(a);
    ForwardAfterPass<N / 2>(a);
    ForwardAfterPass<N / 4>(a + N / 2);
    ForwardAfterPass<N / 4>(a + 3 * N / 4);
  } else {
    ForwardPass<N>(a);
    ForwardAfterPass<N>(a);
  }
}

// The three transforms a pass of length N leaves.
template <int N>
void ForwardAfterPass(C *a) {
  Forward<N / 2>(a);
  Forward<N / 4>(a + N / 2);
  Forward<N / 4>(a + 3 * N / 4);
}

template <int N>
void Inverse(C *a) {
  if constexpr (N == 2) {
    vec128::c2(a);
  } else if constexpr (N == 4) {
    vec128::u4(a);
  } else if constexpr (N == 8) {
    vec128::u8(a);
  } else if constexpr (N == 16) {
    vec128::u16(a);
  } else if constexpr (TwoPassesPay(N)) {
    InverseBeforePass<N / 2>(a);
    InverseBeforePass<N / 4>(a + N / 2);
    InverseBeforePass<N / 4>(a + 3 * N / 4);
    InverseTwoPasses<N>(a);
  } else {
    InverseBeforePass<N>(a);
    InversePass<N>(a);
  }
}

template <int N>
void InverseBeforePass(C *a) {
  Inverse<N / 2>(a);
  Inverse<N / 4>(a + N / 2);
  Inverse<N / 4>(a + 3 * N / 4);
}

template <int N>
void Transform(C *a, int inverse) {
  if (inverse) {
    Inverse<N>(a);
  } else {
    Forward<N>(a);
  }
}

void TransformAnyLength(C *buf, int len, int inverse) {
  BRM_fft_init();
  WithLength(len, [&](auto n) { Transform<decltype(n)::value>(buf, inverse); });
}

void PassAnyLength(C *buf, int len, int inverse) {
  BRM_fft_init();
  WithLength(len, [&](auto n) {
    constexpr int N = decltype(n)::value;
    if constexpr (N >= 32) {
      if (inverse) {
        InversePass<N>(buf);
      } else {
        ForwardPass<N>(buf);
      }
    }
  });
}

// CombineHalves with the same table and the same pair step; written out here so that the pair
// step is compiled for this path and inlined (a call per pair costs as much again).
void RealCombineAnyLength(double *buf, int len, int inverse, int first, int end) {
  BRM_fft_init();
  if (!IsSupportedLength(len) || len < 4) return;
  CombineEnds(buf, len, inverse, first, end);
  C *z = reinterpret_cast<C *>(buf);
  const int last = end < len / 4 ? end : len / 4;
  const RealPairPositions *positions = len >= 8 ? RealPairPositionsFor(len) : nullptr;
  const BRM_FFT_COMPLEX *twiddles = len >= 8 ? RealPairTwiddlesFor(len) : nullptr;
  for (int i = first > 1 ? first : 1; i < last; ++i) {
    const RealPairPositions &at = positions[i - 1];
    const BRM_FFT_COMPLEX &w = twiddles[i - 1];
    vec128::RealPair(z + at.p, z + at.q, inverse ? w.re : -w.re, w.im);
  }
}

// Applies `step(i)` to every pair i, i+1; nothing unless n is even and at least 2.
template <typename Step>
inline void ForEachPair(int n, Step step) {
  if (n < 2 || (n & 1)) return;
  for (int i = 0; i < n; i += 2) step(i);
}

#ifdef BRM_FFT_WIDE

void Multiply2(C *c, const C *a, const C *b, int n) {
  ForEachPair(n, [&](int i) { vec256::Store(c + i, vec256::Product(vec256::Load(a + i), vec256::Load(b + i))); });
}

void Multiply3(C *c, const C *a, const C *b, int n) {
  ForEachPair(n, [&](int i) {
    const __m256d p = vec256::Product(vec256::Load(a + i), vec256::Load(b + i));
    vec256::Store(c + i, _mm256_add_pd(vec256::Load(c + i), p));
  });
}

#else

void Multiply2(C *c, const C *a, const C *b, int n) {
  ForEachPair(n, [&](int i) {
    for (int j = i; j < i + 2; ++j) vec128::Store(c + j, vec128::Product(vec128::Load(a + j), vec128::Load(b + j)));
  });
}

void Multiply3(C *c, const C *a, const C *b, int n) {
  ForEachPair(n, [&](int i) {
    for (int j = i; j < i + 2; ++j) {
      const __m128d p = vec128::Product(vec128::Load(a + j), vec128::Load(b + j));
      vec128::Store(c + j, _mm_add_pd(vec128::Load(c + j), p));
    }
  });
}

#endif

void Multiply(C *a, const C *b, int n) { Multiply2(a, a, b, n); }

}  // namespace
}  // namespace brm_fft
