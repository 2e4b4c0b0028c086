#include "dsp/convolution_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/convo_engine_parts.h"
#include "dsp/denormal_filter.h"
#include "dsp/fft.h"

namespace {

using brm_convo::AppendSamples;
using brm_convo::AsComplex;
using brm_convo::ChannelOrNull;
using brm_convo::kInputSilence;
using brm_convo::kSampleBytes;
using brm_convo::UsedLength;
using brm_convo::VisitPending;

constexpr int kMaxFFTSize = 32768;
constexpr int kMinAutoFFTSize = 32;
// Impulse blocks quieter than this are neither transformed nor multiplied.
constexpr double kImpulseSilence = 1e-15;

bool IsSupportedFFTSize(int n) { return n >= 2 && n <= kMaxFFTSize && (n & (n - 1)) == 0; }

}  // namespace

BRM_ConvolutionEngine::BRM_ConvolutionEngine() { BRM_fft_init(); }

bool BRM_ConvolutionEngine::ChannelReady(int ch) const {
  const int blocks = BlockCount();
  return blocks > 0 && m_in_spectra[ch].GetSize() == 2 * blocks * m_fft_size &&
         m_overlap[ch].GetSize() == m_fft_size / 2 && m_in_block_flags[ch].GetSize() == blocks;
}

int BRM_ConvolutionEngine::SetImpulse(const BRM_ImpulseBuffer* impulse, int fft_size, int impulse_offset,
                                      int max_imp_size, bool force_direct) {
  const int offset = std::max(impulse_offset, 0);
  int channels = impulse ? std::clamp(impulse->GetNumChannels(), 1, 2) : 1;
  int len = 0;
  if (impulse)
    for (int c = 0; c < channels; ++c) len = std::max(len, UsedLength(impulse->m_channel_data[c], offset, max_imp_size));
  if (channels == 2) {
    const BRM_TypedBuf<double>& a = impulse->m_channel_data[0];
    const BRM_TypedBuf<double>& b = impulse->m_channel_data[1];
    if (a.GetSize() == b.GetSize() && (a.GetSize() == 0 || std::memcmp(a.Get(), b.Get(), sizeof(double) * a.GetSize()) == 0))
      channels = 1;
  }
  m_imp_nch = channels;
  m_imp_len = len;
  m_chan_count = -1;
  m_ready[0] = m_ready[1] = false;
  m_prepared[0] = m_prepared[1] = false;
  m_pending[0].Drop();
  m_pending[1].Drop();
  m_unexpanded[0] = m_unexpanded[1] = -1;
  m_pre_pos[0] = m_pre_pos[1] = -1;
  m_bridge_on = false;
  ResetBridgeLanes();
  m_ring_blocks = 0;
  m_silent = false;
  m_direct_silent[0] = m_direct_silent[1] = false;

  if (force_direct) return SetDirectImpulse(impulse, channels, offset, max_imp_size);

  int fft = fft_size;
  if (!IsSupportedFFTSize(fft)) {
    // Larger limits would pick a size the transform cannot do.
    const long long limit = fft_size <= -16 ? std::min(-2LL * fft_size, static_cast<long long>(kMaxFFTSize)) : kMaxFFTSize;
    fft = kMinAutoFFTSize;
    while (fft < 2LL * len && fft < limit) fft *= 2;
  }
  m_fft_size = fft;
  const int blockLen = fft / 2;
  const int allBlocks = static_cast<int>((static_cast<long long>(len) + blockLen - 1) / blockLen);
  // Without the mirrored sum every product is computed in full, which gives the same bits.
  if (m_mirrored.GetFFTSize() != fft) m_mirrored.Build(fft);
  if (m_half_map.GetFFTSize() != fft) m_half_map.Build(fft);
  int blocks = 0;
  for (int c = 0; c < channels && allBlocks > 0; ++c) {
    const int audible = FlagImpulseBlocks(impulse, c, offset, max_imp_size, allBlocks);
    if (audible < 0) {
      m_imp_len = 0;
      return GetLatency();
    }
    blocks = std::max(blocks, m_skip_zero ? audible : allBlocks);
  }
  m_ring_blocks = blocks;
  m_silent = allBlocks > 0 && blocks == 0;
  for (int c = 0; c < channels; ++c) m_imp_block_flags[c].Resize(blocks);
  if (!m_work.Resize(4 * fft) || !m_term_inputs.Resize(std::max(blocks, 1)) || !m_term_impulses.Resize(std::max(blocks, 1))) {
    m_imp_len = 0;
    m_ring_blocks = 0;
    m_silent = false;
    return GetLatency();
  }
  for (int c = 0; c < channels && blocks > 0; ++c)
    if (!StoreImpulseSpectra(impulse, c, offset, max_imp_size)) {
      m_imp_len = 0;
      m_ring_blocks = 0;
      m_silent = false;
      return GetLatency();
    }
  // The first Add sets channel 0 up; sizing and clearing its state here keeps that work, megabytes
  // for long impulses, off the audio thread. Nothing reads the state before that Add.
  m_prepared[0] = blocks > 0 && m_in_spectra[0].Resize(2 * blocks * fft) && m_overlap[0].Resize(blockLen) &&
                  m_in_block_flags[0].Resize(blocks) && m_pending[0].Build(fft, blocks) && m_half[0].Resize(fft);
  if (m_prepared[0]) {
    m_in_spectra[0].Zero();
    m_overlap[0].Zero();
  }
  return GetLatency();
}

