#include "host_test_support.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korval_host_test {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string HostCommandLine(const std::vector<std::string>& arguments, int timeLimitSeconds) {
  std::string command = Quote(KORVAL_HOST_BINARY);
  if (timeLimitSeconds > 0) command = "timeout -k 5 " + std::to_string(timeLimitSeconds) + " " + command;
  for (const std::string& argument : arguments) command.append(" ").append(Quote(argument));
  return command;
}

HostRun RunHost(const std::vector<std::string>& arguments, int timeLimitSeconds) {
  const std::string command = HostCommandLine(arguments, timeLimitSeconds) + " 2>&1";
  HostRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  const int status = pclose(pipe);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TempDir::TempDir() {
  char pattern[] = "/tmp/korval_host_test_XXXXXX";
  const char* made = mkdtemp(pattern);
  mPath = made ? made : "/tmp";
  mMade = made != nullptr;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (mMade) std::filesystem::remove_all(mPath, ignored);
}

std::vector<std::string> TempDir::Files() const {
  std::vector<std::string> names;
  if (DIR* directory = opendir(mPath.c_str())) {
    while (const dirent* entry = readdir(directory)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(directory);
  }
  return names;
}

void WriteTestSound(const std::string& path, int channels, int format, int frames, int rate) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return;
  std::vector<float> samples(static_cast<size_t>(frames) * channels);
  unsigned state = 12345;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      state = state * 1664525u + 1013904223u;
      samples[static_cast<size_t>(i) * channels + c] =
          static_cast<float>(0.3 * std::sin(0.03 * i * (c + 1)) + 0.05 * ((state >> 8) / 16777216.0 - 0.5));
    }
  }
  sf_writef_float(file, samples.data(), frames);
  sf_close(file);
}

Sound ReadSound(const std::string& path) {
  Sound sound;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
  if (!file) return Sound{};
  sound.samples.resize(static_cast<size_t>(sound.info.frames) * sound.info.channels);
  sf_readf_float(file, sound.samples.data(), sound.info.frames);
  sf_close(file);
  return sound;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

}  // namespace korval_host_test
