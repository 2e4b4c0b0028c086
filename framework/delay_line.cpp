#include "framework/delay_line.h"

#include <climits>
#include <cstring>

void NChanDelayLine::SetDelayTime(int delaySamples) {
  unsigned delay = delaySamples > 0 ? static_cast<unsigned>(delaySamples) : 0;
  long long size = static_cast<long long>(delay) * mNInChans;
  // A delay too long to hold falls back to passing audio through rather than failing later.
  bool held = size <= INT_MAX / static_cast<long long>(sizeof(double)) && (size == 0 || mBuffer.Resize(static_cast<int>(size)));
  if (!held || size == 0) mBuffer.Resize(0);
  mDelay = held ? delay : 0;
  mWritePos = 0;
  mBuffer.Zero();
}

void NChanDelayLine::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  unsigned nChans = mNInChans < mNOutChans ? mNInChans : mNOutChans;
  if (mDelay == 0) {
    for (unsigned c = 0; c < nChans; ++c)
      if (outputs[c] != inputs[c]) std::memmove(outputs[c], inputs[c], sizeof(double) * (nFrames > 0 ? nFrames : 0));
    return;
  }
  double* buffer = mBuffer.Get();
  for (int s = 0; s < nFrames; ++s) {
    for (unsigned c = 0; c < nChans; ++c) {
      double* slot = buffer + c * mDelay + mWritePos;
      double input = inputs[c][s];
      outputs[c][s] = *slot;
      *slot = input;
    }
    if (++mWritePos == mDelay) mWritePos = 0;
  }
}