int BRM_ConvolutionEngine::FlagImpulseBlocks(const BRM_ImpulseBuffer* impulse, int c, int offset, int max_imp_size,
                                             int blocks) {
  const int blockLen = m_fft_size / 2;
  const int partner = c + 1 < m_imp_nch ? c + 1 : -1;
  ImpulseBlockState* flags = m_imp_block_flags[c].Resize(blocks);
  if (!flags) return -1;
  const int ownLen = UsedLength(impulse->m_channel_data[c], offset, max_imp_size);
  const int partnerLen = partner < 0 ? 0 : UsedLength(impulse->m_channel_data[partner], offset, max_imp_size);
  const double* own = impulse->m_channel_data[c].Get() + offset;
  const double* other = partner < 0 ? nullptr : impulse->m_channel_data[partner].Get() + offset;
  auto peak = [&](const double* x, int n, int start) {
    double p = 0.0;
    for (int i = start; i < start + n; ++i) p = std::max(p, std::fabs(x[i]));
    return p;
  };
  int audible = 0;
  for (int b = 0; b < blocks; ++b) {
    const int start = b * blockLen;
    const double peakOwn = peak(own, std::clamp(ownLen - start, 0, blockLen), start);
    const double peakOther = other ? peak(other, std::clamp(partnerLen - start, 0, blockLen), start) : 0.0;
    flags[b] = peakOwn > kImpulseSilence     ? ImpulseBlockState::kAudible
               : peakOther > kImpulseSilence ? ImpulseBlockState::kPartnerOnly
                                             : ImpulseBlockState::kSilent;
    if (flags[b] != ImpulseBlockState::kSilent) audible = b + 1;
  }
  return audible;
}

