// korval-host demo-midi: the built-in phrase holds what an instrument is asked to play in a song.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/files/midi_file.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

// Chords under a melody, the pedal, the wheel, a note off the sixteenth grid, and the tempo map of a
// format 1 file: the last bar is slower.
TEST(DemoPhrase, HoldsWhatAnInstrumentIsAskedToPlay) {
  TempDir dir;
  const std::string path = dir.Path("phrase.mid");
  ASSERT_EQ(RunHost({"demo-midi", path}).exitStatus, 0);
  const std::string bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), 14u);
  EXPECT_EQ(bytes[9], 1) << "format 1";
  MidiSequence music;
  ASSERT_EQ(ReadMidiFile(path, 48000, &music), "");

  // At 48000 Hz a bar of 120 beats a minute is 96000 samples, a sixteenth 3000; the last bar at 96 is 120000.
  EXPECT_EQ(music.EndSample(), 4 * 96000 + 120000 + 1);
  int mostAtOnce = 0, bends = 0, pedalDowns = 0, pedalUps = 0, offGrid = 0;
  for (size_t i = 0; i < music.events.size(); ++i) {
    const MidiEvent& event = music.events[i];
    const int kind = event.status & 0xF0;
    if (kind == 0x90 && event.data2 > 0) {
      const auto together = std::count_if(music.events.begin(), music.events.end(), [&](const MidiEvent& other) {
        return other.sample == event.sample && (other.status & 0xF0) == 0x90 && other.data2 > 0;
      });
      mostAtOnce = std::max(mostAtOnce, static_cast<int>(together));
      offGrid += event.sample % 3000 != 0;
    }
    bends += kind == 0xE0;
    pedalDowns += kind == 0xB0 && event.data1 == 64 && event.data2 >= 64;
    pedalUps += kind == 0xB0 && event.data1 == 64 && event.data2 < 64;
  }
  EXPECT_GE(mostAtOnce, 5) << "a chord and a melody note together";
  EXPECT_GE(bends, 2);
  EXPECT_GE(pedalDowns, 1);
  EXPECT_EQ(pedalDowns, pedalUps);
  EXPECT_EQ(offGrid, 1);
}

}  // namespace
