// The real route: one real channel's blocks through real transforms of half the work, its older
// products summed ahead (see BRM_CONVO_PendingSum) on the mirrored half of the spectrum.
#include <cmath>
#include <cstring>

#include "dsp/convo_engine_parts.h"
#include "dsp/convolution_engine.h"
#include "dsp/denormal_filter.h"

using brm_convo::AsComplex;
using brm_convo::kInputSilence;
using brm_convo::kSampleBytes;
using brm_convo::VisitPending;

bool BRM_ConvolutionEngine::RealBlockReady(int d, int f, int pos) const {
  if (!m_spread || m_half_map.GetFFTSize() != m_fft_size || m_half[d].GetSize() != m_fft_size || !Mirrored(d, f))
    return false;
  // Without a sum ahead (the first block, or silence since) there must be nothing older to sum.
  return (m_pending[d].GetKey() == pos && m_pending[d].IsMirrored()) || !HasOlderTerms(d, f, pos);
}

bool BRM_ConvolutionEngine::HasOlderTerms(int d, int f, int pos) const {
  const int blocks = BlockCount();
  for (int j = 1; j < blocks; ++j)
    if (ImpulseAudible(f, j) && InputAudible(d, (pos - j + blocks) % blocks)) return true;
  return false;
}

bool BRM_ConvolutionEngine::TakeRealBlock(int d, int pos) {
  const int blockLen = m_fft_size / 2;
  double* block = m_half[d].Get();
  bool audible = false;
  VisitPending(m_in_queue[d], nullptr, blockLen, [&](const double* x, const double*, int done, int n) {
    for (int i = 0; i < n; ++i) {
      const double v = denormal_filter_aggressive(x[i]);
      block[done + i] = v;
      audible = audible || std::fabs(v) > kInputSilence;
    }
    return true;
  });
  m_in_queue[d].Advance(blockLen * kSampleBytes);
  m_in_block_flags[d].Get()[pos] = audible ? InputBlockState::kOwn : InputBlockState::kSilent;
  if (audible) std::memset(block + blockLen, 0, sizeof(double) * blockLen);
  return audible;
}

void BRM_ConvolutionEngine::ProcessRealBlock(int d, int f, int pos) {
  const int fft = m_fft_size;
  double* block = m_half[d].Get();
  const bool transformed = m_pre_pos[d] == pos;
  m_pre_pos[d] = -1;
  const bool audible = transformed ? m_pre_audible[d] : TakeRealBlock(d, pos);
  if (audible) {
    if (!transformed) BRM_real_fft(block, fft, 0);
    m_unexpanded[d] = pos;
  }
  const BRM_FFT_COMPLEX* sum = m_pending[d].FinishSources(pos);
  int olderTerms = m_pending[d].GetTerms();
  if (!sum) {
    // No sum ahead: there was nothing older to sum, or it was dropped (spreading turned off)
    // after the block was taken early.
    BRM_FFT_COMPLEX* whole = AsComplex(m_work.Get() + fft);
    olderTerms = CollectTerms(d, f, pos, false, 1, m_term_inputs.Get(), m_term_impulses.Get());
    if (olderTerms > 0)
      m_mirrored.MulSum(whole, m_term_inputs.Get(), m_term_impulses.Get(), olderTerms);
    else
      std::memset(static_cast<void*>(whole), 0, sizeof(BRM_FFT_COMPLEX) * fft);
    sum = whole;
  }
  const bool newest = audible && ImpulseAudible(f, 0);
  double* result = m_work.Get();
  if (newest || olderTerms > 0) {
    // The older products are summed already; the newest is added last.
    m_half_map.Combine(AsComplex(result), newest ? AsComplex(block) : nullptr, sum, ImpulseBlock(f, 0));
    BRM_real_fft(result, fft, 1);
  } else {
    std::memset(result, 0, sizeof(double) * fft);
  }
  EmitBlock(d, result, 1, false);
  StartPending(d, f, pos);
}

void BRM_ConvolutionEngine::ExpandRingEntry(int d) {
  if (m_unexpanded[d] < 0) return;
  m_half_map.Expand(AsComplex(m_in_spectra[d].Get()) + static_cast<long long>(m_unexpanded[d]) * m_fft_size,
                    AsComplex(m_half[d].Get()));
  m_unexpanded[d] = -1;
}
