#pragma once
// Convolves one or two streaming channels with an impulse response, either directly in the time
// domain (no latency) or by uniformly partitioned FFT convolution with overlap-add (latency of
// half the FFT size). Impulse spectra are kept as floats to halve their memory; all arithmetic
// is in double.
//
// Terms used throughout the engine's files:
// - block: half the FFT size of input samples; the impulse is cut into blocks of the same length.
// - ring: per channel, the spectra of the last input blocks (one entry per impulse block), reused
//   in turn; entry pos holds the block that completed at pos.
// - product: one ring entry times one impulse block's spectrum. A block's output is the inverse
//   transform of the sum of its products: the newest product (the block just completed times
//   impulse block 0) and the older products (earlier blocks times impulse blocks 1, 2, ...).
// - route: how a block's products are computed. Direct (no FFT: convolution_engine_direct.cpp);
//   complex (two channels packed into one transform, or one channel's ring shared by a partner
//   with the same input: convolution_engine_complex.cpp); real (one real channel through real
//   transforms, the older products summed ahead: convolution_engine_real.cpp); bridged (the real
//   route with the block's first outputs computed early: convolution_engine_bridge.cpp).
// - head: the first outputs of a block that the bridge computes by itself, in short pieces, while
//   the block's large transforms are spread over the following calls.
// - lane: one channel's progress through the bridged route (BridgeLane).
#include "base/heap_buf.h"
#include "dsp/brm_queue.h"
#include "dsp/convo_bridge.h"
#include "dsp/convo_cplxmul.h"
#include "dsp/convo_half_spectrum.h"
#include "dsp/convo_mirror.h"
#include "dsp/convo_pending_sum.h"
#include "dsp/fast_queue.h"
#include "dsp/stepped_work.h"
#include "dsp/impulse_buffer.h"

class BRM_ConvolutionEngine {
 public:
  // Longer calls are refused (Add) or clipped (Avail, Advance): byte counts must fit an int.
  static constexpr int kMaxCallSamples = 1 << 26;

  BRM_ConvolutionEngine();
  BRM_ConvolutionEngine(const BRM_ConvolutionEngine&) = delete;
  BRM_ConvolutionEngine& operator=(const BRM_ConvolutionEngine&) = delete;

  // fft_size > 0 uses that size (a power of two 2..32768; anything else is chosen as for 0);
  // fft_size <= 0 chooses the smallest size holding twice the impulse, limited by -2*fft_size
  // when fft_size <= -16. Returns the latency in samples (0 in direct mode). A null impulse or an
  // offset past its end gives an empty impulse, which passes audio through unchanged.
  int SetImpulse(const BRM_ImpulseBuffer* impulse, int fft_size = -1, int impulse_offset = 0, int max_imp_size = 0,
                 bool force_direct = false);
  int GetFFTSize() const { return m_fft_size; }
  int GetLatency() const { return m_fft_size / 2; }

  // Forgets all audio, keeps the impulse.
  void Reset();
  // Queues len samples of nch (1 or 2) channels; a null array or channel means silence.
  void Add(double** bufs, int len, int nch);
  // Returns how many samples every processing channel has ready, up to want. It is also where the
  // convolution runs (ProcessQueuedBlocks).
  int Avail(int want);
  // One pointer per channel to its first ready sample (null for a channel with none).
  double** Get();
  void Advance(int len);
  void AddSilenceToOutput(int len, int nch);
  // On (the default), each block's products with older input are summed ahead, a share per call,
  // in the calls before the block completes; off, the whole sum is done when the block completes.
  // The two differ only in the order of additions, that is in rounding.
  void SetSpreading(bool on);
  // For an engine whose block output is due in the call that completes the block: on, a real
  // channel's blocks leave that call with small transforms only. The first outputs of each block
  // take its newest product through a bridge (see BRM_CONVO_Bridge); the block's large transforms
  // follow over the next calls, and the older products' sum is summed and inverse-transformed
  // ahead, before the block completes. Needs spreading; set after SetImpulse. The outputs differ
  // from whole blocks only in rounding, and not at all with the way calls are cut.
  void SetBridging(bool on);
  bool GetBridging() const { return m_bridge_on; }
  // On (the default), impulse blocks that are silent are neither stored nor multiplied, the ring
  // of input spectra ends at the last audible block, and an impulse with no audible block costs
  // no transform at all. The output is the same to the bit. Takes effect at the next SetImpulse.
  void SetZeroSkipping(bool on) { m_skip_zero = on; }
  // An impulse (not empty) with nothing audible: the engine only gives back silence.
  bool IsSilent() const { return m_silent; }
  // Impulse blocks whose spectra are stored, over all impulse channels, and the input spectra
  // each processing channel keeps (0 in direct mode).
  int GetStoredImpulseBlocks() const;
  int GetRingBlocks() const { return m_ring_blocks; }
  // The memory one channel of a real stream walks over: per block in FFT mode (call_len unused),
  // per call of call_len samples in direct mode; and the spectra the engine keeps for one channel.
  // Both follow from the layout (see convolution_engine_footprint.cpp), not from a measurement.
  long long GetTouchedBytes(int call_len) const;
  long long GetSpectraBytes() const;