bool BRM_ConvolutionEngine::StoreImpulseSpectra(const BRM_ImpulseBuffer* impulse, int c, int offset, int max_imp_size) {
  const int fft = m_fft_size, blockLen = fft / 2, blocks = m_ring_blocks;
  const ImpulseBlockState* flags = m_imp_block_flags[c].Get();
  int* slot = m_imp_slot[c].Resize(blocks);
  if (!slot) return false;
  // Without skipping every block has its room, as the engine always laid them out.
  int stored = 0;
  for (int b = 0; b < blocks; ++b) slot[b] = m_skip_zero && flags[b] == ImpulseBlockState::kSilent ? -1 : stored++;
  if (stored == 0) {
    m_imp_spectra[c].Resize(0);
    return true;
  }
  float* spectra = m_imp_spectra[c].Resize(2 * fft * (m_skip_zero ? stored : stored + 1));
  if (!spectra) return false;
  const int partner = c + 1 < m_imp_nch ? c + 1 : -1;
  const int ownLen = UsedLength(impulse->m_channel_data[c], offset, max_imp_size);
  const int partnerLen = partner < 0 ? 0 : UsedLength(impulse->m_channel_data[partner], offset, max_imp_size);
  const double* own = impulse->m_channel_data[c].Get() + offset;
  const double* other = partner < 0 ? nullptr : impulse->m_channel_data[partner].Get() + offset;
  const double scale = 1.0 / fft;
  double* work = m_work.Get();
  for (int b = 0; b < blocks; ++b) {
    if (flags[b] == ImpulseBlockState::kSilent) continue;
    const int start = b * blockLen;
    const int nOwn = std::clamp(ownLen - start, 0, blockLen);
    const int nOther = std::clamp(partnerLen - start, 0, blockLen);
    std::memset(work, 0, sizeof(double) * 2 * fft);
    for (int i = 0; i < nOwn; ++i) work[2 * i] = denormal_filter_aggressive(own[start + i] * scale);
    for (int i = 0; i < nOther; ++i) work[2 * i + 1] = denormal_filter_aggressive(other[start + i] * scale);
    BRM_fft(AsComplex(work), fft, 0);
    float* dest = spectra + static_cast<long long>(slot[b]) * 2 * fft;
    for (int i = 0; i < 2 * fft; ++i) dest[i] = static_cast<float>(work[i]);
  }
  return true;
}

int BRM_ConvolutionEngine::GetStoredImpulseBlocks() const {
  int stored = 0;
  for (int c = 0; c < m_imp_nch && m_fft_size > 0; ++c)
    for (int b = 0; b < m_ring_blocks && b < m_imp_slot[c].GetSize(); ++b) stored += m_imp_slot[c].Get()[b] >= 0;
  return stored;
}

void BRM_ConvolutionEngine::SetUpChannels(int nch) {
  m_chan_count = nch;
  m_hist_block[0] = m_hist_block[1] = 0;
  m_ring_real[0] = m_ring_real[1] = true;
  const int blocks = BlockCount();
  const int blockLen = m_fft_size / 2;
  const bool emptyImpulse = EmptyImpulse();
  int longest = 0;
  for (int i = 0; i < 2; ++i) {
    const int pending = m_in_queue[i].Available() + m_out_queue[i].Available();
    longest = std::max(longest, pending);
    if (i < nch) {
      if (emptyImpulse && m_in_queue[i].Available() > 0) {
        void* run = nullptr;
        for (int at = 0, n; (n = m_in_queue[i].GetPtr(at, &run)) > 0; at += n) m_out_queue[i].Add(run, n);
        m_in_queue[i].Clear();
      }
      if (pending < longest) {
        void* pad = m_out_queue[i].Add(nullptr, longest - pending);
        if (pad) std::memset(pad, 0, longest - pending);
      }
    } else {
      m_in_queue[i].Clear();
      m_out_queue[i].Clear();
    }
    const bool used = i < nch && blocks > 0;
    m_in_block_flags[i].Resize(blocks);
    m_in_block_flags[i].Zero();
    m_in_spectra[i].Resize(used ? 2 * blocks * m_fft_size : 0);
    m_overlap[i].Resize(used ? blockLen : 0);
    if (!(used && m_prepared[i])) {
      m_in_spectra[i].Zero();
      m_overlap[i].Zero();
    }
    if (used) {
      m_pending[i].Build(m_fft_size, blocks);
      m_half[i].Resize(m_fft_size);
      if (m_bridge_on && !SizeBridgeBuffers(i)) m_bridge_on = false;
    }
    m_pending[i].Drop();
    m_unexpanded[i] = -1;
    m_pre_pos[i] = -1;
    m_prepared[i] = false;
    m_ready[i] = ChannelReady(i);
  }
  ResetBridgeLanes();
  m_reserved_len = 0;
}

