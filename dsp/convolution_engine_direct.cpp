// The direct route: each call's outputs computed in the time domain from the reversed taps and
// the input history under them, with no block and no latency.
#include "dsp/convo_direct.h"
#include "dsp/convo_engine_parts.h"
#include "dsp/convolution_engine.h"
#include "dsp/denormal_filter.h"

using brm_convo::AppendSamples;
using brm_convo::ChannelOrNull;
using brm_convo::kSampleBytes;
using brm_convo::UsedLength;

int BRM_ConvolutionEngine::SetDirectImpulse(const BRM_ImpulseBuffer* impulse, int channels, int offset, int max_imp_size) {
  m_fft_size = 0;
  m_silent = m_skip_zero;
  for (int c = 0; c < channels; ++c) {
    const int taps = impulse ? UsedLength(impulse->m_channel_data[c], offset, max_imp_size) : 0;
    float* dest = m_imp_spectra[c].Resize(taps);
    if (!dest) {
      m_imp_spectra[c].Resize(0);
      m_silent = false;
      continue;
    }
    const double* src = impulse->m_channel_data[c].Get() + offset;
    // The filter keeps a NaN or infinite tap from turning every later output into NaN.
    bool silent = true;
    for (int k = 0; k < taps; ++k) {
      dest[k] = static_cast<float>(denormal_filter_aggressive(src[taps - 1 - k]));
      silent = silent && dest[k] == 0.0f;
    }
    // Zero taps give zero products for the finite input the engine is given.
    m_direct_silent[c] = m_skip_zero && silent;
    m_silent = m_silent && m_direct_silent[c];
  }
  for (int i = 0; i < 2; ++i) {
    m_in_queue[i].Clear();
    m_direct_hist[i].Clear();
    m_out_queue[i].Clear();
  }
  return 0;
}

void BRM_ConvolutionEngine::AddDirect(double** bufs, int len, int nch) {
  for (int i = 0; i < nch; ++i) {
    const int impulseChannel = i < m_imp_nch ? i : i - m_imp_nch;
    const int taps = m_imp_spectra[impulseChannel].GetSize();
    const double* src = ChannelOrNull(bufs, i);
    BRM_Queue& out = m_out_queue[i];
    if (taps == 0 || m_direct_silent[impulseChannel]) {
      AppendSamples(out, m_direct_silent[impulseChannel] ? nullptr : src, len);
      continue;
    }
    BRM_Queue& hist = m_direct_hist[i];
    const int held = hist.Available() / kSampleBytes;
    if (held < taps) AppendSamples(hist, nullptr, taps - held);
    AppendSamples(hist, src, len);
    const int total = hist.Available() / kSampleBytes;
    double* y = static_cast<double*>(out.Add(nullptr, len * kSampleBytes));
    const double* x = static_cast<const double*>(hist.Get());
    if (!x || total < taps + len) {
      if (y) std::memset(y, 0, sizeof(double) * len);
    } else if (y) {
      brm_convo::ActiveDirectConvolve()(m_imp_spectra[impulseChannel].Get(), taps, x + total - len - (taps - 1), y, len);
    }
    hist.Advance(len * kSampleBytes);
    hist.Compact();
  }
}
