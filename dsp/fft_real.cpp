#include "dsp/fft_real.h"

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

}  // namespace

void CombineEnds(double *buf, int len, int inverse, int first, int end) {
  auto *z = reinterpret_cast<BRM_FFT_COMPLEX *>(buf);
  const int quarter = len / 4;
  if (first <= 0 && end > 0) {
    const BRM_FFT_COMPLEX dc = z[0];
    if (inverse) {
      z[0] = {dc.re + dc.im, dc.re - dc.im};
    } else {
      z[0] = {2.0 * (dc.re + dc.im), 2.0 * (dc.re - dc.im)};
    }
  }
  if (first <= quarter && end > quarter) {
    BRM_FFT_COMPLEX &mid = z[BRM_fft_permute_tab(len / 2)[quarter]];
    mid = {2.0 * mid.re, -2.0 * mid.im};
  }
}

void RealCombine(double *buf, int len, int inverse, int first, int end) {
  CombineHalves(buf, len, inverse, first, end, [](BRM_FFT_COMPLEX *p, BRM_FFT_COMPLEX *q, double f, double s) {
    const double h = p->re, o = p->im, m = q->re, t = q->im;
    const double u = f * (o + t) + s * (h - m);
    const double v = s * (o + t) - f * (h - m);
    *p = {(h + m) - u, (o - t) - v};
    *q = {(h + m) + u, -((o - t) + v)};
  });
}

void RealTransform(double *buf, int len, int inverse, ComplexTransform complex, RealStep combine) {
  if (!IsSupportedLength(len)) return;
  if (len == 2) {
    RealTwoPoint(buf, inverse);
    return;
  }
  // The buffer is only ever accessed as pairs of doubles, which is exactly this struct's layout.
  auto *z = reinterpret_cast<BRM_FFT_COMPLEX *>(buf);
  if (!inverse) complex(z, len / 2, 0);
  combine(buf, len, inverse, 0, len / 4 + 1);
  if (inverse) complex(z, len / 2, 1);
}

}  // namespace brm_fft