void BRM_ConvolutionEngine::ReserveFor(int len) {
  // With calls of len samples, an output queue never needs more than twice (len + one block), and
  // the input never holds more than two blocks plus two calls: reserving that once makes a
  // steady stream of such calls allocation-free.
  const int blockLen = m_fft_size / 2;
  const int addBytes = std::max(len, 1) * kSampleBytes;
  for (int i = 0; i < std::max(m_chan_count, 0); ++i) {
    m_out_queue[i].Reserve(2 * (m_out_queue[i].Available() + (len + blockLen) * kSampleBytes));
    if (m_fft_size > 0) {
      const int blockBytes = std::max(m_in_queue[i].GetBlockSize(), addBytes);
      const int usable = blockBytes / addBytes * addBytes;
      m_in_queue[i].ReserveBlocks((2 * (blockLen + len) * kSampleBytes + usable - 1) / usable + 2, blockBytes);
    } else {
      m_direct_hist[i].Reserve(2 * (m_imp_spectra[i < m_imp_nch ? i : i - m_imp_nch].GetSize() + len) * kSampleBytes);
    }
  }
  m_reserved_len = len;
}

void BRM_ConvolutionEngine::Add(double** bufs, int len, int nch) {
  if (len < 0 || len > kMaxCallSamples || nch < 1) return;
  nch = std::min(nch, 2);
  if (m_fft_size <= 0) {
    if (nch != m_chan_count) m_reserved_len = 0;
    m_chan_count = nch;
    if (len > m_reserved_len) ReserveFor(len);
    AddDirect(bufs, len, nch);
    return;
  }
  if (nch != m_chan_count) SetUpChannels(nch);
  if (len > m_reserved_len) ReserveFor(len);
  if (len == 0) return;
  const bool emptyImpulse = EmptyImpulse();
  for (int i = 0; i < nch; ++i) {
    const double* src = ChannelOrNull(bufs, i);
    if (emptyImpulse)
      AppendSamples(m_out_queue[i], src, len);
    else if (m_silent || m_ready[i])
      m_in_queue[i].Add(src, len * kSampleBytes);
  }
}

int BRM_ConvolutionEngine::Avail(int want) {
  if (m_fft_size <= 0 && m_chan_count <= 0) return m_out_queue[0].Available() / kSampleBytes;
  // Before the first Add there is nothing Get could point at.
  if (m_chan_count <= 0) return 0;
  ProcessQueuedBlocks(static_cast<long long>(want) * kSampleBytes);
  int ready = m_out_queue[0].Available();
  for (int d = 1; d < m_chan_count; ++d) ready = std::min(ready, m_out_queue[d].Available());
  return ready / kSampleBytes;
}

void BRM_ConvolutionEngine::ProcessQueuedBlocks(long long wantBytes) {
  const int blockBytes = m_fft_size / 2 * kSampleBytes;
  if (m_fft_size > 0 && m_silent) EmitSilentBlocks(wantBytes);
  if (m_fft_size > 0 && BlockCount() > 0 && m_work.GetSize() == 4 * m_fft_size) {
    for (int d = 0; d < m_chan_count; ++d) {
      if (!m_ready[d]) continue;
      const int f = d < m_imp_nch ? d : m_imp_nch - 1;
      const bool pair = m_imp_nch == 1 && d + 1 < m_chan_count && m_ready[d + 1] && !m_lane[d].tailDue &&
                        !m_lane[d + 1].tailDue && m_in_queue[d].Available() == m_in_queue[d + 1].Available() &&
                        m_out_queue[d].Available() == m_out_queue[d + 1].Available();
      bool sharedAllowed = true;
      // Whether this call completed a block of channel d.
      bool blockDone = false;
      while (m_out_queue[d].Available() < wantBytes &&
             (m_lane[d].tailDue || m_pre_pos[d] >= 0 || m_in_queue[d].Available() >= blockBytes)) {
        if (m_lane[d].tailDue)
          StepNewResult(d, f, 1, 1);
        else
          ProcessBlock(d, f, pair, sharedAllowed);
        blockDone = true;
      }
      if (m_bridge_on) StepBridge(d, f);
      if (m_lane[d].stage == BridgeStage::kIdle) StepPending(d, f, blockDone);
      if (pair) ++d;
    }
  }
}

