// The MIDI file reader: files made by the project's writer come out as the events a unit is played
// with, each on the sample of its time; broken or hostile ones are refused by korval-host, promptly.
#include <gtest/gtest.h>

#include <functional>

#include "host/files/midi_file.h"
#include "host/files/midi_file_writer.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

using Bytes = std::vector<uint8_t>;

struct Expected {
  int64_t sample;
  uint8_t status, data1, data2;
};

MidiSequence Parse(const Bytes& bytes, int rate) {
  MidiSequence sequence;
  const std::string error = ParseMidiFile(bytes.data(), bytes.size(), rate, &sequence);
  EXPECT_EQ(error, "");
  return sequence;
}

void ExpectEvents(const MidiSequence& sequence, const std::vector<Expected>& expected) {
  ASSERT_EQ(sequence.events.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const MidiEvent& event = sequence.events[i];
    EXPECT_EQ(event.sample, expected[i].sample) << i;
    EXPECT_EQ(event.status, expected[i].status) << i;
    EXPECT_EQ(event.data1, expected[i].data1) << i;
    EXPECT_EQ(event.data2, expected[i].data2) << i;
  }
}

// At 24000 ticks a quarter and 48000 Hz a tick is a sample at the starting tempo (0.5 s a quarter) and
// two after the change at tick 100 (1 s a quarter). Both files hold the same music: running status, a
// note-on of velocity 0, meta events between the notes, one data byte for a program change, and a tie at
// tick 50 that plays the earlier track's event first.
Bytes TempoMapFile(int format) {
  MidiFileWriter writer(format, 24000);
  writer.BeginTrack();
  writer.Event(0, {0xFF, 0x03, 0x04, 'l', 'e', 'a', 'd'});
  writer.Tempo(0, 500000);
  writer.Event(10, {0x90, 60, 100});
  writer.Raw({30, 62, 0});  // running status: tick 40
  writer.Event(10, {0xC1, 7});
  if (format == 1) {
    writer.Tempo(50, 1000000);
    writer.EndTrack();
    writer.BeginTrack();
    writer.Event(50, {0xB2, 64, 127});
    writer.Event(50, {0xFF, 0x59, 0x02, 0x00, 0x00});
  } else {
    writer.Event(0, {0xB2, 64, 127});
    writer.Tempo(50, 1000000);
    writer.Event(0, {0xFF, 0x59, 0x02, 0x00, 0x00});
  }
  writer.Event(0, {0xE0, 0x00, 0x40});
  writer.Event(5, {0x80, 60, 64});
  writer.EndTrack();
  return writer.Bytes();
}

TEST(MidiFile, EventsComeInTimeOrderOnTheSampleTheTempoMapGivesThem) {
  for (int format : {0, 1}) {
    SCOPED_TRACE(format);
    const MidiSequence sequence = Parse(TempoMapFile(format), 48000);
    ExpectEvents(sequence, {{10, 0x90, 60, 100},
                            {40, 0x90, 62, 0},
                            {50, 0xC1, 7, 0},
                            {50, 0xB2, 64, 127},
                            {100, 0xE0, 0x00, 0x40},
                            {110, 0x80, 60, 64}});
    EXPECT_EQ(sequence.EndSample(), 111);
    EXPECT_TRUE(sequence.notes.empty());
  }
}

TEST(MidiFile, TicksBecomeTheNearestSampleAtEveryKindOfDivision) {
  struct Case {
    uint16_t division;
    uint32_t tempo;  // 0: none in the file
    int rate;
    uint32_t tick;
    int64_t sample;
  };
  const Case kCases[] = {
      {96, 500000, 44100, 1, 230},              // 229.6875
      {96, 500000, 44100, 2, 459},              // 459.375
      {96, 0, 44100, 96, 22050},                // 120 beats a minute when no tempo is given
      {0xE728, 0, 48000, 1000, 48000},          // 25 frames a second, 40 ticks a frame
      {0xE364, 0, 48000, 1000, 16016},          // 30000/1001 frames a second, 100 ticks a frame
      {0xE728, 250000, 48000, 1000, 48000},     // time code ignores tempo
      {1, 16777215, 768000, 200, 2576980224},   // the slowest tempo, far in
      {1, 16777215, 768000, 1000, 12884901120}, // too far in
  };
  for (const Case& c : kCases) {
    MidiFileWriter writer(0, c.division);
    writer.BeginTrack();
    if (c.tempo) writer.Tempo(0, c.tempo);
    writer.Event(c.tick, {0x90, 60, 1});
    writer.EndTrack();
    MidiSequence sequence;
    const Bytes bytes = writer.Bytes();
    const std::string error = ParseMidiFile(bytes.data(), bytes.size(), c.rate, &sequence);
    if (c.sample > int64_t{kLongestMidiSeconds} * c.rate) {
      EXPECT_NE(error.find("longest a file may play"), std::string::npos) << error;
      continue;
    }
    ASSERT_EQ(error, "") << c.division;
    ASSERT_EQ(sequence.events.size(), 1u);
    EXPECT_EQ(sequence.events[0].sample, c.sample) << c.division << " " << c.tick;
  }
}

