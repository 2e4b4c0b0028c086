#include "host/files/audio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace korval_host {

namespace {

// What 32-bit size fields can count: the whole file, and the sound with room left for the headers.
constexpr uint64_t kLargest32BitFile = 0xFFFFFFFFull;
constexpr uint64_t kLargest32BitData = kLargest32BitFile - 4096;

// Bytes one sample takes at most in the file; codings that pack samples take less.
uint64_t BytesPerSample(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 1;
    case SF_FORMAT_PCM_16: return 2;
    case SF_FORMAT_PCM_24: return 3;
    case SF_FORMAT_DOUBLE: return 8;
    default: return 4;
  }
}

// Containers whose size fields count past 4 GiB, or that have none.
bool HoldsAnySize(int format) {
  switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_W64:
    case SF_FORMAT_RF64:
    case SF_FORMAT_CAF:
    case SF_FORMAT_RAW:
    case SF_FORMAT_FLAC:
    case SF_FORMAT_OGG:
    case SF_FORMAT_MPEG: return true;
    default: return false;
  }
}

bool IsWav(int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX;
}

// A WAV coding the host writes a stream header for: its format tag and bits per sample.
struct WavCoding {
  int subtype;
  uint16_t tag, bits;
};

constexpr WavCoding kStreamCodings[] = {
    {SF_FORMAT_PCM_U8, 1, 8},  {SF_FORMAT_PCM_16, 1, 16}, {SF_FORMAT_PCM_24, 1, 24}, {SF_FORMAT_PCM_32, 1, 32},
    {SF_FORMAT_FLOAT, 3, 32},  {SF_FORMAT_DOUBLE, 3, 64}, {SF_FORMAT_ALAW, 6, 8},    {SF_FORMAT_ULAW, 7, 8},
};

const WavCoding* StreamCoding(int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  if (!IsWav(format) && major != SF_FORMAT_RF64) return nullptr;
  for (const WavCoding& coding : kStreamCodings)
    if (coding.subtype == (format & SF_FORMAT_SUBMASK)) return &coding;
  return nullptr;
}

// libsndfile knows which of its formats it can write without going back; asked on a pipe of our own,
// so that the answer comes before the real target is opened.
bool SndfileWritesOntoPipes(int format, int sampleRate, int channels) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open_fd(ends[1], SFM_WRITE, &info, SF_FALSE);
  if (file) sf_close(file);
  close(ends[0]);
  close(ends[1]);
  return file != nullptr;
}

bool Streamable(int format, int sampleRate, int channels) {
  return StreamCoding(format) || SndfileWritesOntoPipes(format, sampleRate, channels);
}

// True for what cannot seek (pipes, FIFOs, sockets, terminals): libsndfile cannot go back there.
bool IsStream(int descriptor) { return lseek(descriptor, 0, SEEK_CUR) < 0 && errno == ESPIPE; }

