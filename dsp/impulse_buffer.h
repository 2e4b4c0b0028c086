#pragma once
// An impulse response of one or two channels of doubles, with the rate it was made for.
#include "base/heap_buf.h"

class BRM_ImpulseBuffer {
 public:
  int GetNumChannels() const { return m_channel_count; }
  int GetLength() const { return m_channel_data[0].GetSize(); }
  // Resizes every used channel, zero-filling growth. Returns the new length; on a failed
  // allocation both channels are emptied and 0 is returned.
  int SetLength(int samples);
  // Clamped to 1..2; a new channel starts as a copy of the existing one.
  void SetNumChannels(int channels);

  double m_samplerate = 44100.0;
  BRM_TypedBuf<double> m_channel_data[2];
  int m_channel_count = 1;
};
