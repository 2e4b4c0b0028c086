#pragma once
// Moves between the two layouts of a real signal's spectrum: the full F-point complex spectrum in
// the transform's permuted order (what the ring and the impulse hold) and the half layout of
// BRM_real_fft (element 0 holding bins 0 and F/2, element BRM_fft_permute(F/2, k) twice bin k).
// A real block's transforms through the half layout cost about two thirds of the full ones.
#include "base/heap_buf.h"
#include "dsp/convo_cplxmul.h"

class BRM_CONVO_HalfSpectrum {
 public:
  // Prepares for F = fft_size; false for an unsupported size or without memory.
  bool Build(int fft_size);
  int GetFFTSize() const { return m_fft_size; }
  // Full spectra of real signals are read and written at the sources of their conjugate pairs
  // only (the lower position of each pair, as BRM_CONVO_MirroredSum computes them): a pair's
  // other bin is the source's conjugate to the bit, so its positions are never touched.
  //
  // out (half layout, input of the real inverse) = sum + X * impulse, bin by bin, where X is the
  // spectrum held by half (the real forward transform of a block; null for a silent block) and
  // sum and impulse are full spectra, sum conjugate-symmetric (null: zero).
  // Both do elements first..end-1 of the half layout's F/2 (end -1: all), so that the work can
  // be done a stretch at a time.
  void Combine(BRM_FFT_COMPLEX* out, const BRM_FFT_COMPLEX* half, const BRM_FFT_COMPLEX* sum,
               const BRM_CONVO_IMPULSEBUFCPLXf* impulse, int first = 0, int end = -1) const;
  // full (at the sources) = the spectrum held by half.
  void Expand(BRM_FFT_COMPLEX* full, const BRM_FFT_COMPLEX* half, int first = 0, int end = -1) const;

 private:
  int m_fft_size = 0;
  // For each half position e >= 1 holding bin k: the full position of the source of bins k and
  // F - k, bitwise inverted (~position) when bin k is the source's conjugate.
  BRM_TypedBuf<int> m_source;
  int m_dc = 0;
  int m_nyquist = 0;
};
