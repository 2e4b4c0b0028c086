#pragma once
// Sound files through libsndfile: a reader, and a writer that only replaces its target once the
// whole file is written (see BRM_FileWriter: links are followed, devices written in place).
#include <sndfile.h>

#include <string>

#include "base/file_writer.h"

namespace korval_host {

class AudioFileReader {
 public:
  // False, with the reason in *error, when the file cannot be opened as audio. The file is opened
  // once: a FIFO's data can only be read once.
  bool Open(const std::string& path, std::string* error);
  ~AudioFileReader();

  const SF_INFO& Info() const { return mInfo; }
  // The open file, for reading its headers beside libsndfile (with pread, which moves nothing).
  int Descriptor() const { return mDescriptor; }
  // Interleaved frames; returns how many were read (0 at the end or on a read error).
  sf_count_t Read(float* interleaved, sf_count_t frames);
  std::string LastError() const;

 private:
  SNDFILE* mFile = nullptr;
  int mDescriptor = -1;
  SF_INFO mInfo{};
};

// The format to write `frames` frames of `channels` channels as, given the libsndfile format (major
// and subtype) of the input: that format itself, or RF64 for a WAV file that may grow past the 4 GiB
// its size fields count (libsndfile writes it as a RIFF WAVE file when it stays smaller). frames < 0 means
// the length is not known. False, with the reason, when no file of that kind can hold the output.
bool ChooseOutputFormat(int format, int channels, sf_count_t frames, int* chosen, std::string* error);

// Writes sound files, and sound onto streams: "-" is standard output, and a FIFO or pipe, which cannot
// go back to fill in sizes, gets a WAV file (of any WAV kind: WAV, WAVEX, RF64) as a plain WAV stream
// whose header comes first, or a format that libsndfile writes onto pipes itself. Any other format is
// refused before a FIFO is opened, so that no reader is kept waiting for nothing.
class AudioFileWriter {
 public:
  // format: a libsndfile major format and subtype, as a reader reports them. expectedFrames: the frames
  // that will be written when known in advance (else -1), for a stream's header to state.
  bool Open(const std::string& path, int sampleRate, int channels, int format, std::string* error,
            sf_count_t expectedFrames = -1);
  // Discards what was written unless Commit succeeded.
  ~AudioFileWriter();

  bool Write(const float* interleaved, sf_count_t frames);
  // Closes the file and moves it over the target. False, with the reason, if that fails.
  bool Commit(std::string* error);

 private:
  void Discard();

  SNDFILE* mFile = nullptr;
  BRM_FileWriter mOutput;
  std::string mPath;
  int mFormat = 0;
};

}  // namespace korval_host
