// The complex route: a block transformed in its ring entry as complex samples, either two
// channels packed into one transform (real and imaginary parts) or one channel's block handed to
// a partner with the same input, which shares the ring's spectra.
#include <cmath>
#include <cstring>

#include "dsp/convo_cplxmul.h"
#include "dsp/convo_engine_parts.h"
#include "dsp/convo_spread.h"
#include "dsp/convolution_engine.h"

using brm_convo::AsComplex;
using brm_convo::kInputSilence;
using brm_convo::kSampleBytes;
using brm_convo::VisitPending;

bool BRM_ConvolutionEngine::CanShareRing(int d, int f, int pos) const {
  const int partner = d + 1, blocks = BlockCount();
  if (!(partner < m_chan_count && f + 1 < m_imp_nch && m_ready[partner] && !m_lane[partner].tailDue &&
        PendingInputsEqual(d, partner, m_fft_size / 2)))
    return false;
  // Sharing reuses channel d's ring for the partner's output, which is only right while neither
  // ring holds a block computed from that channel's own differing input.
  for (int e = 0; e < blocks; ++e)
    if (e != pos && (m_in_block_flags[d].Get()[e] == InputBlockState::kOwn ||
                     m_in_block_flags[partner].Get()[e] == InputBlockState::kOwn))
      return false;
  return true;
}

void BRM_ConvolutionEngine::ProcessComplexBlock(int d, int f, int pos, bool pair, bool shared) {
  const int fft = m_fft_size, blockLen = fft / 2, blocks = BlockCount();
  const int blockBytes = blockLen * kSampleBytes;
  const int partner = d + 1;
  double* entry = m_in_spectra[d].Get() + static_cast<long long>(pos) * 2 * fft;
  if (pair) {
    // A packed pair's spectra are no longer those of real signals, and its sums read every
    // position of the older entries.
    CompleteRealRing(d);
    CompleteRealRing(partner);
    m_ring_real[d] = m_ring_real[partner] = false;
    m_hist_block[partner] = (m_hist_block[partner] + 1) % blocks;
  }

  // The queued samples go straight into complex form, one pass over the block; Avail only gets
  // here with a whole block queued (for both channels of a pair, which hold equal counts).
  bool audible = false;
  VisitPending(m_in_queue[d], pair ? &m_in_queue[partner] : nullptr, blockLen,
               [&](const double* re, const double* im, int done, int n) {
                 audible = brm_convo::SpreadToComplex(AsComplex(entry) + done, re, im, n, kInputSilence) || audible;
                 return true;
               });
  m_in_queue[d].Advance(blockBytes);
  if (pair) m_in_queue[partner].Advance(blockBytes);
  if (audible) {
    std::memset(entry + fft, 0, sizeof(double) * fft);
    BRM_fft(AsComplex(entry), fft, 0);
  }
  const InputBlockState state =
      !audible ? InputBlockState::kSilent : shared ? InputBlockState::kShared : InputBlockState::kOwn;
  m_in_block_flags[d].Get()[pos] = state;

  if (shared) {
    m_in_queue[partner].Advance(blockBytes);
    const int partnerPos = m_hist_block[partner] = (m_hist_block[partner] + 1) % blocks;
    std::memcpy(m_in_spectra[partner].Get() + static_cast<long long>(partnerPos) * 2 * fft, entry, sizeof(double) * 2 * fft);
    // Should sharing stop, the partner's own accumulation must still see this block.
    m_in_block_flags[partner].Get()[partnerPos] = state;
  }
  // The partner's ring moved on under any sum it had pending.
  if (pair || shared) m_pending[partner].Drop();

  EmitBlock(d, Accumulate(d, f, pos, shared), 2, pair || shared);
  if (m_spread) StartPending(d, f, pos);
}

void BRM_ConvolutionEngine::CompleteRealRing(int d) {
  if (!m_ring_real[d] || m_mirrored.GetFFTSize() != m_fft_size) return;
  for (int e = 0; e < BlockCount(); ++e)
    if (InputAudible(d, e)) m_mirrored.Complete(AsComplex(m_in_spectra[d].Get()) + static_cast<long long>(e) * m_fft_size);
}

bool BRM_ConvolutionEngine::PendingInputsEqual(int a, int b, int count) const {
  return VisitPending(m_in_queue[a], &m_in_queue[b], count, [](const double* x, const double* y, int, int n) {
    for (int i = 0; i < n; ++i)
      if (!(std::fabs(y[i] - x[i]) <= 1e-12)) return false;
    return true;
  });
}

const double* BRM_ConvolutionEngine::Accumulate(int d, int f, int pos, bool shared) {
  // Without spreading nothing is ever summed ahead.
  BRM_FFT_COMPLEX* sum = shared || !m_spread ? nullptr : m_pending[d].Finish(pos);
  if (sum) {
    // The older products are summed already; the newest is added last.
    const bool newest = ImpulseAudible(f, 0) && InputAudible(d, pos);
    if (newest)
      BRM_CONVO_CplxMul3(sum, AsComplex(m_in_spectra[d].Get()) + static_cast<long long>(pos) * m_fft_size,
                         ImpulseBlock(f, 0), m_fft_size);
    // A sum of no products is all zeros already.
    if (newest || m_pending[d].GetTerms() > 0) BRM_fft(sum, m_fft_size, 1);
    return &sum->re;
  }
  BRM_FFT_COMPLEX* work = AsComplex(m_work.Get());
  const int terms = CollectTerms(d, f, pos, shared, 0, m_term_inputs.Get(), m_term_impulses.Get());
  if (terms > 0) {
    if (Mirrored(d, f))
      m_mirrored.MulSum(work, m_term_inputs.Get(), m_term_impulses.Get(), terms);
    else
      BRM_CONVO_CplxMulSum(work, m_term_inputs.Get(), m_term_impulses.Get(), terms, 0, m_fft_size);
    BRM_fft(work, m_fft_size, 1);
  } else {
    std::memset(work, 0, sizeof(double) * 2 * m_fft_size);
  }
  return m_work.Get();
}
