// Sound files written by the host's own writer in the WAV encodings the reader meets most.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/seeds/seed_writer.h"
#include "fuzz/temp_file.h"
#include "host/files/audio_file.h"

namespace {
struct Case {
  const char* name;
  int format, channels, rate;
};

const Case kCases[] = {
    {"pcm16-mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100},
    {"pcm24-stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000},
    {"pcm32-stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2, 96000},
    {"u8-mono", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000},
    {"float-stereo", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100},
    {"double-mono", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 22050},
    {"ulaw-mono", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 8000},
    {"extensible-stereo", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100},
};
constexpr int kFrames = 300;
}  // namespace

void WriteWavSeeds(const SeedWriter& seeds) {
  for (const Case& c : kCases) {
    std::vector<float> samples(static_cast<size_t>(kFrames * c.channels));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(0.8 * std::sin(0.05 * double(i)));
    const std::string path = WriteTempFile("seed.wav", nullptr, 0);
    korval_host::AudioFileWriter writer;
    std::string error;
    if (!writer.Open(path, c.rate, c.channels, c.format, &error) || !writer.Write(samples.data(), kFrames) ||
        !writer.Commit(&error))
      std::abort();
    seeds.Add("wav", c.name, ReadFileBytes(path));
  }
}
