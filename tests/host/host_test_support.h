#pragma once
// Running korval-host as a program and making small sound files for it.
#include <sndfile.h>

#include <string>
#include <vector>

namespace korval_host_test {

struct HostRun {
  int exitStatus;
  std::string output;  // standard output and standard error together
};

// Runs korval-host with the arguments (each quoted for the shell); with a time limit, a run that takes
// longer is stopped (exit status 124).
HostRun RunHost(const std::vector<std::string>& arguments, int timeLimitSeconds = 0);
// The shell command RunHost runs, without its redirection.
std::string HostCommandLine(const std::vector<std::string>& arguments, int timeLimitSeconds = 0);
// Quoted for the shell.
std::string Quote(const std::string& text);

// A fresh folder, removed with all it holds when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string Path(const std::string& name) const { return mPath + "/" + name; }
  // Names of the files in the directory.
  std::vector<std::string> Files() const;

 private:
  std::string mPath;
  bool mMade = false;  // false: the path is /tmp itself, which is never removed
};

struct Sound {
  SF_INFO info{};
  std::vector<float> samples;  // interleaved
};

// A tone with a little noise, `channels` channels at `rate`, written in `format`.
void WriteTestSound(const std::string& path, int channels, int format, int frames, int rate = 44100);
// Empty samples and zero info when the file cannot be read.
Sound ReadSound(const std::string& path);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace korval_host_test
