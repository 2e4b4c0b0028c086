#include "host/unit/silence_watch.h"

#include <cmath>

namespace korval_host {

sf_count_t SilenceWatch::Follow(const float* interleaved, sf_count_t frames) {
  sf_count_t throughLastAudible = 0;
  for (sf_count_t i = 0; i < frames; ++i) {
    bool quiet = true;
    for (int c = 0; c < mChannels; ++c) quiet = quiet && std::fabs(interleaved[i * mChannels + c]) < kQuietLevel;
    mQuietRun = quiet ? mQuietRun + 1 : 0;
    if (!quiet) throughLastAudible = i + 1;
  }
  return throughLastAudible;
}

}  // namespace korval_host
