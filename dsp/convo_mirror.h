#pragma once
// The transform of a real signal is conjugate-symmetric: bin F-k holds the conjugate of bin k,
// and the forward transform computes the two bins of each pair with mirrored operations, so the
// symmetry holds to the bit. A sum of products of such spectra is then computed on one bin of
// each pair and copied, conjugated, to the other: the same bits for half the products and half
// the memory read. In the transform's permuted order the bins computed form a few long runs.
#include "base/heap_buf.h"
#include "dsp/convo_cplxmul.h"

class BRM_CONVO_MirroredSum {
 public:
  // Prepares for transforms of fft_size values; false for an unsupported size or without memory.
  bool Build(int fft_size);
  int GetFFTSize() const { return m_fft_size; }
  // BRM_CONVO_CplxMulSum over all fft_size values, for operands that are all spectra of real
  // signals.
  void MulSum(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b,
              int terms) const;
  // The runs of positions computed (begin, end pairs; *ints receives their count of ints), for
  // sums done a stretch at a time. Of each conjugate pair the lower position is computed (the
  // source); the higher one is its mirror.
  const int* Runs(int* ints) const {
    *ints = m_runs.GetSize();
    return m_runs.Get();
  }
  // Writes every mirror position of spectrum from its source, conjugated.
  void Complete(BRM_FFT_COMPLEX* spectrum) const;

 private:
  int m_fft_size = 0;
  // Begin and end of each run of positions computed, every run of even length.
  BRM_TypedBuf<int> m_runs;
  // Pairs of positions: one computed, and its mirror, which receives the conjugate.
  BRM_TypedBuf<int> m_mirrors;
};
