// Sound files read the way `korval-host render` reads its input: opened, its chunk headers checked
// for missing audio, checked for a channel count it can render, and read to the end in blocks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/temp_file.h"
#include "host/files/audio_file.h"
#include "host/files/wav_data_chunk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteTempFile("input.wav", data, size);
  korval_host::AudioFileReader reader;
  std::string error;
  if (!reader.Open(path, &error)) return 0;
  korval_host::MissingAudioWarning(path, reader.Descriptor(), reader.Info());
  const int channels = reader.Info().channels;
  if (channels < 1 || channels > 2) return 0;
  constexpr sf_count_t kBlock = 512;
  std::vector<float> interleaved(static_cast<size_t>(kBlock * channels));
  while (reader.Read(interleaved.data(), kBlock) > 0) {
  }
  reader.LastError();
  return 0;
}
