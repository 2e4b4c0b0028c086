#include "dsp/impulse_buffer.h"

#include <algorithm>
#include <cstring>

int BRM_ImpulseBuffer::SetLength(int samples) {
  if (samples < 0) samples = 0;
  for (int c = 0; c < m_channel_count; ++c) {
    BRM_TypedBuf<double>& channel = m_channel_data[c];
    const int oldLength = channel.GetSize();
    if (oldLength == samples) continue;
    if (!channel.Resize(samples) && samples > 0) {
      m_channel_data[0].Resize(0);
      m_channel_data[1].Resize(0);
      return 0;
    }
    if (samples > oldLength) std::memset(channel.Get() + oldLength, 0, sizeof(double) * (samples - oldLength));
  }
  return GetLength();
}

void BRM_ImpulseBuffer::SetNumChannels(int channels) {
  channels = std::clamp(channels, 1, 2);
  const int oldCount = m_channel_count;
  if (channels > oldCount) {
    m_channel_count = channels;
    const int length = SetLength(GetLength());
    if (length > 0)
      for (int c = oldCount; c < channels; ++c)
        std::memcpy(m_channel_data[c].Get(), m_channel_data[(c - oldCount) % oldCount].Get(), sizeof(double) * length);
  } else if (channels < oldCount) {
    m_channel_count = channels;
    for (int c = channels; c < 2; ++c) m_channel_data[c].Resize(0);
  }
}