void BRM_ConvolutionEngine::EmitSilentBlocks(long long wantBytes) {
  // Every product is zero: each whole block queued gives a block of zeros, when a block would.
  const int blockBytes = m_fft_size / 2 * kSampleBytes;
  for (int d = 0; d < m_chan_count; ++d)
    while (m_out_queue[d].Available() < wantBytes && m_in_queue[d].Available() >= blockBytes) {
      m_in_queue[d].Advance(blockBytes);
      AppendSamples(m_out_queue[d], nullptr, m_fft_size / 2);
    }
}

void BRM_ConvolutionEngine::ProcessBlock(int d, int f, bool pair, bool& sharedAllowed) {
  // The routes' own tests are made only where they can pass: the small engines' blocks, due in
  // nearly every call, then run little code besides their own.
  for (int c = 0; c < 2; ++c)
    if (m_unexpanded[c] >= 0) ExpandRingEntry(c);
  const int pos = m_hist_block[d] = (m_hist_block[d] + 1) % BlockCount();
  if (m_pre_pos[d] == pos) {
    ProcessRealBlock(d, f, pos);
    return;
  }
  bool shared = false;
  if (!pair && sharedAllowed) {
    shared = d + 1 < m_chan_count && CanShareRing(d, f, pos);
    if (!shared) sharedAllowed = false;
  }
  if (!pair && !shared && m_bridge_on && BridgeReady(d, f, pos)) {
    ProcessBridgedBlock(d, f, pos);
    return;
  }
  // Any other route leaves the bridge: the next bridged block starts afresh.
  for (int c = d; c < (pair || shared ? d + 2 : d + 1); ++c) {
    m_lane[c] = BridgeLane();
    m_bridge.Begin(c);
  }
  if (!pair && !shared && m_spread && RealBlockReady(d, f, pos)) {
    ProcessRealBlock(d, f, pos);
    return;
  }
  ProcessComplexBlock(d, f, pos, pair, shared);
}

namespace {

// out[k] = now[kStride * k] + tail[k], then tail[k] = later[kStride * k], for k < n (out null:
// the tail only). A fixed stride keeps the loop to one plain version.
template <int kStride>
void OverlapAdd(double* __restrict out, double* __restrict tail, const double* __restrict now, const double* __restrict later,
                int n) {
  if (out)
    for (int k = 0; k < n; ++k) out[k] = now[kStride * k] + tail[k];
  for (int k = 0; k < n; ++k) tail[k] = later[kStride * k];
}

}  // namespace

void BRM_ConvolutionEngine::EmitBlock(int d, const double* result, int stride, bool both) {
  const int blockLen = m_fft_size / 2, blockBytes = blockLen * kSampleBytes;
  for (int part = 0; part < (both ? 2 : 1); ++part) {
    double* out = static_cast<double*>(m_out_queue[d + part].Add(nullptr, blockBytes));
    const double* now = result + part;
    const double* later = result + stride * blockLen + part;
    if (stride == 1)
      OverlapAdd<1>(out, m_overlap[d + part].Get(), now, later, blockLen);
    else
      OverlapAdd<2>(out, m_overlap[d + part].Get(), now, later, blockLen);
  }
}

int BRM_ConvolutionEngine::CollectTerms(int d, int f, int pos, bool shared, int first, const BRM_FFT_COMPLEX** inputs,
                                        const BRM_CONVO_IMPULSEBUFCPLXf** impulses) const {
  const int fft = m_fft_size, blocks = BlockCount();
  // A shared block's products also take the impulse blocks only its partner channel needs.
  const ImpulseBlockState* impulseStates = m_imp_block_flags[f].Get();
  const BRM_FFT_COMPLEX* ring = AsComplex(m_in_spectra[d].Get());
  int terms = 0;
  for (int j = first; j < blocks; ++j) {
    const int entry = (pos - j + blocks) % blocks;
    const bool impulseCounts = shared ? impulseStates[j] != ImpulseBlockState::kSilent : ImpulseAudible(f, j);
    if (!impulseCounts || !InputAudible(d, entry)) continue;
    inputs[terms] = ring + static_cast<long long>(entry) * fft;
    impulses[terms] = ImpulseBlock(f, j);
    ++terms;
  }
  return terms;
}

