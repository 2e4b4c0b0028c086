#pragma once
// The built-in MIDI phrase: five bars of chords under a melody, as a Standard MIDI File of format 1 made
// the same way every time. It plays what an instrument is asked to do in a song: chords held by the
// sustain pedal, a melody with a pitch bend, a note off the sixteenth-note grid and a tempo change.
#include <cstdint>
#include <vector>

namespace korval_host {

constexpr uint16_t kPhraseTicksPerQuarter = 480;

// The file's bytes: a tempo track (4/4, 120 beats a minute, slowing to 96 for the last bar), the chords
// on channel 1 and the melody on channel 2.
std::vector<uint8_t> MakeDemoPhrase();

}  // namespace korval_host