  // Owned by the divided engine: where this engine's segment starts in the whole impulse, and how
  // many leading zero samples were fed in to stagger its block boundaries.
  int m_seg_offset = 0;
  int m_preroll = 0;

 private:
  // What an impulse block holds: nothing audible; nothing of its own but an audible block in the
  // partner impulse channel (a shared product still needs its spectrum); sound of its own.
  enum class ImpulseBlockState : char { kSilent = 0, kPartnerOnly = 1, kAudible = 2 };
  // What a ring entry holds: a silent block (never transformed); the block of a channel whose ring
  // a partner shares; the channel's own block, transformed from its own input.
  enum class InputBlockState : char { kSilent = 0, kShared = 1, kOwn = 2 };

  int BlockCount() const { return m_ring_blocks; }
  bool EmptyImpulse() const { return m_imp_len < 1; }
  // Whether impulse channel f's block j has its own sound, and whether channel d's ring entry holds sound.
  bool ImpulseAudible(int f, int j) const { return m_imp_block_flags[f].Get()[j] == ImpulseBlockState::kAudible; }
  bool InputAudible(int d, int pos) const { return m_in_block_flags[d].Get()[pos] != InputBlockState::kSilent; }
  // Sets direct mode up: the taps reversed, as floats. Returns the latency (0).
  int SetDirectImpulse(const BRM_ImpulseBuffer* impulse, int channels, int offset, int max_imp_size);

