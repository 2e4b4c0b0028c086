#include "dsp/convo_mirror.h"

#include "dsp/fft.h"

bool BRM_CONVO_MirroredSum::Build(int fft_size) {
  m_fft_size = 0;
  const int* position = BRM_fft_permute_tab(fft_size);
  if (!position) return false;
  const int n = fft_size;
  BRM_TypedBuf<int> mirrorOf;
  int* mirror = mirrorOf.Resize(n);
  if (!mirror) return false;
  for (int bin = 0; bin < n; ++bin) mirror[position[bin]] = position[(n - bin) % n];

  int pairs = 0, runs = 0;
  for (int p = 0; p < n; ++p) {
    pairs += mirror[p] > p;
    runs += mirror[p] >= p && (p == 0 || mirror[p - 1] < p - 1);
  }
  int* run = m_runs.Resize(2 * runs);
  int* pair = m_mirrors.Resize(2 * pairs);
  if (!run || !pair) return false;
  for (int p = 0; p < n;) {
    if (mirror[p] < p) {
      ++p;
      continue;
    }
    int end = p;
    while (end < n && mirror[end] >= end) ++end;
    // An odd run takes one more position along; its value is overwritten by the mirroring.
    const int begin = (end - p) % 2 == 0 || end < n ? p : p - 1;
    *run++ = begin;
    *run++ = (end - begin) % 2 == 0 ? end : end + 1;
    p = end;
  }
  for (int p = 0; p < n; ++p)
    if (mirror[p] > p) {
      *pair++ = p;
      *pair++ = mirror[p];
    }
  m_fft_size = fft_size;
  return true;
}

void BRM_CONVO_MirroredSum::MulSum(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a,
                                   const BRM_CONVO_IMPULSEBUFCPLXf* const* b, int terms) const {
  if (terms < 1 || m_fft_size < 2) return;
  const int* run = m_runs.Get();
  for (int r = 0; r < m_runs.GetSize(); r += 2) BRM_CONVO_CplxMulSum(dest, a, b, terms, run[r], run[r + 1]);
  Complete(dest);
}

void BRM_CONVO_MirroredSum::Complete(BRM_FFT_COMPLEX* spectrum) const {
  const int* pair = m_mirrors.Get();
  for (int i = 0; i < m_mirrors.GetSize(); i += 2) {
    const BRM_FFT_COMPLEX& from = spectrum[pair[i]];
    spectrum[pair[i + 1]] = {from.re, -from.im};
  }
}
