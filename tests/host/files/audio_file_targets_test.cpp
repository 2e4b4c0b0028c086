// What korval-host does with the files it is given beyond plain ones: devices, FIFOs and pipes, links,
// read-only files, names of the longest length, files too large to be presets, and sounds past 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "host/files/audio_file.h"
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

// Runs korval-host with a thread writing `bytes` into the FIFO at fifo meanwhile.
HostRun RunFeedingFifo(const std::vector<std::string>& arguments, const std::string& fifo, const std::string& bytes) {
  std::thread writer([&] { WriteBytes(fifo, bytes); });
  const HostRun run = RunHost(arguments, 60);
  // Releases the writer should the host never have opened the FIFO.
  const int release = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  if (release >= 0) close(release);
  return run;
}

// Inputs handed over through a FIFO (as a shell's <(command) does) are read once, whole: a second
// open of the path would wait forever for another writer.
TEST(HostFileTargets, InputsAreReadFromFifos) {
  TempDir dir;
  const std::string in = dir.Path("in.wav"), preset = dir.Path("p.aupreset"), fifo = dir.Path("in.fifo");
  WriteTestSound(in, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 8000);
  ASSERT_EQ(RunHost({"preset", "save", preset, "--param", "Dry=0.25"}).exitStatus, 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = dir.Path("out.wav");
  const struct {
    std::vector<std::string> arguments;
    std::string fed;
    const char* said;
  } cases[] = {
      {{"render", fifo, out, "--tail", "0"}, ReadBytes(in), "rendered 2000 frames"},
      {{"preset", "show", fifo}, ReadBytes(preset), "Dry = 0.25"},
      {{"render", in, out, "--tail", "0", "--preset", fifo}, ReadBytes(preset), "rendered 2000 frames"},
  };
  for (const auto& c : cases) {
    std::remove(out.c_str());
    const HostRun run = RunFeedingFifo(c.arguments, fifo, c.fed);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
  }
  EXPECT_EQ(ReadSound(out).info.frames, 2000);
}

// What a streaming reader gets from the descriptor: every frame up to the end.
Sound ReadStream(int descriptor) {
  Sound sound;
  SNDFILE* file = sf_open_fd(descriptor, SFM_READ, &sound.info, SF_FALSE);
  if (!file) return Sound{};
  std::vector<float> block(static_cast<size_t>(1024 * sound.info.channels));
  sf_count_t got = 0;
  while ((got = sf_readf_float(file, block.data(), 1024)) > 0)
    sound.samples.insert(sound.samples.end(), block.begin(), block.begin() + got * sound.info.channels);
  sf_close(file);
  return sound;
}

struct Streamed {
  HostRun run;  // with what the host said, on standard error alone when the sound went to standard output
  Sound sound;
};

// The host writing to `target` (standard output as "-" or /dev/stdout, or the FIFO at fifo), read at
// the other end while it writes.
Streamed RunIntoStream(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& target,
                       const std::string& fifo) {
  Streamed streamed;
  if (target == fifo) {
    std::thread host([&] {
      streamed.run = RunHost(arguments, 60);
      const int release = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // should the host never have opened it
      if (release >= 0) close(release);
    });
    const int reader = open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
    streamed.sound = ReadStream(reader);
    close(reader);
    host.join();
    return streamed;
  }
  // From the folder: a host that took "-" for a file name leaves it there.
  const std::string said = dir.Path("said.txt");
  const std::string command =
      "cd " + Quote(dir.Path("")) + " && " + HostCommandLine(arguments, 60) + " 2>" + Quote(said);
  FILE* pipe = popen(command.c_str(), "r");
  streamed.sound = ReadStream(fileno(pipe));
  const int status = pclose(pipe);
  streamed.run = {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(said)};
  return streamed;
}

// A FIFO or pipe cannot be gone back on: the sound reaches a reader at the other end as a WAV stream,
// sample for sample what a file gets, and what the host says goes elsewhere. A kind of file that cannot
// be streamed is refused before anyone is kept waiting.
TEST(HostFileTargets, SoundOntoPipesReachesTheReaderSampleForSample) {
  TempDir dir;
  const std::string in = dir.Path("in.wav"), fifo = dir.Path("out.fifo");
  WriteTestSound(in, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 8000);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::vector<std::string>> commands = {{"demo-input", "OUT"},
                                                          {"impulse", "OUT", "--rate", "8000"},
                                                          {"render", in, "OUT", "--tail", "0.25"},
                                                          {"render", in, "OUT"}};  // a tail of unknown length
  for (std::vector<std::string> arguments : commands) {
    const auto out = std::find(arguments.begin(), arguments.end(), "OUT");
    *out = dir.Path("file.wav");
    ASSERT_EQ(RunHost(arguments).exitStatus, 0) << arguments[0];
    const Sound written = ReadSound(dir.Path("file.wav"));
    for (const std::string& target : {std::string("-"), std::string("/dev/stdout"), fifo}) {
      *out = target;
      const Streamed streamed = RunIntoStream(dir, arguments, target, fifo);
      const std::string what = arguments[0] + " onto " + target;
      EXPECT_EQ(streamed.run.exitStatus, 0) << what;
      EXPECT_NE(streamed.run.output.find(arguments[0] == "render" ? "rendered" : "wrote"), std::string::npos) << what;
      EXPECT_EQ(streamed.sound.info.samplerate, written.info.samplerate) << what;
      EXPECT_EQ(streamed.sound.info.channels, written.info.channels) << what;
      EXPECT_EQ(streamed.sound.samples.size(), written.samples.size()) << what;
      EXPECT_TRUE(streamed.sound.samples == written.samples) << what;
    }
  }
  EXPECT_NE(access(dir.Path("-").c_str(), F_OK), 0) << "\"-\" was taken for a file name";

  WriteTestSound(dir.Path("in.aiff"), 1, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2000, 8000);
  const HostRun run = RunHost({"render", dir.Path("in.aiff"), fifo}, 30);
  EXPECT_EQ(run.exitStatus, 2) << run.output;
  EXPECT_NE(run.output.find("AIFF (Apple/SGI) sound cannot go onto a pipe"), std::string::npos) << run.output;
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
