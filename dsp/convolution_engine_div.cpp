#include "dsp/convolution_engine_div.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxFFTSize = 32768;
// Engines from this FFT size up sum their blocks ahead (see BRM_ConvolutionEngine::SetSpreading).
// Below it a whole block costs little in the call that completes it, and the many small steps
// would cost more CPU than they save.
constexpr int kMinSpreadFFTSize = 8192;
// Engines from this size up bridge their blocks' first outputs (see
// BRM_ConvolutionEngine::SetBridging): their two large transforms would not fit one short call.
constexpr int kMinBridgeFFTSize = 16384;

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

void AddInto(double* __restrict sum, const double* __restrict add, int n) {
  for (int k = 0; k < n; ++k) sum[k] += add[k];
}

}  // namespace

BRM_ConvolutionEngine_Div::~BRM_ConvolutionEngine_Div() { m_engines.Empty(true); }

int BRM_ConvolutionEngine_Div::SetImpulse(const BRM_ImpulseBuffer* impulse, int max_fft_size, int known_blocksize,
                                          int max_imp_size, int impulse_offset, int latency_allowed) {
  m_first_add = true;
  m_engines.Empty(true);

  long long maxFFT = 2LL * std::abs(static_cast<long long>(max_fft_size));
  if (maxFFT == 0 || maxFFT > kMaxFFTSize) maxFFT = kMaxFFTSize;

  int fftSize = 64, chunk = 64;
  if (known_blocksize > 128 && IsPowerOfTwo(known_blocksize)) fftSize = chunk = known_blocksize / 2;
  if (2LL * latency_allowed > fftSize) {
    int x = 16;
    while (x <= latency_allowed && x < kMaxFFTSize) x *= 2;
    fftSize = chunk = x;
  }

  const int offset = std::max(impulse_offset, 0);
  long long remaining = impulse ? std::max(impulse->GetLength() - offset, 0) : 0;
  if (max_imp_size > 0 && max_imp_size < remaining) remaining = max_imp_size;
  long long position = 0;
  do {
    const bool direct = latency_allowed == 0 && position == 0;
    const bool fftBelowMax = fftSize < maxFFT;
    const long long segment = fftBelowMax && static_cast<long long>(chunk) * (direct ? 2 : 3) < remaining ? chunk : remaining;
    const int engineFFT = fftBelowMax ? fftSize : static_cast<int>(maxFFT);
    BRM_ConvolutionEngine* engine = new BRM_ConvolutionEngine;
    engine->SetZeroSkipping(m_skip_zero);
    engine->SetImpulse(impulse, engineFFT, offset + static_cast<int>(position), static_cast<int>(segment), direct);
    engine->m_seg_offset = static_cast<int>(position);
    engine->m_preroll = 0;
    engine->SetSpreading(m_spread && engineFFT >= kMinSpreadFFTSize);
    engine->SetBridging(m_spread && m_bridge && engineFFT >= kMinBridgeFFTSize);
    if (!m_engines.Add(engine)) {
      delete engine;
      break;
    }
    remaining -= segment;
    position += segment;
    chunk = static_cast<int>(std::min(3 * position, static_cast<long long>(1) << 30));
    fftSize = static_cast<int>(std::min(2 * position, static_cast<long long>(1) << 30));
  } while (remaining > 0);
  return GetLatency();
}

int BRM_ConvolutionEngine_Div::GetLatency() const {
  const BRM_ConvolutionEngine* first = m_engines.Get(0);
  return first ? first->GetLatency() : 0;
}

void BRM_ConvolutionEngine_Div::Reset() {
  for (int i = 0; i < m_engines.GetSize(); ++i) m_engines.Get(i)->Reset();
  m_sum_queue[0].Clear();
  m_sum_queue[1].Clear();
  m_first_add = true;
}

void BRM_ConvolutionEngine_Div::Prime(int nch) {
  const int count = m_engines.GetSize();
  for (int i = 0; i < count; ++i) {
    BRM_ConvolutionEngine* engine = m_engines.Get(i);
    // Staggering the middle engines by a quarter block puts their transforms in different calls.
    engine->m_preroll = i > 0 && i < count - 1 ? engine->GetLatency() / 4 : 0;
    if (engine->m_preroll > 0) engine->Add(nullptr, engine->m_preroll, nch);
  }
}

void BRM_ConvolutionEngine_Div::Add(double** bufs, int len, int nch) {
  if (len < 0 || len > BRM_ConvolutionEngine::kMaxCallSamples || nch < 1) return;
  nch = std::min(nch, 2);
  m_chan_count = nch;
  const bool priming = m_first_add;
  if (priming) {
    m_first_add = false;
    Prime(nch);
  }
  for (int i = 0; i < m_engines.GetSize(); ++i) {
    BRM_ConvolutionEngine* engine = m_engines.Get(i);
    engine->Add(bufs, len, nch);
    if (priming) engine->AddSilenceToOutput(engine->m_seg_offset, nch);
  }
  for (int c = 0; c < nch; ++c) m_sum_queue[c].Reserve(2 * (m_sum_queue[c].Available() + len * static_cast<int>(sizeof(double))));
}

int BRM_ConvolutionEngine_Div::Avail(int want) {
  const int sampleBytes = static_cast<int>(sizeof(double));
  want = std::clamp(want, 0, BRM_ConvolutionEngine::kMaxCallSamples);
  const int engines = m_engines.GetSize();
  int n = want;
  for (int i = 0; i < engines; ++i) {
    BRM_ConvolutionEngine* engine = m_engines.Get(i);
    n = std::min(n, engine->Avail(want + engine->m_preroll) - engine->m_preroll);
  }
  if (n > 0) {
    double* sums[2] = {nullptr, nullptr};
    for (int c = 0; c < m_chan_count; ++c) {
      sums[c] = static_cast<double*>(m_sum_queue[c].Add(nullptr, n * sampleBytes));
      if (sums[c]) std::memset(sums[c], 0, sizeof(double) * n);
    }
    for (int i = 0; i < engines; ++i) {
      BRM_ConvolutionEngine* engine = m_engines.Get(i);
      if (engine->m_preroll > 0) {
        engine->Advance(engine->m_preroll);
        engine->m_preroll = 0;
      }
      double** outs = engine->Get();
      // A silent engine's zeros would leave every sum as it is: sums start at +0 and never become -0.
      for (int c = 0; c < m_chan_count && !engine->IsSilent(); ++c)
        if (sums[c] && outs[c]) AddInto(sums[c], outs[c], n);
      engine->Advance(n);
    }
  }
  return std::min(want, m_sum_queue[0].Available() / sampleBytes);
}

double** BRM_ConvolutionEngine_Div::Get() {
  m_get_ptrs[0] = m_get_ptrs[1] = nullptr;
  for (int c = 0; c < m_chan_count; ++c) m_get_ptrs[c] = static_cast<double*>(m_sum_queue[c].Get());
  return m_get_ptrs;
}

void BRM_ConvolutionEngine_Div::Advance(int len) {
  if (len <= 0) return;
  len = std::min(len, BRM_ConvolutionEngine::kMaxCallSamples);
  for (int c = 0; c < m_chan_count; ++c) {
    m_sum_queue[c].Advance(len * static_cast<int>(sizeof(double)));
    m_sum_queue[c].Compact();
  }
}
