#pragma once
// Watches rendered output for the point where a unit's tail has died away: the output has stayed
// below -96 dBFS (the floor of 16-bit audio) on every channel for a given number of frames.
#include <sndfile.h>

namespace korval_host {

class SilenceWatch {
 public:
  static constexpr float kQuietLevel = 1.5848932e-5f;  // -96 dBFS

  SilenceWatch(sf_count_t quietFrames, int channels) : mQuietFrames(quietFrames), mChannels(channels) {}

  // Follows the next interleaved frames of output. Returns how many of them lead up to the last audible
  // one (that frame included): 0 when all are quiet.
  sf_count_t Follow(const float* interleaved, sf_count_t frames);
  bool Reached() const { return mQuietRun >= mQuietFrames; }

 private:
  sf_count_t mQuietFrames;
  int mChannels;
  sf_count_t mQuietRun = 0;
};

}  // namespace korval_host
