// The bridged route of a real channel: see BRM_ConvolutionEngine::SetBridging.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/convo_engine_parts.h"
#include "dsp/convolution_engine.h"
#include "dsp/denormal_filter.h"

namespace {

using brm_convo::AsComplex;
using brm_convo::kSampleBytes;

// Outputs bridged at the start of each block: the newest block's two large transforms are
// spread over the calls that take this many samples.
constexpr int kHeadDivisor = 16;
constexpr int kMinHead = 32;
// The share of a block at whose end the older products' sum must be complete; the rest of the
// block inverse-transforms it.
constexpr int kOlderInverseDivisor = 8;
// Elements of a spectrum the engine's own steps do at a time, and their cost per element in the
// stepped work's units (measured: both reach scattered positions of the full spectrum).
constexpr int kStepGrain = 2048;
constexpr int kCombineCost = 8;
constexpr int kExpandCost = 5;

}  // namespace

void BRM_ConvolutionEngine::SetBridging(bool on) {
  m_bridge_on = false;
  ResetBridgeLanes();
  if (on && m_spread && m_fft_size > 0 && BlockCount() > 0) m_bridge_on = BuildBridge();
}

bool BRM_ConvolutionEngine::BuildBridge() {
  const int fft = m_fft_size, blockLen = fft / 2, head = blockLen / kHeadDivisor;
  if (head < kMinHead || m_half_map.GetFFTSize() != fft || !m_bridge_scratch.Resize(std::max(fft, head)) ||
      !SizeBridgeBuffers(0))
    return false;
  for (int d = 0; d < 2; ++d) {
    m_newest_work[d].Clear();
    m_spectrum_work[d].Clear();
    m_older_work[d].Clear();
    const bool laidOut =
        m_newest_work[d].AddRealTransform(0, fft, 0) &&
        m_newest_work[d].AddOwn(kCombineNewest, blockLen, kStepGrain, kCombineCost) &&
        m_newest_work[d].AddOwn(kExpandNewest, blockLen, kStepGrain, kExpandCost) &&
        m_newest_work[d].AddRealTransform(1, fft, 1) && m_spectrum_work[d].AddRealTransform(0, fft, 0) &&
        m_spectrum_work[d].AddOwn(kExpandNewest, blockLen, kStepGrain, kExpandCost) &&
        m_older_work[d].AddOwn(kCombineOlder, blockLen, kStepGrain, kCombineCost) &&
        m_older_work[d].AddRealTransform(0, fft, 1);
    if (!laidOut) return false;
  }
  // The newest product's circular kernel: the block route's response to a unit impulse (none
  // when the impulse's first block is silent, as the route then adds no product).
  const int f = m_imp_nch - 1;
  double* unit = m_half[0].Get();
  double* kernel = m_bridge_scratch.Get();
  std::memset(kernel, 0, sizeof(double) * fft);
  if (ImpulseAudible(f, 0)) {
    std::memset(unit, 0, sizeof(double) * fft);
    unit[0] = 1.0;
    BRM_real_fft(unit, fft, 0);
    m_half_map.Combine(AsComplex(kernel), AsComplex(unit), nullptr, ImpulseBlock(f, 0));
    BRM_real_fft(kernel, fft, 1);
  }
  return m_bridge.Build(kernel, blockLen, head);
}

void BRM_ConvolutionEngine::RunBridgeStep(void* context, int id, int begin, int end) {
  const StepContext& c = *static_cast<StepContext*>(context);
  BRM_ConvolutionEngine& e = *c.engine;
  const BRM_CONVO_IMPULSEBUFCPLXf* impulse = e.ImpulseBlock(c.f, 0);
  const BRM_FFT_COMPLEX* half = AsComplex(e.m_lane[c.d].block);
  switch (id) {
    case kCombineNewest: e.m_half_map.Combine(AsComplex(e.m_newest[c.d].Get()), half, nullptr, impulse, begin, end); break;
    case kExpandNewest:
      e.m_half_map.Expand(AsComplex(e.m_in_spectra[c.d].Get()) + static_cast<long long>(e.m_lane[c.d].pos) * e.m_fft_size,
                          half, begin, end);
      break;
    case kCombineOlder: e.m_half_map.Combine(AsComplex(e.m_older[c.d].Get()), nullptr, c.olderSum, impulse, begin, end); break;
    default: break;
  }
}

