#pragma once
// Sound files through libsndfile: a reader, and a writer that only replaces its target once the
// whole file is written (it writes a temporary file beside the target and renames it).
#include <sndfile.h>

#include <string>

namespace korval_host {

class AudioFileReader {
 public:
  // False, with the reason in *error, when the file cannot be opened as audio.
  bool Open(const std::string& path, std::string* error);
  ~AudioFileReader();

  const SF_INFO& Info() const { return mInfo; }
  // Interleaved frames; returns how many were read (0 at the end or on a read error).
  sf_count_t Read(float* interleaved, sf_count_t frames);
  std::string LastError() const;

 private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo{};
};

class AudioFileWriter {
 public:
  // format: a libsndfile major format and subtype, as a reader reports them.
  bool Open(const std::string& path, int sampleRate, int channels, int format, std::string* error);
  // Discards the temporary file unless Commit succeeded.
  ~AudioFileWriter();

  bool Write(const float* interleaved, sf_count_t frames);
  // Closes the file and moves it over the target. False, with the reason, if that fails.
  bool Commit(std::string* error);

 private:
  void Discard();

  SNDFILE* mFile = nullptr;
  std::string mPath;
  std::string mTemporaryPath;
};

}  // namespace korval_host