  // Impulse channel c's block j as stored (null: silent, never stored).
  const BRM_CONVO_IMPULSEBUFCPLXf* ImpulseBlock(int c, int j) const {
    const int slot = m_imp_slot[c].Get()[j];
    if (slot < 0) return nullptr;
    return reinterpret_cast<const BRM_CONVO_IMPULSEBUFCPLXf*>(m_imp_spectra[c].Get()) + static_cast<long long>(slot) * m_fft_size;
  }
  // Flags every block of impulse channel c (see m_imp_block_flags) and returns the number of
  // blocks up to the last audible one.
  int FlagImpulseBlocks(const BRM_ImpulseBuffer* impulse, int c, int offset, int max_imp_size, int blocks);
  bool StoreImpulseSpectra(const BRM_ImpulseBuffer* impulse, int c, int offset, int max_imp_size);
  // Avail's work: whole blocks queued by Add are processed until every channel has wantBytes ready
  // (or input runs out), and the work summed ahead moves on a share.
  void ProcessQueuedBlocks(long long wantBytes);
  void EmitSilentBlocks(long long wantBytes);
  bool ChannelReady(int ch) const;
  void SetUpChannels(int nch);
  void ReserveFor(int len);
  void AddDirect(double** bufs, int len, int nch);
  // Processes channel d's next whole block (and its partner's when pair) by whichever route fits.
  void ProcessBlock(int d, int f, bool pair, bool& sharedAllowed);
  // Whether channel d's partner can take the next block from d's ring: same input pending and
  // no own block of either in the ring but the one at pos.
  bool CanShareRing(int d, int f, int pos) const;
  // The complex route: block pos of channel d transformed in its ring entry, packed with the
  // partner's (pair) or handed to the partner too (shared).
  void ProcessComplexBlock(int d, int f, int pos, bool pair, bool shared);
  // A block of a real channel whose older products are summed ahead, through real transforms.
  bool RealBlockReady(int d, int f, int pos) const;
  // Whether block pos of channel d has products with older blocks (a real channel's).
  bool HasOlderTerms(int d, int f, int pos) const;
  void ProcessRealBlock(int d, int f, int pos);
  // Moves block pos of real channel d from the queue into m_half[d] (zero-padded), denormals
  // filtered; returns whether it is audible, as its ring flag says.
  bool TakeRealBlock(int d, int pos);
  // Overlap-adds one inverse-transformed block (values stride apart, channel d's at offset 0 and
  // the partner's at 1 when both) onto the output queues.
  // stride: 1 or 2.
  void EmitBlock(int d, const double* result, int stride, bool both);
  // Writes the spectrum of channel d's last real block into its ring entry (the sources of its
  // conjugate pairs); done in the call after the block so as not to lengthen the call that
  // completes it.
  void ExpandRingEntry(int d);
  // Writes the mirror positions of every entry of a real channel's ring, which the real route
  // leaves unwritten (see BRM_CONVO_HalfSpectrum), before the ring is read whole.
  void CompleteRealRing(int d);
  // Whether the next count samples pending in channel b equal those pending in channel a.
  bool PendingInputsEqual(int a, int b, int count) const;
  // Lists the products with impulse blocks first.. that make up block pos of channel d (ring
  // spectrum, impulse spectrum) in inputs and impulses, in order; returns how many there are.
  int CollectTerms(int d, int f, int pos, bool shared, int first, const BRM_FFT_COMPLEX** inputs,
                   const BRM_CONVO_IMPULSEBUFCPLXf** impulses) const;
  // The inverse-transformed sum of block pos (whole or completed from the pending sum), 2F doubles.
  const double* Accumulate(int d, int f, int pos, bool shared);
  // Starts summing the older products of channel d's block after pos, and moves that work on by
  // the share of the block already queued (plus one call, so it is done before the block is).
  void StartPending(int d, int f, int pos);
  void StepPending(int d, int f, bool blockDone);
  // Whether channel d's products with impulse channel f are all between spectra of real signals.
  bool Mirrored(int d, int f) const {
    return m_mirrored.GetFFTSize() == m_fft_size && f + 1 >= m_imp_nch && m_ring_real[d];
  }

  // Where a bridged channel's work between two of its block boundaries stands: the newest
  // block's transforms (its outputs after the bridged head are due once they are done), then the
  // next block's older products, then their inverse transform.
  enum class BridgeStage { kIdle, kNewest, kOlderSum, kOlderInverse, kOlderReady };
  // The engine's own pieces of the stepped work.
  enum BridgeStep : int { kCombineNewest, kExpandNewest, kCombineOlder };
  struct StepContext {
    BRM_ConvolutionEngine* engine;
    int d;
    int f;
    const BRM_FFT_COMPLEX* olderSum;
  };
  static void RunBridgeStep(void* context, int id, int begin, int end);
  struct BridgeLane {
    BridgeStage stage = BridgeStage::kIdle;
    // The block last completed, whether it and its newest product are not silent, and whether its
    // outputs after the head are still to be emitted.
    int pos = -1;
    bool audible = false;
    bool newest = false;
    bool tailDue = false;
    // The block whose older products' result m_older holds or is being transformed into.
    int olderKey = -1;
    // Which of m_blocks the block being queued is filtered into, chunk by chunk, and whether
    // those chunks hold sound; the block buffer the last block's transforms work in.
    int incoming = 0;
    bool incomingAudible = false;
    double* block = nullptr;
  };
  bool BuildBridge();
  bool SizeBridgeBuffers(int d);
  void ResetBridgeLanes();
  bool BridgeReady(int d, int f, int pos);
  void ProcessBridgedBlock(int d, int f, int pos);
  // Makes m_older hold the older products' result for block pos.
  void EnsureOlder(int d, int f, int pos);
  void StartOlderInverse(int d, int f, const BRM_FFT_COMPLEX* sum, int key);
  // Feeds the bridge the whole chunks among the first upto samples queued.
  void AddBridgeChunks(int d, int upto);
  // Moves the newest block's transforms on to the share done/whole; when they are complete,
  // emits the block's remaining outputs and starts the next block's older sum.
  void StepNewResult(int d, int f, long long done, long long whole);
  // Emits outputs from..to-1 of the block: the older result, fresh[k - from] (the newest
  // product's part; null: none) and the overlap; the last one also lays the next overlap.
  void EmitBridgedOutputs(int d, const double* fresh, int from, int to);
  void StepBridge(int d, int f);

