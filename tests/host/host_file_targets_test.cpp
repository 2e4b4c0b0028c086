// What korval-host does with the files it is given beyond plain ones: devices, FIFOs, links, read-only
// files, names of the longest length, files too large to be presets, and sounds past 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "host/audio_file.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

mode_t ModeOf(const std::string& path, bool followLinks = true) {
  struct stat info{};
  (followLinks ? stat : lstat)(path.c_str(), &info);
  return info.st_mode;
}

TEST(HostFileTargets, OutputsFollowLinksWriteDevicesInPlaceAndKeepReadOnlyFiles) {
  TempDir dir;
  const std::string in = dir.Path("in.wav");
  WriteTestSound(in, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 8000);
  WriteBytes(dir.Path("kept.aupreset"), "old");
  chmod(dir.Path("kept.aupreset").c_str(), 0444);
  WriteBytes(dir.Path("target.wav"), "old");
  chmod(dir.Path("target.wav").c_str(), 0600);
  symlink("target.wav", dir.Path("link.wav").c_str());
  const std::string longPreset = dir.Path(std::string(246, 'p') + ".aupreset");  // 255 bytes
  const std::string longSound = dir.Path(std::string(251, 's') + ".wav");
  const struct {
    std::vector<std::string> arguments;
    int exitStatus;
    const char* said;
  } cases[] = {
      {{"demo-input", "/dev/full"}, 2, "cannot write /dev/full"},
      {{"render", in, "/dev/full", "--tail", "0"}, 2, "cannot write /dev/full"},
      {{"preset", "save", "/dev/full"}, 2, "No space left on device"},
      {{"snapshot", "--panel", "controls", "/dev/full"}, 2, "No space left on device"},
      {{"render", in, "/dev/null", "--tail", "0"}, 0, "rendered 2000 frames"},
      {{"preset", "save", "/dev/null"}, 0, "saved /dev/null"},
      {{"preset", "save", dir.Path("kept.aupreset")}, 2, "it is read-only"},
      {{"demo-input", dir.Path("link.wav")}, 0, "wrote"},
      {{"preset", "save", longPreset}, 0, "saved"},
      {{"render", in, longSound, "--tail", "0"}, 0, "rendered 2000 frames"},
  };
  for (const auto& c : cases) {
    const HostRun run = RunHost(c.arguments);
    const std::string what = c.arguments[0] + " " + c.arguments.back();
    EXPECT_EQ(run.exitStatus, c.exitStatus) << what << ": " << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << what << ": " << run.output;
    if (c.exitStatus != 0) {
      for (const char* claim : {"wrote", "saved", "rendered"})
        EXPECT_EQ(run.output.find(claim), std::string::npos) << what << ": " << run.output;
    }
  }
  EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
  EXPECT_TRUE(S_ISCHR(ModeOf("/dev/full")));
  EXPECT_EQ(ReadBytes(dir.Path("kept.aupreset")), "old");
  EXPECT_EQ(ModeOf(dir.Path("kept.aupreset")) & 0777, 0444u);
  EXPECT_TRUE(S_ISLNK(ModeOf(dir.Path("link.wav"), false)));
  EXPECT_EQ(ModeOf(dir.Path("target.wav")) & 0777, 0600u) << "a private file stays private";
  EXPECT_EQ(ReadSound(dir.Path("target.wav")).info.channels, 2);
  EXPECT_NE(ReadBytes(longPreset).find("<plist"), std::string::npos);
  EXPECT_EQ(ReadSound(longSound).info.frames, 2000);
  chmod(dir.Path("kept.aupreset").c_str(), 0644);
}

// libsndfile reads a short WAV file from a FIFO whole at once; the writer is then gone, and a second
// open of the path would wait for another forever.
TEST(HostFileTargets, AnInputFifoIsReadOnce) {
  TempDir dir;
  WriteTestSound(dir.Path("in.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 8000);
  const std::string sound = ReadBytes(dir.Path("in.wav"));
  ASSERT_LT(sound.size(), 65536u);
  const std::string fifo = dir.Path("in.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { WriteBytes(fifo, sound); });
  const HostRun run = RunHost({"render", fifo, dir.Path("out.wav"), "--tail", "0"}, 60);
  // Releases the writer should the host never have opened the FIFO.
  const int release = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  if (release >= 0) close(release);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(ReadSound(dir.Path("out.wav")).info.frames, 2000);
}

TEST(HostFileTargets, APresetFileTooLargeForAnyPresetIsRefused) {
  TempDir dir;
  WriteTestSound(dir.Path("in.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 8000);
  const std::string huge = dir.Path("huge.aupreset");
  WriteBytes(huge, "");
  ASSERT_EQ(truncate(huge.c_str(), off_t{3} << 30), 0);  // sparse: takes no room on the disk
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"preset", "show", huge},
                                                    {"render", dir.Path("in.wav"), dir.Path("out.wav"), "--preset", huge}}) {
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_NE(run.output.find("more than the 8 MiB"), std::string::npos) << run.output;
  }
}

TEST(OutputFormat, TheContainerHoldsTheWholeSoundOrTheRenderIsRefused) {
  constexpr sf_count_t kOverFourGiB = 276487680;  // 10 ms and 360 s of 768 kHz, stereo 64-bit: 4.42 GB
  const struct {
    const char* what;
    int format, channels;
    sf_count_t frames;
    bool accepted;
    int chosen;
  } cases[] = {
      {"WAV that fits", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100 * 600, true, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {"WAV past 4 GiB", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 2, kOverFourGiB, true, SF_FORMAT_RF64 | SF_FORMAT_DOUBLE},
      {"WAV just past 4 GiB", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 1ll << 30, true, SF_FORMAT_RF64 | SF_FORMAT_FLOAT},
      {"WAV of unknown length", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, -1, true, SF_FORMAT_RF64 | SF_FORMAT_PCM_24},
      {"W64 past 4 GiB", SF_FORMAT_W64 | SF_FORMAT_DOUBLE, 2, kOverFourGiB, true, SF_FORMAT_W64 | SF_FORMAT_DOUBLE},
      {"AIFF that fits", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 1ll << 29, true, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {"AIFF past 4 GiB", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 1ll << 30, false, 0},
      {"AIFF of unknown length", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, -1, true, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
  };
  for (const auto& c : cases) {
    int chosen = 0;
    std::string error;
    EXPECT_EQ(ChooseOutputFormat(c.format, c.channels, c.frames, &chosen, &error), c.accepted) << c.what;
    if (c.accepted) {
      EXPECT_EQ(chosen, c.chosen) << c.what;
    } else {
      EXPECT_NE(error.find("4.29 GB"), std::string::npos) << c.what << ": " << error;
    }
  }
}

TEST(OutputFormat, AnRF64FileThatStaysSmallIsARiffWaveFile) {
  TempDir dir;
  AudioFileWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(dir.Path("out.wav"), 8000, 2, SF_FORMAT_RF64 | SF_FORMAT_FLOAT, &error)) << error;
  const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
  ASSERT_TRUE(writer.Write(frames, 2));
  ASSERT_TRUE(writer.Commit(&error)) << error;
  EXPECT_EQ(ReadBytes(dir.Path("out.wav")).substr(0, 4), "RIFF");
  const Sound written = ReadSound(dir.Path("out.wav"));
  EXPECT_EQ(written.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
  EXPECT_EQ(written.samples, std::vector<float>(frames, frames + 4));
}

}  // namespace