TEST(MidiFile, SystemExclusiveMessagesAreWholeWhetherSplitOrNot) {
  MidiFileWriter writer(0, 480);
  writer.BeginTrack();
  writer.SysEx(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
  writer.SysEx(10, 0xF0, {0x43, 0x10});  // continued by the packet below
  writer.Event(0, {0x90, 60, 100});
  writer.SysEx(5, 0xF7, {0x4C, 0xF7});
  writer.SysEx(0, 0xF7, {0xF8});  // an escape: not played
  writer.SysEx(0, 0xF0, {0x41});  // never finished: not played
  writer.EndTrack();
  const MidiSequence sequence = Parse(writer.Bytes(), 48000);
  ASSERT_EQ(sequence.events.size(), 3u);
  const auto bytesOf = [&](const MidiEvent& event) {
    EXPECT_EQ(event.status, kSysExStatus);
    return Bytes(sequence.sysExBytes.begin() + event.sysExStart,
                 sequence.sysExBytes.begin() + event.sysExStart + event.sysExSize);
  };
  EXPECT_EQ(bytesOf(sequence.events[0]), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(sequence.events[1].sample, 500) << "a split message plays when it begins, before what follows it";
  EXPECT_EQ(bytesOf(sequence.events[1]), (Bytes{0xF0, 0x43, 0x10, 0x4C, 0xF7}));
  EXPECT_EQ(sequence.events[2].status, 0x90);
  EXPECT_EQ(sequence.notes.size(), 2u) << "the escape and the unfinished message are reported";
}

// Each file korval-host must refuse with status 2 and a message saying why, well within the time limit.
TEST(MidiFile, BrokenOrHostileFilesAreRefusedClearlyAndPromptly) {
  const auto withTrack = [](const std::function<void(MidiFileWriter&)>& track, int format = 0,
                            uint16_t division = 480) {
    MidiFileWriter writer(format, division);
    writer.BeginTrack();
    track(writer);
    return writer.Bytes();
  };
  const auto notes = [](MidiFileWriter& w) {
    w.Event(0, {0x90, 60, 100});
    w.EndTrack(10);
  };
  Bytes truncated = withTrack(notes);
  truncated.resize(truncated.size() - 3);
  Bytes moreTracks = withTrack(notes, 1);
  moreTracks[11] = 3;
  Bytes manyEvents = withTrack([](MidiFileWriter& w) {
    w.Event(0, {0xC0, 0});
    for (int i = 0; i < 2000000; ++i) w.Raw({0, 1});
    w.EndTrack();
  });
  Bytes oversized = withTrack(notes);
  oversized.resize(kLargestMidiFile + 1);

  const struct {
    const char* name;
    Bytes bytes;
    const char* message;
  } kCases[] = {
      {"not midi", {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'M', 'I', 'D', 'I'}, "not a Standard MIDI File"},
      {"truncated chunk", truncated, "the file ends 5 bytes later"},
      {"missing tracks", moreTracks, "announces 3 tracks, the file ends after 1"},
      {"long number", withTrack([](MidiFileWriter& w) { w.Raw({0x81, 0x81, 0x81, 0x81, 0x00, 0x90, 60, 1}); }),
       "longer than 4 bytes"},
      {"length past the end", withTrack([](MidiFileWriter& w) { w.Raw({0, 0xF0, 0x8F, 0xFF, 0x7F, 0x01}); }),
       "runs past the end of its track"},
      {"running status with none", withTrack([](MidiFileWriter& w) { w.Event(0, {60, 100}); }),
       "without a status"},
      {"huge delta", withTrack([](MidiFileWriter& w) {
         w.Event(0x0FFFFFFF, {0x90, 60, 1});
         w.EndTrack();
       }),
       "later than 3600 s"},
      {"tempo 0", withTrack([](MidiFileWriter& w) { w.Tempo(0, 0); }), "a tempo of 0"},
      {"millions of events", manyEvents, "more than 1048576 events"},
      {"never ends", withTrack([](MidiFileWriter& w) { w.Event(0, {0x90, 60, 100}); }), "without its end-of-track"},
      {"oversized", oversized, "larger than 16 MiB"},
      {"division 0", withTrack(notes, 0, 0), "a division of 0"},
      {"format 2", withTrack(notes, 2), "format 2"},
      {"stray status", withTrack([](MidiFileWriter& w) { w.Event(0, {0xF8}); }), "0xF8"},
  };
  TempDir dir;
  for (const auto& c : kCases) {
    const std::string path = dir.Path("hostile.mid");
    WriteBytes(path, std::string(c.bytes.begin(), c.bytes.end()));
    const HostRun run = RunHost({"render", "--midi", path, dir.Path("out.wav")}, 20);
    EXPECT_EQ(run.exitStatus, 2) << c.name << ": " << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.name << ": " << run.output;
  }
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"hostile.mid"}) << "no output is left behind";
}

}  // namespace
