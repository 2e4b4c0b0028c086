// The engines' memory traffic as their layout implies it, for a benchmark row: what one channel
// of a real, never silent stream reads or writes, each buffer counted once per pass over it.
#include <algorithm>

#include "dsp/convolution_engine.h"
#include "dsp/convolution_engine_div.h"

namespace {

constexpr long long kDouble = sizeof(double), kFloat = sizeof(float);

}  // namespace

long long BRM_ConvolutionEngine::GetTouchedBytes(int call_len) const {
  if (m_fft_size <= 0) {
    // Direct: the reversed taps and the history under them, and the call's outputs.
    const long long taps = m_direct_silent[0] ? 0 : m_imp_spectra[0].GetSize();
    return taps == 0 ? 0 : taps * kFloat + (taps + call_len) * kDouble + call_len * kDouble;
  }
  if (m_silent || m_ring_blocks == 0) return 0;
  const long long fft = m_fft_size, blockLen = fft / 2;
  // Bins a product is computed on: one of each conjugate pair for real spectra.
  long long bins = fft;
  if (m_mirrored.GetFFTSize() == m_fft_size) {
    int ints = 0;
    const int* runs = m_mirrored.Runs(&ints);
    bins = 0;
    for (int r = 0; r < ints; r += 2) bins += runs[r + 1] - runs[r];
  }
  long long products = 0;
  for (int j = 0; j < m_ring_blocks; ++j) products += ImpulseAudible(0, j);
  // Each product reads a ring spectrum (complex doubles) and an impulse spectrum (complex floats).
  const long long multiply = products * bins * 2 * (kDouble + kFloat);
  // The sum written and the block's spectrum written into the ring (the computed bins of each),
  // the block's forward and inverse real transforms; the block read from the queue, the overlap
  // and the output.
  const long long spectra = 2 * bins * 2 * kDouble + 2 * fft * kDouble;
  return multiply + spectra + 3 * blockLen * kDouble;
}

long long BRM_ConvolutionEngine::GetSpectraBytes() const {
  if (m_fft_size <= 0) return m_direct_silent[0] ? 0 : m_imp_spectra[0].GetSize() * kFloat;
  const long long fft = m_fft_size;
  return static_cast<long long>(m_ring_blocks) * fft * 2 * kDouble + GetStoredImpulseBlocks() * fft * 2 * kFloat;
}

double BRM_ConvolutionEngine_Div::GetTouchedBytesPerSecond(double rate, int call_len) const {
  double total = 0;
  for (int i = 0; i < m_engines.GetSize(); ++i) {
    const BRM_ConvolutionEngine* engine = m_engines.Get(i);
    const int samples = engine->GetFFTSize() > 0 ? engine->GetFFTSize() / 2 : std::max(call_len, 1);
    total += static_cast<double>(engine->GetTouchedBytes(call_len)) * rate / samples;
  }
  return total;
}

long long BRM_ConvolutionEngine_Div::GetSpectraBytes() const {
  long long total = 0;
  for (int i = 0; i < m_engines.GetSize(); ++i) total += m_engines.Get(i)->GetSpectraBytes();
  return total;
}