bool BRM_ConvolutionEngine::SizeBridgeBuffers(int d) {
  const bool sized = m_older[d].Resize(m_fft_size) && m_newest[d].Resize(m_fft_size) && m_half[d].Resize(m_fft_size) &&
                     m_blocks[d][0].Resize(m_fft_size) && m_blocks[d][1].Resize(m_fft_size);
  if (sized) {
    m_blocks[d][0].Zero();
    m_blocks[d][1].Zero();
  }
  return sized;
}

void BRM_ConvolutionEngine::ResetBridgeLanes() {
  for (int d = 0; d < 2; ++d) {
    m_lane[d] = BridgeLane();
    m_bridge.Begin(d);
    // A block's transform may have been left half done in either buffer.
    for (BRM_TypedBuf<double>& buffer : m_blocks[d])
      if (buffer.GetSize() == m_fft_size) buffer.Zero();
  }
}

bool BRM_ConvolutionEngine::BridgeReady(int d, int f, int pos) {
  if (!m_bridge_on || !Mirrored(d, f) || m_older[d].GetSize() != m_fft_size || m_newest[d].GetSize() != m_fft_size ||
      m_half[d].GetSize() != m_fft_size)
    return false;
  const BridgeLane& lane = m_lane[d];
  if ((lane.stage == BridgeStage::kOlderInverse || lane.stage == BridgeStage::kOlderReady) && lane.olderKey == pos) return true;
  if (m_pending[d].GetKey() == pos && m_pending[d].IsMirrored()) return true;
  // Nothing older to sum (the first block, or silence since): the older result is zero.
  return !HasOlderTerms(d, f, pos);
}

void BRM_ConvolutionEngine::StartOlderInverse(int d, int f, const BRM_FFT_COMPLEX* sum, int key) {
  BridgeLane& lane = m_lane[d];
  lane.olderKey = key;
  if (!sum || m_pending[d].GetTerms() == 0) {
    std::memset(m_older[d].Get(), 0, sizeof(double) * m_fft_size);
    lane.stage = BridgeStage::kOlderReady;
    return;
  }
  m_step_context[d] = {this, d, f, sum};
  m_older_work[d].Start(m_older[d].Get(), nullptr, RunBridgeStep, &m_step_context[d]);
  lane.stage = BridgeStage::kOlderInverse;
}

void BRM_ConvolutionEngine::EnsureOlder(int d, int f, int pos) {
  BridgeLane& lane = m_lane[d];
  const bool started =
      (lane.stage == BridgeStage::kOlderInverse || lane.stage == BridgeStage::kOlderReady) && lane.olderKey == pos;
  if (!started) StartOlderInverse(d, f, m_pending[d].GetKey() == pos ? m_pending[d].FinishSources(pos) : nullptr, pos);
  m_pending[d].Drop();
  m_older_work[d].Finish();
  lane.stage = BridgeStage::kOlderReady;
}

void BRM_ConvolutionEngine::AddBridgeChunks(int d, int upto) {
  const int head = m_bridge.GetHead();
  double* incoming = m_blocks[d][m_lane[d].incoming].Get();
  bool audible = m_lane[d].incomingAudible;
  for (int k = m_bridge.ChunksAdded(d); k < m_bridge.GetChunks() && (k + 1) * head <= upto; ++k) {
    double* chunk = incoming + k * head;
    // The same values, and the same test for silence, as the block's own transform takes.
    const bool whole = brm_convo::VisitPending(m_in_queue[d], nullptr, (k + 1) * head, [&](const double* x, const double*, int done, int n) {
      for (int i = std::max(k * head - done, 0); i < n; ++i) {
        const double v = denormal_filter_aggressive(x[i]);
        incoming[done + i] = v;
        audible = audible || std::fabs(v) > brm_convo::kInputSilence;
      }
      return true;
    });
    if (!whole) break;
    m_bridge.AddChunk(d, chunk);
  }
  m_lane[d].incomingAudible = audible;
}

