// One MIDI file through both bindings of the example instrument: korval-host renders it through the
// component, a lilv host plays the same file's events (read by the host's own reader) into the LV2
// bundle as atom sequences. Both give the same samples, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/files/midi_file.h"
#include "host_test_support.h"
#include "lv2/lilv_test_host.h"

namespace {

using namespace korval_host_test;

constexpr int kRate = 48000;

// The file's events as a host puts them in an event port: channel messages with their data bytes,
// system-exclusive messages whole.
std::vector<korv_test::MidiEvent> PortEvents(const korval_host::MidiSequence& music) {
  std::vector<korv_test::MidiEvent> events;
  for (const korval_host::MidiEvent& event : music.events) {
    std::vector<uint8_t> bytes;
    if (event.status == korval_host::kSysExStatus) {
      const auto start = music.sysExBytes.begin() + event.sysExStart;
      bytes.assign(start, start + event.sysExSize);
    } else {
      const int kind = event.status & 0xF0;
      bytes = {event.status, event.data1};
      if (kind != 0xC0 && kind != 0xD0) bytes.push_back(event.data2);
    }
    events.push_back({event.sample, bytes});
  }
  return events;
}

TEST(MidiFileThroughBothBindings, TheBuiltInPhrasePlaysTheSameSamples) {
  TempDir dir;
  const std::string phrase = dir.Path("phrase.mid");
  ASSERT_EQ(RunHost({"demo-midi", phrase}).exitStatus, 0);
  korval_host::MidiSequence music;
  ASSERT_EQ(korval_host::ReadMidiFile(phrase, kRate, &music), "");
  const std::vector<korv_test::MidiEvent> events = PortEvents(music);

  korv_test::LilvTestHost host(KORV_INSTRUMENT_LV2_BUNDLE_DIR, "urn:quillmereaudio:mothwing");
  for (const char* block : {"64", "4096"}) {
    SCOPED_TRACE(block);
    const HostRun run = RunHost({"--bundle", KORV_INSTRUMENT_BUNDLE_DIR, "render", "--midi", phrase,
                                 dir.Path("component.wav"), "--block", block}, 120);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const Sound component = ReadSound(dir.Path("component.wav"));
    ASSERT_EQ(component.info.channels, 2);
    ASSERT_GT(component.info.frames, music.EndSample()) << "the music, then the release";
    ASSERT_GT(*std::max_element(component.samples.begin(), component.samples.end()), 0.1f);

    korv_test::TestInstance instance(host, kRate);
    ASSERT_NE(instance.Get(), nullptr);
    const std::vector<std::vector<float>> lv2 =
        instance.Play(events, static_cast<int>(component.info.frames), std::stoi(block));
    ASSERT_EQ(lv2.size(), 2u);
    for (sf_count_t i = 0; i < component.info.frames; ++i) {
      for (int c = 0; c < 2; ++c)
        ASSERT_EQ(lv2[c][i], component.samples[2 * i + c]) << "channel " << c << ", frame " << i;
    }
  }
}

}  // namespace
