// korval-host render --midi: every event reaches the unit's MIDI selectors at its own sample, whatever
// the block size; only units played by MIDI are played, with sound exactly when they take it.
#include <gtest/gtest.h>

#include <cmath>

#include "click_unit.h"
#include "host/files/midi_file_writer.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

const std::string kClickBundle = KORV_CLICK_BUNDLE_DIR;
const std::string kInstrument = "aumu:Clik:KrvT", kEffect = "aumf:ClkF:KrvT";

struct Mark {
  long sample;
  float code;
};

// At 48000 Hz a tick is a sample up to tick 24000, where the tempo halves and a tick becomes two.
// Marks on output 1 of the click units, in sample order.
const Mark kMarks[] = {
    {1, ClickCode(0x90, 60, 127)},  {63, ClickCode(0x90, 62, 64)},   {64, ClickCode(0xB0, 7, 100)},
    {999, ClickCode(0x90, 60, 0)},  {1000, ClickCode(0xE1, 0, 64)},  {4095, ClickCode(0xC2, 5, 0)},
    {4097, ClickCode(0x93, 64, 1)}, {25000, ClickCode(0x90, 72, 100)}, {25002, ClickCode(0x80, 72, 0)},
};
constexpr long kSysExSample = 10000, kLastSample = 25002;
const std::vector<uint8_t> kSysEx = {0x7E, 0x7F, 0x09, 0x01, 0xF7};

std::string WriteMusic(const TempDir& dir) {
  MidiFileWriter writer(1, 24000);
  writer.BeginTrack();
  writer.Tempo(0, 500000);
  writer.Tempo(24000, 1000000);
  writer.EndTrack();
  writer.BeginTrack();
  writer.Event(1, {0x90, 60, 127});
  writer.Raw({62, 62, 64});  // running status: tick 63
  writer.Event(1, {0xB0, 7, 100});
  writer.Event(935, {0x90, 60, 0});
  writer.Event(1, {0xE1, 0, 64});
  writer.Event(3095, {0xC2, 5});
  writer.Event(2, {0x93, 64, 1});
  writer.SysEx(5903, 0xF0, kSysEx);
  writer.Event(14000 + 500, {0x90, 72, 100});  // tick 24500
  writer.Event(1, {0x80, 72, 0});
  writer.EndTrack();
  const std::vector<uint8_t> bytes = writer.Bytes();
  WriteBytes(dir.Path("music.mid"), std::string(bytes.begin(), bytes.end()));
  return dir.Path("music.mid");
}

HostRun Render(const std::string& component, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"--bundle", kClickBundle, "--component", component, "render"});
  return RunHost(arguments, 60);
}

TEST(MidiRender, EveryEventLandsOnItsSampleWhateverTheBlockSize) {
  TempDir dir;
  const std::string music = WriteMusic(dir);
  for (const char* block : {"1", "64", "1000", "4096"}) {
    SCOPED_TRACE(block);
    const HostRun run = Render(kInstrument, {"--midi", music, dir.Path("out.wav"), "--block", block});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find("playing 10 MIDI events"), std::string::npos) << run.output;
    const Sound out = ReadSound(dir.Path("out.wav"));
    ASSERT_EQ(out.info.channels, 2) << "the channels of the instrument's output";
    EXPECT_EQ(out.info.samplerate, 48000);
    ASSERT_EQ(out.info.frames, kLastSample + 1) << "the render ends with the last event: the clicks leave no tail";

    // A system-exclusive message has no offset: it reaches the unit before the slice holding its sample.
    const long blockFrames = std::stol(block);
    const long sysExSlice = kSysExSample / blockFrames * blockFrames;
    std::vector<Mark> expected(std::begin(kMarks), std::end(kMarks));
    expected.push_back({sysExSlice, SysExCode(static_cast<uint16_t>(kSysEx.size() + 1))});
    std::sort(expected.begin(), expected.end(), [](const Mark& a, const Mark& b) { return a.sample < b.sample; });
    std::vector<Mark> codes, clicks;
    for (long i = 0; i < out.info.frames; ++i) {
      if (out.samples[2 * i + 1] != 0) codes.push_back({i, out.samples[2 * i + 1]});
      if (out.samples[2 * i] != 0) clicks.push_back({i, out.samples[2 * i]});
    }
    ASSERT_EQ(codes.size(), expected.size());
    for (size_t k = 0; k < codes.size(); ++k) {
      EXPECT_EQ(codes[k].sample, expected[k].sample) << k;
      EXPECT_EQ(codes[k].code, expected[k].code) << k;
    }
    // Note-ons of velocity 0 reach the unit as they are, which takes them as note-offs.
    const std::vector<std::pair<long, float>> kClicks = {{1, 1.0f}, {63, 64 / 127.0f}, {4097, 1 / 127.0f}, {25000, 100 / 127.0f}};
    ASSERT_EQ(clicks.size(), kClicks.size());
    for (size_t k = 0; k < clicks.size(); ++k) {
      EXPECT_EQ(clicks[k].sample, kClicks[k].first);
      EXPECT_FLOAT_EQ(clicks[k].code, kClicks[k].second);
    }
  }
}