void BRM_ConvolutionEngine::StartPending(int d, int f, int pos) {
  if (!m_spread) return;
  BRM_CONVO_PendingSum& pending = m_pending[d];
  const int next = (pos + 1) % BlockCount();
  const int terms = CollectTerms(d, f, next, false, 1, pending.Inputs(), pending.Impulses());
  pending.Start(next, terms, Mirrored(d, f) ? &m_mirrored : nullptr);
}

void BRM_ConvolutionEngine::StepPending(int d, int f, bool blockDone) {
  if (m_unexpanded[d] >= 0) {
    if (blockDone) return;
    ExpandRingEntry(d);
  }
  const long long blockLen = m_fft_size / 2;
  const long long queued = m_in_queue[d].Available() / kSampleBytes;
  m_pending[d].StepTo(std::min(queued + m_reserved_len, blockLen), blockLen);
  // A block complete in a call that does not yet need its output (the host's calls end on the
  // block's boundary) is transformed now, leaving the rest of its work to the call that does. A
  // lone channel has no partner that could take the block another way; a bridged engine takes
  // its blocks as they are queued.
  const int next = (m_hist_block[d] + 1) % BlockCount();
  if (!m_bridge_on && m_chan_count == 1 && m_pre_pos[d] < 0 && queued >= blockLen && RealBlockReady(d, f, next)) {
    m_pre_audible[d] = TakeRealBlock(d, next);
    if (m_pre_audible[d]) BRM_real_fft(m_half[d].Get(), m_fft_size, 0);
    m_pre_pos[d] = next;
  }
}

void BRM_ConvolutionEngine::SetSpreading(bool on) {
  m_spread = on;
  if (!on) SetBridging(false);
  m_pending[0].Drop();
  m_pending[1].Drop();
}

double** BRM_ConvolutionEngine::Get() {
  for (int i = 0; i < 2; ++i) m_get_ptrs[i] = static_cast<double*>(m_out_queue[i].Get());
  return m_get_ptrs;
}

void BRM_ConvolutionEngine::Advance(int len) {
  if (len <= 0) return;
  len = std::min(len, kMaxCallSamples);
  // Until the next Advance, a call appends at most its own length and a block.
  const int nextAppend = (std::max(m_reserved_len, len) + std::max(m_fft_size / 2, 0)) * kSampleBytes;
  for (int i = 0; i < 2; ++i) {
    m_out_queue[i].Advance(len * kSampleBytes);
    m_out_queue[i].CompactWhenCheap(nextAppend);
  }
}

void BRM_ConvolutionEngine::AddSilenceToOutput(int len, int nch) {
  if (len <= 0 || len > kMaxCallSamples) return;
  for (int i = 0; i < std::min(nch, 2); ++i) AppendSamples(m_out_queue[i], nullptr, len);
}

void BRM_ConvolutionEngine::Reset() {
  m_hist_block[0] = m_hist_block[1] = 0;
  m_pre_pos[0] = m_pre_pos[1] = -1;
  ResetBridgeLanes();
  m_unexpanded[0] = m_unexpanded[1] = -1;
  m_pending[0].Drop();
  m_pending[1].Drop();
  m_ring_real[0] = m_ring_real[1] = true;
  for (int i = 0; i < 2; ++i) {
    m_in_queue[i].Clear();
    m_direct_hist[i].Clear();
    m_out_queue[i].Clear();
    m_in_block_flags[i].Zero();
    m_in_spectra[i].Zero();
    m_overlap[i].Zero();
  }
}
