#include "host/audio_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace korval_host {

bool AudioFileReader::Open(const std::string& path, std::string* error) {
  mInfo = SF_INFO{};
  mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  if (!mFile) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  return true;
}

AudioFileReader::~AudioFileReader() {
  if (mFile) sf_close(mFile);
}

sf_count_t AudioFileReader::Read(float* interleaved, sf_count_t frames) {
  return sf_readf_float(mFile, interleaved, frames);
}

std::string AudioFileReader::LastError() const { return sf_error(mFile) ? sf_strerror(mFile) : ""; }

bool AudioFileWriter::Open(const std::string& path, int sampleRate, int channels, int format, std::string* error) {
  mPath = path;
  std::vector<char> pattern(path.begin(), path.end());
  const char suffix[] = ".partXXXXXX";
  pattern.insert(pattern.end(), suffix, suffix + sizeof suffix);
  const int descriptor = mkstemp(pattern.data());
  if (descriptor < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  mTemporaryPath = pattern.data();
  // mkstemp makes the file private; the finished file gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = format;
  mFile = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
  if (!mFile) {
    close(descriptor);
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    Discard();
    return false;
  }
  // Integer formats clip instead of wrapping around when the output exceeds full scale.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The peak chunk carries the time of writing; without it the same render gives the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

AudioFileWriter::~AudioFileWriter() { Discard(); }

bool AudioFileWriter::Write(const float* interleaved, sf_count_t frames) {
  return mFile && sf_writef_float(mFile, interleaved, frames) == frames;
}

bool AudioFileWriter::Commit(std::string* error) {
  if (!mFile) {
    *error = "nothing to write to " + mPath;
    return false;
  }
  const int status = sf_close(mFile);
  mFile = nullptr;
  if (status != 0 || std::rename(mTemporaryPath.c_str(), mPath.c_str()) != 0) {
    *error = "cannot write " + mPath + ": " + (status != 0 ? sf_error_number(status) : std::strerror(errno));
    Discard();
    return false;
  }
  mTemporaryPath.clear();
  return true;
}

void AudioFileWriter::Discard() {
  if (mFile) sf_close(mFile);
  mFile = nullptr;
  if (!mTemporaryPath.empty()) std::remove(mTemporaryPath.c_str());
  mTemporaryPath.clear();
}

}  // namespace korval_host
