// Sound files as the host writes them: whole or not at all, clipped rather than wrapped, and a place that
// cannot be written reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/files/audio_file.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

TEST(AudioFileWriter, TheTargetAppearsOnlyWhenCommitted) {
  TempDir dir;
  const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
  {
    AudioFileWriter abandoned;
    std::string error;
    ASSERT_TRUE(abandoned.Open(dir.Path("out.wav"), 8000, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, &error)) << error;
    ASSERT_TRUE(abandoned.Write(frames, 2));
  }
  EXPECT_TRUE(dir.Files().empty()) << "an abandoned write left " << dir.Files().front();

  AudioFileWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(dir.Path("out.wav"), 8000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, &error)) << error;
  ASSERT_TRUE(writer.Write(frames, 2));
  ASSERT_TRUE(writer.Commit(&error)) << error;
  ASSERT_EQ(dir.Files(), std::vector<std::string>{"out.wav"});
  const Sound written = ReadSound(dir.Path("out.wav"));
  EXPECT_EQ(written.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(written.samples, std::vector<float>(frames, frames + 4));
}

TEST(AudioFileWriter, IntegerOutputClipsInsteadOfWrapping) {
  TempDir dir;
  AudioFileWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(dir.Path("loud.wav"), 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, &error)) << error;
  const float loud[2] = {2.0f, -3.0f};
  ASSERT_TRUE(writer.Write(loud, 2));
  ASSERT_TRUE(writer.Commit(&error)) << error;
  const Sound clipped = ReadSound(dir.Path("loud.wav"));
  ASSERT_EQ(clipped.samples.size(), 2u);
  EXPECT_GT(clipped.samples[0], 0.99f);
  EXPECT_LT(clipped.samples[1], -0.99f);
}

TEST(AudioFileWriter, AnUnwritablePlaceIsReported) {
  AudioFileWriter writer;
  std::string error;
  EXPECT_FALSE(writer.Open("/nonexistent-directory/out.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, &error));
  EXPECT_NE(error.find("cannot write /nonexistent-directory/out.wav"), std::string::npos) << error;
}

}  // namespace
