#pragma once
// The data chunk of a WAV file as its header declares it. libsndfile quietly renders a data chunk
// that runs past the end of the file as far as it goes; the host reads the chunk headers itself to
// tell the user that part of the recording is missing.
#include <sndfile.h>

#include <cstdint>
#include <string>

namespace korval_host {

struct WavDataChunk {
  uint64_t declaredBytes = 0;  // what the chunk header says
  uint64_t presentBytes = 0;   // how many of those the file holds
};

// False when the open file is not a regular RIFF (or big-endian RIFX) WAVE file with a data chunk
// header in it. Reads with pread: whoever else reads the file keeps its place.
bool FindWavDataChunk(int descriptor, WavDataChunk* chunk);

// A warning when the data chunk declares more audio than libsndfile can read from it (info is what
// libsndfile reported on opening the file, path names it); "" when nothing is missing or the file is no
// WAV file.
std::string MissingAudioWarning(const std::string& path, int descriptor, const SF_INFO& info);

}  // namespace korval_host
