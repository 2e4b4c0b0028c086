#include "dsp/convo_half_spectrum.h"

#include "dsp/fft.h"

namespace {

// The complex product in the scalar kernels' order of operations.
inline BRM_FFT_COMPLEX Product(BRM_FFT_COMPLEX a, BRM_CONVO_IMPULSEBUFCPLXf b) {
  const double br = b.re, bi = b.im;
  return {a.re * br - a.im * bi, a.re * bi + a.im * br};
}

}  // namespace

bool BRM_CONVO_HalfSpectrum::Build(int fft_size) {
  m_fft_size = 0;
  const int* full = BRM_fft_permute_tab(fft_size);
  const int* half = fft_size >= 4 ? BRM_fft_permute_tab(fft_size / 2) : nullptr;
  const int n = fft_size / 2;
  if (!full || !half || !m_source.Resize(n)) return false;
  int* source = m_source.Get();
  source[0] = 0;
  for (int k = 1; k < n; ++k) {
    const int own = full[k], mirror = full[fft_size - k];
    source[half[k]] = own < mirror ? own : ~mirror;
  }
  m_dc = full[0];
  m_nyquist = full[n];
  m_fft_size = fft_size;
  return true;
}

void BRM_CONVO_HalfSpectrum::Combine(BRM_FFT_COMPLEX* out, const BRM_FFT_COMPLEX* half, const BRM_FFT_COMPLEX* sum,
                                     const BRM_CONVO_IMPULSEBUFCPLXf* impulse, int first, int end) const {
  const int n = m_fft_size / 2;
  const int* source = m_source.Get();
  if (end < 0 || end > n) end = n;
  if (first <= 0 && end > 0) {
    // Bins 0 and F/2 of real signals are real; they share element 0.
    double dc = sum ? sum[m_dc].re : 0.0, nyquist = sum ? sum[m_nyquist].re : 0.0;
    if (half) {
      dc += 0.5 * half[0].re * impulse[m_dc].re;
      nyquist += 0.5 * half[0].im * impulse[m_nyquist].re;
    }
    out[0] = {dc, nyquist};
  }
  for (int e = first > 1 ? first : 1; e < end; ++e) {
    const int s = source[e], p = s < 0 ? ~s : s;
    const double sign = s < 0 ? -1.0 : 1.0;
    out[e] = sum ? BRM_FFT_COMPLEX{sum[p].re, sign * sum[p].im} : BRM_FFT_COMPLEX{0.0, 0.0};
    if (half) {
      const BRM_CONVO_IMPULSEBUFCPLXf h = {impulse[p].re, static_cast<float>(sign) * impulse[p].im};
      const BRM_FFT_COMPLEX term = Product({0.5 * half[e].re, 0.5 * half[e].im}, h);
      out[e].re += term.re;
      out[e].im += term.im;
    }
  }
}

void BRM_CONVO_HalfSpectrum::Expand(BRM_FFT_COMPLEX* full, const BRM_FFT_COMPLEX* half, int first, int end) const {
  const int n = m_fft_size / 2;
  const int* source = m_source.Get();
  if (end < 0 || end > n) end = n;
  if (first <= 0 && end > 0) {
    full[m_dc] = {0.5 * half[0].re, 0.0};
    full[m_nyquist] = {0.5 * half[0].im, 0.0};
  }
  for (int e = first > 1 ? first : 1; e < end; ++e) {
    const int s = source[e];
    const double re = 0.5 * half[e].re, im = 0.5 * half[e].im;
    if (s < 0)
      full[~s] = {re, -im};
    else
      full[s] = {re, im};
  }
}