TEST(MidiRender, AnEffectPlayedByMidiHearsItsInputAndTheEventsToTheLastOne) {
  TempDir dir;
  const std::string music = WriteMusic(dir);
  WriteTestSound(dir.Path("in.wav"), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 48000);
  const Sound in = ReadSound(dir.Path("in.wav"));
  const HostRun run = Render(kEffect, {dir.Path("in.wav"), dir.Path("out.wav"), "--midi", music, "--block", "100"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Sound out = ReadSound(dir.Path("out.wav"));
  ASSERT_EQ(out.info.frames, kLastSample + 1) << "the input ends first; the music goes on";
  for (long i = 0; i < out.info.frames; ++i) {
    const float input = i < 2000 ? in.samples[2 * i] : 0.0f;
    const float click = i == 1 ? 1.0f : i == 63 ? 64 / 127.0f : i == 4097 ? 1 / 127.0f : i == 25000 ? 100 / 127.0f : 0.0f;
    ASSERT_NEAR(out.samples[2 * i], input + click, 1e-6f) << i;
  }
}

TEST(MidiRender, RatesAndTailsAreTheInstrumentsOwn) {
  TempDir dir;
  const std::string music = WriteMusic(dir);
  const HostRun run = Render(kInstrument, {"--midi", music, dir.Path("out.wav"), "--rate", "96000", "--tail", "0.25"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Sound out = ReadSound(dir.Path("out.wav"));
  EXPECT_EQ(out.info.samplerate, 96000);
  EXPECT_EQ(out.info.frames, 2 * kLastSample + 1 + 24000) << "events twice as far in, then the tail asked for";
}

// Only a unit played by MIDI takes --midi, and a sound file only when it has an input; the unit is asked.
TEST(MidiRender, UnitsAreGivenOnlyWhatTheyTake) {
  TempDir dir;
  const std::string music = WriteMusic(dir), in = dir.Path("in.wav"), out = dir.Path("out.wav");
  WriteTestSound(in, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 48000);
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } kCases[] = {
      {{"render", in, out, "--midi", music}, "takes no MIDI"},
      {{"--bundle", kClickBundle, "render", in, out, "--midi", music}, "is an instrument and takes no sound"},
      {{"--bundle", kClickBundle, "--component", kEffect, "render", "--midi", music, out}, "takes sound"},
      {{"--bundle", kClickBundle, "render", in, out, "--midi", music, "--rate", "44100"}, "--rate sets the rate"},
      {{"--bundle", kClickBundle, "render", "--midi", music, out, "--rate", "7999"}, "--rate takes"},
  };
  for (const auto& c : kCases) {
    const HostRun run = RunHost(c.arguments, 60);
    EXPECT_EQ(run.exitStatus, 2) << c.message << ": " << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
  }
  EXPECT_NE(RunHost({"--bundle", kClickBundle, "info"}).output.find("kind: instrument, played by MIDI"),
            std::string::npos);
  EXPECT_NE(RunHost({"info"}).output.find("kind: effect, takes no MIDI"), std::string::npos);
}

}  // namespace
