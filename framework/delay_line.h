#pragma once
// Multichannel delay line that keeps bypassed audio aligned with a plug-in's latency.
#include "base/heap_buf.h"

class NChanDelayLine {
 public:
  NChanDelayLine(int nInChans, int nOutChans)
      : mNInChans(nInChans > 0 ? nInChans : 0), mNOutChans(nOutChans > 0 ? nOutChans : 0) {}
  NChanDelayLine(const NChanDelayLine&) = delete;
  NChanDelayLine& operator=(const NChanDelayLine&) = delete;

  // Allocates, so never called on the audio path. Clears the line. A delay of 0 passes audio through.
  void SetDelayTime(int delaySamples);
  unsigned GetDelayTime() const { return mDelay; }
  // Delays each channel below both channel counts by exactly the delay; allocates nothing.
  void ProcessBlock(double** inputs, double** outputs, int nFrames);

 private:
  BRM_TypedBuf<double> mBuffer;
  unsigned mWritePos = 0;
  unsigned mNInChans;
  unsigned mNOutChans;
  unsigned mDelay = 0;
};