void BRM_ConvolutionEngine::ProcessBridgedBlock(int d, int f, int pos) {
  const int head = m_bridge.GetHead(), blockLen = m_fft_size / 2;
  EnsureOlder(d, f, pos);
  AddBridgeChunks(d, blockLen);
  BridgeLane& lane = m_lane[d];
  // The block was filtered into the incoming buffer chunk by chunk as it was queued; that buffer
  // becomes the block's, the other one (free since the last block's transforms) the incoming one.
  const bool complete = m_bridge.ChunksAdded(d) == m_bridge.GetChunks();
  const bool audible = complete ? lane.incomingAudible : TakeRealBlock(d, pos);
  if (complete) {
    lane.block = m_blocks[d][lane.incoming].Get();
    lane.incoming ^= 1;
    m_in_queue[d].Advance(blockLen * kSampleBytes);
    m_in_block_flags[d].Get()[pos] = audible ? InputBlockState::kOwn : InputBlockState::kSilent;
  } else {
    lane.block = m_half[d].Get();
  }
  const bool newest = audible && ImpulseAudible(f, 0);
  double* bridged = m_bridge_scratch.Get();
  if (newest) m_bridge.Output(d, bridged);
  EmitBridgedOutputs(d, newest ? bridged : nullptr, 0, head);
  m_bridge.Begin(d);
  lane.incomingAudible = false;
  lane.pos = pos;
  lane.audible = audible;
  lane.newest = newest;
  lane.tailDue = true;
  lane.stage = BridgeStage::kNewest;
  if (audible) {
    m_step_context[d] = {this, d, f, nullptr};
    (newest ? m_newest_work : m_spectrum_work)[d].Start(lane.block, m_newest[d].Get(), RunBridgeStep,
                                                       &m_step_context[d]);
  }
  StepNewResult(d, f, 0, 1);
}

void BRM_ConvolutionEngine::StepNewResult(int d, int f, long long done, long long whole) {
  BridgeLane& lane = m_lane[d];
  BRM_SteppedWork& work = (lane.newest ? m_newest_work : m_spectrum_work)[d];
  work.StepTo(done, whole);
  if (work.Busy()) return;
  const int blockLen = m_fft_size / 2;
  // The transformed buffer takes the next block but one, whose zero padding must be zero.
  if (lane.audible && lane.block != m_half[d].Get()) std::memset(lane.block + blockLen, 0, sizeof(double) * blockLen);
  const int head = m_bridge.GetHead();
  EmitBridgedOutputs(d, lane.newest ? m_newest[d].Get() + head : nullptr, head, blockLen);
  lane.tailDue = false;
  lane.stage = BridgeStage::kOlderSum;
  StartPending(d, f, lane.pos);
}

void BRM_ConvolutionEngine::EmitBridgedOutputs(int d, const double* fresh, int from, int to) {
  const int blockLen = m_fft_size / 2;
  const double* older = m_older[d].Get();
  double* overlap = m_overlap[d].Get();
  double* out = static_cast<double*>(m_out_queue[d].Add(nullptr, (to - from) * kSampleBytes));
  for (int k = from; k < to && out; ++k) out[k - from] = (older[k] + (fresh ? fresh[k - from] : 0.0)) + overlap[k];
  if (to < blockLen) return;
  const double* newest = m_lane[d].newest ? m_newest[d].Get() : nullptr;
  for (int k = 0; k < blockLen; ++k) overlap[k] = older[blockLen + k] + (newest ? newest[blockLen + k] : 0.0);
}

void BRM_ConvolutionEngine::StepBridge(int d, int f) {
  BridgeLane& lane = m_lane[d];
  const long long blockLen = m_fft_size / 2, head = m_bridge.GetHead();
  const long long queued = std::min<long long>(m_in_queue[d].Available() / kSampleBytes, blockLen);
  // The newest block's outputs after the head are due in the call that queues past the head, so
  // its transforms are shared out over the calls up to then, none in the call completing the
  // block. The next block's older result is due in the call that completes it, so that work runs
  // one call ahead.
  const long long ahead = std::min(queued + m_reserved_len, blockLen);
  const long long olderStart = blockLen - blockLen / kOlderInverseDivisor;
  if (lane.stage == BridgeStage::kNewest) StepNewResult(d, f, queued, head);
  if (Mirrored(d, f)) AddBridgeChunks(d, static_cast<int>(queued));
  if (lane.stage == BridgeStage::kIdle) return;
  if (lane.stage == BridgeStage::kOlderSum) {
    const int key = m_pending[d].GetKey();
    m_pending[d].StepTo(ahead - head, olderStart - head);
    if (ahead >= olderStart || key < 0) StartOlderInverse(d, f, key < 0 ? nullptr : m_pending[d].FinishSources(key), key);
  }
  if (lane.stage == BridgeStage::kOlderInverse) {
    m_older_work[d].StepTo(ahead - olderStart, blockLen - olderStart);
    if (!m_older_work[d].Busy()) lane.stage = BridgeStage::kOlderReady;
  }
}
