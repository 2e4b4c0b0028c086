#include "dsp/fft_real.h"

#include "dsp/fft_tables.h"

namespace brm_fft {

namespace {

void RealTwoPoint(double *buf, int inverse) {
  const double x0 = buf[0], x1 = buf[1];
  if (inverse) {
    buf[0] = x0 + x1;
    buf[1] = x0 - x1;
  } else {
    buf[0] = 2.0 * (x0 + x1);
    buf[1] = 2.0 * (x0 - x1);
  }
}

// Splits the half-length complex spectrum into the real spectrum (forward) or joins it back
// (inverse); bins k and H-k are handled together. Steps first..end-1 of 0..len/4: step 0 is the
// shared element of bins 0 and H, step len/4 the middle bin, the others one pair each.
void CombineHalves(BRM_FFT_COMPLEX *z, int len, int inverse, int first, int end) {
  const int half = len / 2;
  const int quarter = len / 4;
  const int *tab = BRM_fft_permute_tab(half);
  const BRM_FFT_COMPLEX *d = len >= 16 ? TwiddlesFor(len) : nullptr;

  if (first <= 0 && end > 0) {
    const BRM_FFT_COMPLEX dc = z[0];
    if (inverse) {
      z[0] = {dc.re + dc.im, dc.re - dc.im};
    } else {
      z[0] = {2.0 * (dc.re + dc.im), 2.0 * (dc.re - dc.im)};
    }
  }

  for (int k = first > 1 ? first : 1; k < quarter && k < end; ++k) {
    BRM_FFT_COMPLEX &p = z[tab[k]];
    BRM_FFT_COMPLEX &q = z[tab[half - k]];
    const BRM_FFT_COMPLEX w = EighthTwiddle(d, quarter, k);
    const double f = inverse ? w.re : -w.re;
    const double s = w.im;
    const double h = p.re, o = p.im, m = q.re, t = q.im;
    const double u = f * (o + t) + s * (h - m);
    const double v = s * (o + t) - f * (h - m);
    p = {(h + m) - u, (o - t) - v};
    q = {(h + m) + u, -((o - t) + v)};
  }

  if (first <= quarter && end > quarter) {
    BRM_FFT_COMPLEX &mid = z[tab[quarter]];
    mid = {2.0 * mid.re, -2.0 * mid.im};
  }
}

}  // namespace

void RealCombine(double *buf, int len, int inverse, int first, int end) {
  if (IsSupportedLength(len) && len >= 4) CombineHalves(reinterpret_cast<BRM_FFT_COMPLEX *>(buf), len, inverse, first, end);
}

void RealTransform(double *buf, int len, int inverse, ComplexTransform complex) {
  if (!IsSupportedLength(len)) return;
  if (len == 2) {
    RealTwoPoint(buf, inverse);
    return;
  }
  // The buffer is only ever accessed as pairs of doubles, which is exactly this struct's layout.
  auto *z = reinterpret_cast<BRM_FFT_COMPLEX *>(buf);
  if (!inverse) complex(z, len / 2, 0);
  CombineHalves(z, len, inverse, 0, len / 4 + 1);
  if (inverse) complex(z, len / 2, 1);
}

}  // namespace brm_fft
