#include "host/files/wav_data_chunk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace korval_host {

namespace {

constexpr size_t kChunkHeader = 8;  // four-character identifier, then a 32-bit size

uint32_t Size32(const unsigned char* bytes, bool bigEndian) {
  if (bigEndian) return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
  return uint32_t(bytes[3]) << 24 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[1]) << 8 | bytes[0];
}

bool ReadAt(int descriptor, uint64_t offset, unsigned char* bytes, size_t count) {
  return pread(descriptor, bytes, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count);
}

// Bytes one frame takes in the data chunk; 0 for codings that pack frames in blocks.
sf_count_t BytesPerFrame(const SF_INFO& info) {
  switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return info.channels;
    case SF_FORMAT_PCM_16: return 2 * info.channels;
    case SF_FORMAT_PCM_24: return 3 * info.channels;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 4 * info.channels;
    case SF_FORMAT_DOUBLE: return 8 * info.channels;
    default: return 0;
  }
}

}  // namespace

bool FindWavDataChunk(int descriptor, WavDataChunk* chunk) {
  // A FIFO or device has no end to measure against, and what was read from it is gone.
  struct stat info;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const auto fileSize = static_cast<uint64_t>(info.st_size);

  unsigned char header[12];
  if (!ReadAt(descriptor, 0, header, sizeof header) || std::memcmp(header + 8, "WAVE", 4) != 0) return false;
  const bool bigEndian = std::memcmp(header, "RIFX", 4) == 0;
  if (!bigEndian && std::memcmp(header, "RIFF", 4) != 0) return false;

  // Every step moves at least one header forward, so the walk ends at the end of the file.
  for (uint64_t offset = sizeof header; offset + kChunkHeader <= fileSize;) {
    unsigned char chunkHeader[kChunkHeader];
    if (!ReadAt(descriptor, offset, chunkHeader, sizeof chunkHeader)) return false;
    const uint64_t size = Size32(chunkHeader + 4, bigEndian);
    const uint64_t body = offset + kChunkHeader;
    if (std::memcmp(chunkHeader, "data", 4) == 0) {
      chunk->declaredBytes = size;
      chunk->presentBytes = std::min(size, fileSize - body);
      return true;
    }
    offset = body + size + (size & 1);  // chunks start on even offsets
  }
  return false;
}

std::string MissingAudioWarning(const std::string& path, int descriptor, const SF_INFO& info) {
  WavDataChunk chunk;
  if (!FindWavDataChunk(descriptor, &chunk)) return {};
  const sf_count_t frameBytes = BytesPerFrame(info);
  const uint64_t readable = frameBytes > 0 ? static_cast<uint64_t>(info.frames * frameBytes) : chunk.presentBytes;
  if (readable >= chunk.declaredBytes) return {};
  return path + " is damaged: its data chunk declares " + std::to_string(chunk.declaredBytes) +
         " bytes of audio but only " + std::to_string(readable) + " can be read; rendering the " +
         std::to_string(info.frames) + " frames there are";
}

}  // namespace korval_host
