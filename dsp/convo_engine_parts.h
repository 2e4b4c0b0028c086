#pragma once
// Small pieces the convolution engine's source files share.
#include <algorithm>
#include <cstring>

#include "base/heap_buf.h"
#include "dsp/brm_queue.h"

#include "dsp/fast_queue.h"
#include "dsp/fft.h"

namespace brm_convo {

constexpr int kSampleBytes = static_cast<int>(sizeof(double));
// Input blocks (after the denormal filter) quieter than this are neither transformed nor multiplied.
constexpr double kInputSilence = 1e-12;

inline BRM_FFT_COMPLEX* AsComplex(double* p) { return reinterpret_cast<BRM_FFT_COMPLEX*>(p); }

// Samples of one impulse channel used after the offset and the cap.
inline int UsedLength(const BRM_TypedBuf<double>& channel, int offset, int maxImpSize) {
  int n = std::max(channel.GetSize() - offset, 0);
  if (maxImpSize > 0 && maxImpSize < n) n = maxImpSize;
  return n;
}

// Appends samples (zeros for null) to an output queue.
inline void AppendSamples(BRM_Queue& queue, const double* src, int count) {
  void* region = queue.Add(src, count * kSampleBytes);
  if (region && !src) std::memset(region, 0, sizeof(double) * count);
}

inline const double* ChannelOrNull(double** bufs, int ch) { return bufs ? bufs[ch] : nullptr; }

// Calls visit(a_samples, b_samples, done, n) on each stretch of the next count samples that lies
// contiguous in queue a (and in b alongside, when b is given; null otherwise); stops when visit
// returns false or a queue runs short. Returns whether all count samples were visited.
template <class Visit>
inline bool VisitPending(const BRM_FastQueue& a, const BRM_FastQueue* b, int count, Visit visit) {
  int done = 0;
  while (done < count) {
    void* runA = nullptr;
    void* runB = nullptr;
    int n = a.GetPtr(done * kSampleBytes, &runA) / kSampleBytes;
    if (b) n = std::min(n, b->GetPtr(done * kSampleBytes, &runB) / kSampleBytes);
    n = std::min(n, count - done);
    if (n <= 0 || !visit(static_cast<const double*>(runA), static_cast<const double*>(runB), done, n)) return false;
    done += n;
  }
  return true;
}

}  // namespace brm_convo
