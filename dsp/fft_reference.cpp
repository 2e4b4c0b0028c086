#include "dsp/fft_reference.h"

#include "dsp/fft_real.h"
#include "dsp/fft_tables.h"

namespace {

using brm_fft::EighthTwiddle;
using brm_fft::SqrtHalf;
using brm_fft::TwiddlesFor;
using brm_fft::WithLength;
using C = BRM_FFT_COMPLEX;

// Forward butterfly on a0..a3 = a[k], a[k+N/4], a[k+N/2], a[k+3N/4]; the two lower outputs are
// (a0-a2) +- i(a1-a3), rotated by w and conj(w) unless `rotate` is false (k = 0).
inline void ForwardButterfly(C *a0, C *a1, C *a2, C *a3, C w, bool rotate) {
  const double tr = a0->re - a2->re, ti = a0->im - a2->im;
  const double ur = a1->re - a3->re, ui = a1->im - a3->im;
  a0->re = a0->re + a2->re;
  a0->im = a0->im + a2->im;
  a1->re = a1->re + a3->re;
  a1->im = a1->im + a3->im;
  const double pr = tr - ui, pi = ti + ur;
  const double qr = tr + ui, qi = ti - ur;
  if (!rotate) {
    *a2 = {pr, pi};
    *a3 = {qr, qi};
    return;
  }
  *a2 = {pr * w.re - pi * w.im, pi * w.re + pr * w.im};
  *a3 = {qr * w.re + qi * w.im, qi * w.re - qr * w.im};
}

// Inverse butterfly: x2 = a2 conj(w), x3 = a3 w; a0 +- (x2+x3), a1 -+ i(x2-x3).
inline void InverseButterfly(C *a0, C *a1, C *a2, C *a3, C w, bool rotate) {
  C x2 = *a2, x3 = *a3;
  if (rotate) {
    x2 = {a2->re * w.re + a2->im * w.im, a2->im * w.re - a2->re * w.im};
    x3 = {a3->re * w.re - a3->im * w.im, a3->im * w.re + a3->re * w.im};
  }
  const double sr = x2.re + x3.re, si = x2.im + x3.im;
  const double dr = x2.re - x3.re, di = x2.im - x3.im;
  *a2 = {a0->re - sr, a0->im - si};
  *a0 = {a0->re + sr, a0->im + si};
  *a3 = {a1->re - di, a1->im + dr};
  *a1 = {a1->re + di, a1->im - dr};
}

// Twiddle k of the pass of length N: straight from a quarter-circle table up to 512, by
// symmetry from the eighth-circle tables above.
template <int N>
inline C PassTwiddle(const C *d, int k) {
  if constexpr (N <= 512) {
    return d[k - 1];
  } else {
    return EighthTwiddle(d, N / 4, k);
  }
}

template <int N>
void ForwardPass(C *a) {
  constexpr int q = N / 4;
  const C *d = TwiddlesFor(N);
  ForwardButterfly(a, a + q, a + 2 * q, a + 3 * q, C{}, false);
  for (int k = 1; k < q; ++k) ForwardButterfly(a + k, a + k + q, a + k + 2 * q, a + k + 3 * q, PassTwiddle<N>(d, k), true);
}

template <int N>
void InversePass(C *a) {
  constexpr int q = N / 4;
  const C *d = TwiddlesFor(N);
  InverseButterfly(a, a + q, a + 2 * q, a + 3 * q, C{}, false);
  for (int k = 1; k < q; ++k) InverseButterfly(a + k, a + k + q, a + k + 2 * q, a + k + 3 * q, PassTwiddle<N>(d, k), true);
}

void c2(C *a) {
  const C x0 = a[0], x1 = a[1];
  a[0] = {x0.re + x1.re, x0.im + x1.im};
  a[1] = {x0.re - x1.re, x0.im - x1.im};
}

void c4(C *a) {
  ForwardButterfly(a, a + 1, a + 2, a + 3, C{}, false);
  c2(a);
}

void u4(C *a) {
  c2(a);
  InverseButterfly(a, a + 1, a + 2, a + 3, C{}, false);
}

void c8(C *a) {
  const C w = {SqrtHalf(), SqrtHalf()};
  ForwardButterfly(a, a + 2, a + 4, a + 6, C{}, false);
  ForwardButterfly(a + 1, a + 3, a + 5, a + 7, w, true);
  c4(a);
  c2(a + 4);
  c2(a + 6);
}

void u8(C *a) {
  const C w = {SqrtHalf(), SqrtHalf()};
  u4(a);
  c2(a + 4);
  c2(a + 6);
  InverseButterfly(a, a + 2, a + 4, a + 6, C{}, false);
  InverseButterfly(a + 1, a + 3, a + 5, a + 7, w, true);
}

template <int N>
void Forward(C *a) {
  if constexpr (N == 2) {
    c2(a);
  } else if constexpr (N == 4) {
    c4(a);
  } else if constexpr (N == 8) {
    c8(a);
  } else {
    ForwardPass<N>(a);
    Forward<N / 2>(a);
    Forward<N / 4>(a + N / 2);
    Forward<N / 4>(a + 3 * N / 4);
  }
}

template <int N>
void Inverse(C *a) {
  if constexpr (N == 2) {
    c2(a);
  } else if constexpr (N == 4) {
    u4(a);
  } else if constexpr (N == 8) {
    u8(a);
  } else {
    Inverse<N / 2>(a);
    Inverse<N / 4>(a + N / 2);
    Inverse<N / 4>(a + 3 * N / 4);
    InversePass<N>(a);
  }
}

template <int N>
void Transform(C *a, int inverse) {
  if (inverse) {
    Inverse<N>(a);
  } else {
    Forward<N>(a);
  }
}

template <typename Mul>
void PairwiseProducts(int n, Mul mul) {
  if (n < 2 || (n & 1)) return;
  for (int i = 0; i < n; i += 2) {
    mul(i);
    mul(i + 1);
  }
}

inline C Product(const C &a, const C &b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

}  // namespace

void BRM_fft_reference(BRM_FFT_COMPLEX *buf, int len, int inverse) {
  BRM_fft_init();
  WithLength(len, [&](auto n) { Transform<decltype(n)::value>(buf, inverse); });
}

void BRM_real_fft_reference(double *buf, int len, int inverse) {
  BRM_fft_init();
  brm_fft::RealTransform(buf, len, inverse, BRM_fft_reference, brm_fft::RealCombine);
}

void BRM_fft_complexmul_reference(BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n) {
  BRM_fft_complexmul2_reference(a, a, b, n);
}

void BRM_fft_complexmul2_reference(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n) {
  PairwiseProducts(n, [&](int i) { c[i] = Product(a[i], b[i]); });
}

void BRM_fft_complexmul3_reference(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n) {
  PairwiseProducts(n, [&](int i) {
    const C p = Product(a[i], b[i]);
    c[i] = {c[i].re + p.re, c[i].im + p.im};
  });
}
