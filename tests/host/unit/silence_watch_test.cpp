// Finding where a unit's tail has died away in what it renders.
#include "host/unit/silence_watch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korval_host;

namespace {

constexpr float kJustQuiet = 1.58e-5f, kJustAudible = 1.59e-5f;  // either side of -96 dBFS

// Stereo frames: `loud` frames at full scale on the given channel, then `quiet` frames of `level`.
std::vector<float> Frames(int loud, int loudChannel, int quiet, float level) {
  std::vector<float> samples(2 * static_cast<size_t>(loud + quiet), level);
  for (int i = 0; i < loud; ++i) {
    samples[2 * i] = loudChannel == 0 ? 1.0f : 0.0f;
    samples[2 * i + 1] = loudChannel == 1 ? -1.0f : 0.0f;
  }
  return samples;
}

TEST(SilenceWatch, FindsTheLastAudibleFrameAndTheQuietStretch) {
  struct Case {
    const char* what;
    std::vector<float> frames;
    sf_count_t throughLastAudible;
    bool reached;
  } cases[] = {
      {"loud, then quiet for the stretch and more", Frames(3, 0, 10, 0.0f), 3, true},
      {"loud on the second channel only", Frames(3, 1, 10, kJustQuiet), 3, true},
      {"quiet stretch one frame short", Frames(3, 0, 3, 0.0f), 3, false},
      {"at the threshold is not quiet", Frames(0, 0, 10, kJustAudible), 10, false},
      {"quiet from the start", Frames(0, 0, 10, -0.0f), 0, true},
  };
  for (const Case& c : cases) {
    SilenceWatch watch(4, 2);
    EXPECT_EQ(watch.Follow(c.frames.data(), static_cast<sf_count_t>(c.frames.size() / 2)), c.throughLastAudible)
        << c.what;
    EXPECT_EQ(watch.Reached(), c.reached) << c.what;
  }
}

TEST(SilenceWatch, TheStretchCarriesAcrossCallsAndALoudFrameStartsItAgain) {
  SilenceWatch watch(4, 2);
  const std::vector<float> quiet = Frames(0, 0, 3, 0.0f), loudThenQuiet = Frames(1, 0, 2, 0.0f);
  EXPECT_EQ(watch.Follow(quiet.data(), 3), 0);
  EXPECT_EQ(watch.Follow(loudThenQuiet.data(), 3), 1) << "the loud frame ends the first stretch short";
  EXPECT_FALSE(watch.Reached());
  EXPECT_EQ(watch.Follow(quiet.data(), 3), 0) << "two quiet frames before and three here make four and more";
  EXPECT_TRUE(watch.Reached());
}

}  // namespace
