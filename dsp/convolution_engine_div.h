#pragma once
// Zero- or low-latency convolution with a long impulse: the impulse is cut into segments of
// growing length, each convolved by its own engine whose block latency is hidden by the segment's
// distance from the start, and the engines' outputs are summed.
#include "base/ptr_list.h"
#include "dsp/brm_queue.h"
#include "dsp/convolution_engine.h"
#include "dsp/impulse_buffer.h"

class BRM_ConvolutionEngine_Div {
 public:
  BRM_ConvolutionEngine_Div() = default;
  ~BRM_ConvolutionEngine_Div();
  BRM_ConvolutionEngine_Div(const BRM_ConvolutionEngine_Div&) = delete;
  BRM_ConvolutionEngine_Div& operator=(const BRM_ConvolutionEngine_Div&) = delete;

  // max_fft_size: half the largest FFT size (0 = 16384); known_blocksize: the host's block size
  // when known (0 = not); max_imp_size: cap on the impulse length (0 = none); impulse_offset:
  // samples skipped at the start; latency_allowed: samples (0 = none). Returns the latency.
  int SetImpulse(const BRM_ImpulseBuffer* impulse, int max_fft_size = 0, int known_blocksize = 0,
                 int max_imp_size = 0, int impulse_offset = 0, int latency_allowed = 0);
  int GetLatency() const;
  void Reset();

  void Add(double** bufs, int len, int nch);
  // Number of summed samples ready, never more than want. It is also where the engines'
  // convolution runs (each engine's Avail) and their outputs are summed.
  int Avail(int want);
  double** Get();
  void Advance(int len);

  // On (the default), the engines with large blocks sum them ahead (see
  // BRM_ConvolutionEngine::SetSpreading); off, every engine sums whole blocks. Takes effect at the
  // next SetImpulse.
  void SetSpreading(bool on) { m_spread = on; }
  // On (the default), the largest engines bridge their blocks' first outputs (see
  // BRM_ConvolutionEngine::SetBridging); off, they run the schedule they had before bridging, for
  // the benchmarks that compare the two. Takes effect at the next SetImpulse.
  void SetBridging(bool on) { m_bridge = on; }
  // On (the default), silent stretches of the impulse cost neither memory nor work (see
  // BRM_ConvolutionEngine::SetZeroSkipping); the output is the same to the bit. Takes effect at
  // the next SetImpulse.
  void SetZeroSkipping(bool on) { m_skip_zero = on; }

  // Bytes the engines walk over per second of a real mono stream at this rate, in host calls of
  // call_len samples, and the spectra they keep (see BRM_ConvolutionEngine::GetTouchedBytes).
  double GetTouchedBytesPerSecond(double rate, int call_len) const;
  long long GetSpectraBytes() const;

  int GetEngineCount() const { return m_engines.GetSize(); }
  const BRM_ConvolutionEngine* GetEngine(int index) const { return m_engines.Get(index); }

 private:
  void Prime(int nch);

  BRM_PtrList<BRM_ConvolutionEngine> m_engines;
  BRM_Queue m_sum_queue[2];
  double* m_get_ptrs[2] = {nullptr, nullptr};
  int m_chan_count = 2;
  bool m_first_add = true;
  bool m_spread = true;
  bool m_bridge = true;
  bool m_skip_zero = true;
};
