// Standard MIDI Files read the way `korval-host render --midi` reads them. The first byte picks the
// rate; the rest is the file. What is accepted must be playable as it stands: events in time order
// within the length cap, channel messages whole, system-exclusive messages within the bytes read,
// from F0 to F7.
#include <cstddef>
#include <cstdint>

#include "host/files/midi_file.h"

namespace {
constexpr int kRates[] = {8000, 44100, 48000, 768000};

void RequirePlayable(const korval_host::MidiSequence& sequence, int rate) {
  int64_t previous = 0;
  for (const korval_host::MidiEvent& event : sequence.events) {
    if (event.sample < previous || event.sample > int64_t{korval_host::kLongestMidiSeconds} * rate) __builtin_trap();
    previous = event.sample;
    if (event.status == korval_host::kSysExStatus) {
      const size_t end = size_t{event.sysExStart} + event.sysExSize;
      if (event.sysExSize < 2 || end > sequence.sysExBytes.size() ||
          sequence.sysExBytes[event.sysExStart] != 0xF0 || sequence.sysExBytes[end - 1] != 0xF7)
        __builtin_trap();
    } else if (event.status < 0x80 || event.status >= 0xF0 || event.data1 >= 0x80 || event.data2 >= 0x80) {
      __builtin_trap();
    }
  }
  if (sequence.events.size() > korval_host::kMostMidiEvents) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int rate = kRates[data[0] & 3];
  korval_host::MidiSequence sequence;
  if (!korval_host::ParseMidiFile(data + 1, size - 1, rate, &sequence).empty()) return 0;
  RequirePlayable(sequence, rate);
  return 0;
}
