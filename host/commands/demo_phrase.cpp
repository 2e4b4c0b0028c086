// korval-host demo-midi: the built-in phrase, written with the host's own Standard MIDI File writer.
#include "host/commands/demo_phrase.h"

#include <algorithm>
#include <cstdio>

#include "base/file_writer.h"
#include "host/commands/commands.h"
#include "host/files/midi_file_writer.h"

namespace korval_host {

namespace {

constexpr uint32_t kQuarter = kPhraseTicksPerQuarter, kEighth = kQuarter / 2, kBar = 4 * kQuarter;
constexpr uint32_t kMicrosecondsAt120 = 500000, kMicrosecondsAt96 = 625000;
constexpr uint8_t kChordChannel = 0, kMelodyChannel = 1;

struct Note {
  uint32_t start, length;
  uint8_t key, velocity;
};

// Events of one track at their ticks; at the same tick a note ends before the next one starts, so that a
// key struck again is heard again.
class Track {
 public:
  explicit Track(uint8_t channel) : mChannel(channel) {}

  void Play(const Note& note) {
    Add(note.start, 1, 0x90, note.key, note.velocity);
    Add(note.start + note.length, 0, 0x80, note.key, 0);
  }
  void Pedal(uint32_t tick, bool down) { Add(tick, 1, 0xB0, 64, down ? 127 : 0); }
  // value from -8192 to 8191, 0 in the middle.
  void Bend(uint32_t tick, int value) {
    const int raw = value + 8192;
    Add(tick, 1, 0xE0, static_cast<uint8_t>(raw & 0x7F), static_cast<uint8_t>(raw >> 7));
  }

  void WriteTo(MidiFileWriter& writer) {
    std::stable_sort(mEvents.begin(), mEvents.end(), [](const Event& a, const Event& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    writer.BeginTrack();
    uint32_t last = 0;
    for (const Event& event : mEvents) {
      writer.Event(event.tick - last, {event.status, event.data1, event.data2});
      last = event.tick;
    }
    writer.EndTrack();
  }

 private:
  struct Event {
    uint32_t tick;
    int order;
    uint8_t status, data1, data2;
  };
  void Add(uint32_t tick, int order, uint8_t status, uint8_t data1, uint8_t data2) {
    mEvents.push_back({tick, order, static_cast<uint8_t>(status | mChannel), data1, data2});
  }

  uint8_t mChannel;
  std::vector<Event> mEvents;
};

// C, A minor, F and G, a half note each, held by the pedal to the end of the bar (lifted and pressed
// again after each change); then a last C held under a slower tempo.
void Chords(Track& track) {
  const uint8_t chords[4][4] = {{48, 52, 55, 60}, {45, 52, 57, 60}, {41, 48, 53, 57}, {43, 50, 55, 59}};
  for (uint32_t bar = 0; bar < 4; ++bar) {
    for (uint8_t key : chords[bar]) track.Play({bar * kBar, 2 * kQuarter, key, 72});
    track.Pedal(bar * kBar + kEighth / 4, true);
    track.Pedal((bar + 1) * kBar - kEighth / 8, false);
  }
  for (uint8_t key : {36, 48, 52, 55, 60}) track.Play({4 * kBar, kBar, key, 80});
}

// Eighths and quarters over the chords; in the third bar a note comes 37 ticks late, in the fourth the
// wheel bends a held note a whole tone up and back.
void Melody(Track& track) {
  const Note notes[] = {
      {0, kEighth, 76, 96},           {kEighth, kEighth, 79, 90},          {kQuarter, kQuarter, 84, 104},
      {2 * kQuarter, kEighth, 83, 92}, {5 * kEighth, kEighth, 79, 88},     {3 * kQuarter, kQuarter, 76, 96},
      {kBar, 3 * kEighth, 81, 100},    {kBar + 3 * kEighth, kEighth, 84, 92}, {kBar + 2 * kQuarter, kEighth, 83, 88},
      {kBar + 5 * kEighth, kEighth, 81, 84}, {kBar + 3 * kQuarter, kQuarter, 76, 92},
      {2 * kBar, kQuarter, 77, 96},    {2 * kBar + kQuarter, kQuarter, 81, 100},
      {2 * kBar + 2 * kQuarter, kEighth, 84, 104}, {2 * kBar + 5 * kEighth + 37, kEighth - 37, 86, 110},
      {2 * kBar + 3 * kQuarter, kQuarter, 84, 96},
      {3 * kBar, 3 * kQuarter, 79, 100}, {3 * kBar + 3 * kQuarter, kQuarter, 83, 92},
      {4 * kBar, kBar, 84, 100},
  };
  for (const Note& note : notes) track.Play(note);
  // Up over a quarter note in eight steps, held, and back to the middle just before the next note.
  const uint32_t bendStart = 3 * kBar + kQuarter;
  for (int step = 1; step <= 8; ++step) track.Bend(bendStart + step * kQuarter / 8, step * 8191 / 8);
  track.Bend(3 * kBar + 3 * kQuarter - kEighth / 4, 0);
}

}  // namespace

std::vector<uint8_t> MakeDemoPhrase() {
  MidiFileWriter writer(1, kPhraseTicksPerQuarter);
  writer.BeginTrack();
  writer.Event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8});  // 4/4
  writer.Tempo(0, kMicrosecondsAt120);
  writer.Tempo(4 * kBar, kMicrosecondsAt96);
  writer.EndTrack(kBar);
  Track chords(kChordChannel), melody(kMelodyChannel);
  Chords(chords);
  Melody(melody);
  chords.WriteTo(writer);
  melody.WriteTo(writer);
  return writer.Bytes();
}

int RunDemoMidi(const Arguments& arguments) {
  if (arguments.size() != 1) return Fail(kExitBadInput, "demo-midi needs one output file");
  const std::vector<uint8_t> phrase = MakeDemoPhrase();
  std::string error;
  if (!BRM_WriteWholeFile(arguments[0], phrase.data(), phrase.size(), &error))
    return Fail(kExitBadInput, "cannot write " + arguments[0] + ": " + error);
  std::fprintf(ReportStream(arguments[0]), "wrote %s: five bars of chords and a melody, format 1, %u ticks a quarter\n",
               arguments[0].c_str(), static_cast<unsigned>(kPhraseTicksPerQuarter));
  return kExitOk;
}

}  // namespace korval_host
