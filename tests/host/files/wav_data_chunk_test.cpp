// Reading a WAV file's chunk headers to see how much audio its data chunk declares, on damaged files
// as well as sound ones.
#include "host/files/wav_data_chunk.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;
using namespace std::string_literals;

namespace {

std::string Size32(uint32_t size, bool bigEndian) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[bigEndian ? 3 - i : i] = static_cast<char>(size >> (8 * i));
  return bytes;
}

std::string Chunk(const std::string& id, uint32_t declared, const std::string& body, bool bigEndian = false) {
  return id + Size32(declared, bigEndian) + body;
}

std::string Wave(const std::string& chunks, const char* tag = "RIFF", bool bigEndian = false) {
  return tag + Size32(static_cast<uint32_t>(4 + chunks.size()), bigEndian) + "WAVE" + chunks;
}

TEST(WavDataChunk, DeclaredAndPresentBytesAreFoundSafelyInDamagedHeaders) {
  const std::string format = Chunk("fmt ", 16, std::string(16, '\1'));
  struct Case {
    const char* what;
    std::string bytes;
    bool found;
    uint64_t declared, present;
  } cases[] = {
      {"sound file", Wave(format + Chunk("data", 8, std::string(8, 'x'))), true, 8, 8},
      {"data cut short", Wave(format + Chunk("data", 100, std::string(8, 'x'))), true, 100, 8},
      {"data header at the very end", Wave(format + Chunk("data", 4000, "")), true, 4000, 0},
      {"odd chunk padded to an even offset", Wave(Chunk("LIST", 3, "abc\0"s) + Chunk("data", 2, "xy")), true, 2, 2},
      {"big-endian file", Wave(Chunk("data", 6, "abcdef", true), "RIFX", true), true, 6, 6},
      {"huge chunk before the data", Wave(Chunk("junk", 0xFFFFFFFFu, "") + Chunk("data", 2, "xy")), false, 0, 0},
      {"data header cut in half", Wave(format + "data\x10\0"s), false, 0, 0},
      {"no data chunk", Wave(format), false, 0, 0},
      {"not WAVE", "RIFF\4\0\0\0AVI "s, false, 0, 0},
      {"too short for a header", "RIFF", false, 0, 0},
      {"empty", "", false, 0, 0},
  };
  TempDir dir;
  const auto find = [](const std::string& path, WavDataChunk* chunk) {
    const int descriptor = open(path.c_str(), O_RDONLY);
    const bool found = FindWavDataChunk(descriptor, chunk);
    if (descriptor >= 0) close(descriptor);
    return found;
  };
  for (const Case& c : cases) {
    WriteBytes(dir.Path("in.wav"), c.bytes);
    WavDataChunk chunk;
    ASSERT_EQ(find(dir.Path("in.wav"), &chunk), c.found) << c.what;
    if (!c.found) continue;
    EXPECT_EQ(chunk.declaredBytes, c.declared) << c.what;
    EXPECT_EQ(chunk.presentBytes, c.present) << c.what;
  }
  WavDataChunk chunk;
  EXPECT_FALSE(find(dir.Path("missing.wav"), &chunk));
}

}  // namespace