  // What a call reads whatever its work: first and together, so that an engine with nothing to
  // do in a call costs the call a few cache lines.
  int m_fft_size = 0;
  int m_chan_count = 0;
  int m_imp_len = 0;
  int m_imp_nch = 1;
  // Blocks in the ring of input spectra (and of impulse blocks considered).
  int m_ring_blocks = 0;
  // The longest call the queues have been reserved for since the channels were set up.
  int m_reserved_len = 0;
  int m_hist_block[2] = {0, 0};
  // Channel d's ring position of its last real block until expanded (-1; the block is in m_half).
  int m_unexpanded[2] = {-1, -1};
  // A block already taken from the queue and transformed ahead of its call (-1: none).
  int m_pre_pos[2] = {-1, -1};
  bool m_pre_audible[2] = {false, false};
  // Per processing channel: its state is sized for the impulse (ChannelReady, as the channels
  // were last set up).
  bool m_ready[2] = {false, false};
  bool m_silent = false;
  bool m_spread = true;
  bool m_bridge_on = false;
  bool m_skip_zero = true;
  // No block in the ring was computed as a packed pair since the ring was last cleared.
  bool m_ring_real[2] = {true, true};
  // The channel's ring and overlap are sized for the impulse and still all zero.
  bool m_prepared[2] = {false, false};
  // Direct mode: the impulse channel's taps are all zero.
  bool m_direct_silent[2] = {false, false};
  double* m_get_ptrs[2] = {nullptr, nullptr};
  BRM_Queue m_out_queue[2];
  BRM_FastQueue m_in_queue[2];
  BridgeLane m_lane[2];
  BRM_TypedBuf<double> m_work;
  BRM_TypedBuf<double> m_in_spectra[2];
  BRM_TypedBuf<InputBlockState> m_in_block_flags[2];
  BRM_TypedBuf<double> m_overlap[2];
  BRM_TypedBuf<float> m_imp_spectra[2];
  BRM_TypedBuf<ImpulseBlockState> m_imp_block_flags[2];
  // Per impulse channel and block, where its spectrum is stored in m_imp_spectra (-1: not stored).
  BRM_TypedBuf<int> m_imp_slot[2];
  BRM_Queue m_direct_hist[2];
  BRM_TypedBuf<const BRM_FFT_COMPLEX*> m_term_inputs;
  BRM_TypedBuf<const BRM_CONVO_IMPULSEBUFCPLXf*> m_term_impulses;
  BRM_CONVO_MirroredSum m_mirrored;
  BRM_CONVO_PendingSum m_pending[2];
  BRM_CONVO_HalfSpectrum m_half_map;
  // Channel d's last real block in the half layout.
  BRM_TypedBuf<double> m_half[2];
  BRM_CONVO_Bridge m_bridge;
  // Per channel: an audible block's transforms (with or without its newest product), and the
  // older products' inverse transform.
  BRM_SteppedWork m_newest_work[2];
  BRM_SteppedWork m_spectrum_work[2];
  BRM_SteppedWork m_older_work[2];
  StepContext m_step_context[2] = {};
  // The older products' result and the newest product's, F doubles each, per channel.
  BRM_TypedBuf<double> m_older[2];
  BRM_TypedBuf<double> m_newest[2];
  // Two block buffers per channel, taking turns: one fills as its block is queued while the
  // other's transforms run.
  BRM_TypedBuf<double> m_blocks[2][2];
  BRM_TypedBuf<double> m_bridge_scratch;
};
