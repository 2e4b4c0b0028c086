// MIDI event sequences as the LV2 binding writes them to its event output: notes across pieces,
// controllers and the wheel, a system-exclusive message, events sharing a frame.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/seeds/seed_writer.h"
#include "lv2/lv2_midi_events.h"

namespace {

struct SeedEvent {
  uint32_t frame;
  Bytes bytes;
};

// The run's length and piece length (two little-endian words), then the sequence.
Bytes SequenceSeed(uint16_t frames, uint16_t piece, const std::vector<SeedEvent>& events) {
  LV2MidiUrids urids;
  urids.mSequence = 1;
  urids.mMidiEvent = 2;
  urids.mBeatTime = 3;
  std::vector<uint8_t> buffer(8192, 0);
  const uint32_t room = static_cast<uint32_t>(buffer.size() - 8);
  std::memcpy(buffer.data(), &room, sizeof(room));
  LV2MidiWriter writer(urids);
  writer.Begin(buffer.data(), buffer.size());
  for (const SeedEvent& event : events)
    if (!writer.Append(event.frame, event.bytes.data(), static_cast<uint32_t>(event.bytes.size()))) std::abort();
  uint32_t bodySize;
  std::memcpy(&bodySize, buffer.data(), sizeof(bodySize));
  Bytes seed = {uint8_t(frames), uint8_t(frames >> 8), uint8_t(piece), uint8_t(piece >> 8)};
  seed.insert(seed.end(), buffer.begin(), buffer.begin() + 8 + bodySize);
  return seed;
}

}  // namespace

void WriteLV2MidiSeeds(const SeedWriter& seeds) {
  seeds.Add("lv2_midi", "notes_across_pieces",
            SequenceSeed(3000, 1023, {{0, {0x90, 60, 100}}, {1023, {0x90, 64, 90}}, {1024, {0x80, 60, 0}},
                                      {2999, {0x80, 64, 0}}}));
  seeds.Add("lv2_midi", "controllers_and_wheel",
            SequenceSeed(512, 64, {{10, {0xB0, 64, 127}}, {10, {0xE0, 0x00, 0x50}}, {200, {0xC1, 5}},
                                   {300, {0xD2, 40}}, {400, {0xB0, 123, 0}}, {401, {0xF8}}}));
  seeds.Add("lv2_midi", "system_exclusive",
            SequenceSeed(256, 256, {{5, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}}, {6, {0x90, 36, 127}}}));
  seeds.Add("lv2_midi", "no_frames", SequenceSeed(0, 1, {{0, {0x90, 72, 1}}, {0, {0xA0, 72, 20}}}));
}