bool NamesStream(const std::string& path) {
  if (path == "-") return IsStream(STDOUT_FILENO);
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

std::string NotStreamable(const std::string& path, int format) {
  SF_FORMAT_INFO kind{};
  kind.format = format & SF_FORMAT_TYPEMASK;
  const bool named = sf_command(nullptr, SFC_GET_FORMAT_INFO, &kind, sizeof kind) == 0 && kind.name;
  return "cannot write " + path + ": " + (named ? kind.name : "this kind of") +
         " sound cannot go onto a pipe, which cannot go back to fill in its header; WAV can";
}

void PutLittleEndian(std::string* bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The 44-byte header of a WAV stream. Sizes that are not known, or do not fit in 32 bits, are the
// largest there are, which streaming readers take as "up to the end".
std::string WavStreamHeader(const WavCoding& coding, int sampleRate, int channels, sf_count_t frames) {
  constexpr uint32_t kUnknownSize = 0xFFFFFFFFu;
  constexpr uint32_t kHeaderAfterRiffSize = 36;
  const uint32_t frameBytes = static_cast<uint32_t>(channels) * coding.bits / 8;
  const bool known =
      frames >= 0 && static_cast<uint64_t>(frames) * frameBytes <= kUnknownSize - kHeaderAfterRiffSize;
  const uint32_t dataSize = known ? static_cast<uint32_t>(frames * frameBytes) : kUnknownSize;
  std::string header = "RIFF";
  PutLittleEndian(&header, known ? dataSize + kHeaderAfterRiffSize : kUnknownSize, 4);
  header += "WAVEfmt ";
  PutLittleEndian(&header, 16, 4);
  PutLittleEndian(&header, coding.tag, 2);
  PutLittleEndian(&header, static_cast<uint32_t>(channels), 2);
  PutLittleEndian(&header, static_cast<uint32_t>(sampleRate), 4);
  PutLittleEndian(&header, static_cast<uint32_t>(sampleRate) * frameBytes, 4);
  PutLittleEndian(&header, frameBytes, 2);
  PutLittleEndian(&header, coding.bits, 2);
  header += "data";
  PutLittleEndian(&header, dataSize, 4);
  return header;
}

}  // namespace

bool AudioFileReader::Open(const std::string& path, std::string* error) {
  mInfo = SF_INFO{};
  mDescriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (mDescriptor < 0) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  mFile = sf_open_fd(mDescriptor, SFM_READ, &mInfo, SF_FALSE);
  if (!mFile) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  return true;
}

AudioFileReader::~AudioFileReader() {
  if (mFile) sf_close(mFile);
  if (mDescriptor >= 0) close(mDescriptor);
}

sf_count_t AudioFileReader::Read(float* interleaved, sf_count_t frames) {
  return sf_readf_float(mFile, interleaved, frames);
}

std::string AudioFileReader::LastError() const { return sf_error(mFile) ? sf_strerror(mFile) : ""; }

bool ChooseOutputFormat(int format, int channels, sf_count_t frames, int* chosen, std::string* error) {
  *chosen = format;
  if (HoldsAnySize(format)) return true;
  const uint64_t frameBytes = BytesPerSample(format) * static_cast<uint64_t>(channels > 0 ? channels : 1);
  if (frames >= 0 && static_cast<uint64_t>(frames) <= kLargest32BitData / frameBytes) return true;
  if (IsWav(format)) {
    *chosen = SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
    return true;
  }
  // Of unknown length it may still fit; the writer checks the finished file.
  if (frames < 0) return true;
  char size[32];
  std::snprintf(size, sizeof size, "%.2f GB", static_cast<double>(frames) * static_cast<double>(frameBytes) / 1e9);
  *error = std::string("the output would take up to ") + size +
           ", more than the 4 GiB a file of the input's kind can hold (a shorter --tail makes it smaller)";
  return false;
}

bool AudioFileWriter::Open(const std::string& path, int sampleRate, int channels, int format, std::string* error,
                           sf_count_t expectedFrames) {
  mPath = path;
  mFormat = format;
  // Refused before the open: opening a FIFO waits for its reader, who must not then be given nothing.
  if (NamesStream(path) && !Streamable(format, sampleRate, channels)) {
    *error = NotStreamable(path, format);
    return false;
  }
  std::string reason;
  if (!(path == "-" ? mOutput.OpenStandardOutput(&reason) : mOutput.Open(path, &reason))) {
    *error = "cannot write " + path + ": " + reason;
    return false;
  }
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = format;
  if (IsStream(mOutput.Descriptor())) {
    // A terminal, say, is only known to be a stream once open.
    if (!Streamable(format, sampleRate, channels)) {
      *error = NotStreamable(path, format);
      Discard();
      return false;
    }
    // A WAV header goes first; libsndfile then codes the samples as a headerless stream.
    if (const WavCoding* coding = StreamCoding(format)) {
      const std::string header = WavStreamHeader(*coding, sampleRate, channels, expectedFrames);
      if (!mOutput.Write(header.data(), header.size())) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        Discard();
        return false;
      }
      info.format = SF_FORMAT_RAW | SF_ENDIAN_LITTLE | coding->subtype;
    }
  }
  mFile = sf_open_fd(mOutput.Descriptor(), SFM_WRITE, &info, SF_FALSE);
  if (!mFile) {
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    Discard();
    return false;
  }
  // Integer formats clip instead of wrapping around when the output exceeds full scale.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The peak chunk carries the time of writing; without it the same render gives the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  // An RF64 file that stays small is written as the RIFF WAVE file every reader knows.
  if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64)
    sf_command(mFile, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
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
  if (status != 0) {
    *error = "cannot write " + mPath + ": " + sf_error_number(status);
    Discard();
    return false;
  }
  // Size fields that wrapped around would make readers see only part of the sound.
  struct stat written;
  if (!HoldsAnySize(mFormat) && fstat(mOutput.Descriptor(), &written) == 0 && S_ISREG(written.st_mode) &&
      static_cast<uint64_t>(written.st_size) > kLargest32BitFile) {
    *error = "cannot write " + mPath + ": the sound grew past the 4 GiB a file of its kind can hold";
    Discard();
    return false;
  }
  std::string reason;
  if (!mOutput.Commit(&reason)) {
    *error = "cannot write " + mPath + ": " + reason;
    return false;
  }
  return true;
}

void AudioFileWriter::Discard() {
  if (mFile) sf_close(mFile);
  mFile = nullptr;
  mOutput.Discard();
}

}  // namespace korval_host
