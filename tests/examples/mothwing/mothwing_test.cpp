// The example instrument, Mothwing Poly, played through both bindings: its component through the
// component calls (MIDI through the music-device selector), its LV2 bundle through a lilv host that
// writes atom sequences.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/fft.h"
#include "host/unit/hosted_unit.h"
#include "lv2/lilv_test_host.h"
#include "support/alloc_counter.h"
#include "support/lock_counter.h"

namespace {

using korv_test::MidiEvent;
using Bytes = std::vector<uint8_t>;

constexpr double kRate = 48000.0;
const char* const kURI = "urn:quillmereaudio:mothwing";

Bytes NoteOn(int note, int velocity = 100) { return {0x90, uint8_t(note), uint8_t(velocity)}; }
Bytes NoteOff(int note) { return {0x80, uint8_t(note), 0}; }
Bytes Controller(int number, int value) { return {0xB0, uint8_t(number), uint8_t(value)}; }

// The left output of the events played through the LV2 bundle in runs of block frames.
std::vector<float> PlayLV2(const std::vector<MidiEvent>& events, int frames, int block) {
  static korv_test::LilvTestHost host(KORV_INSTRUMENT_LV2_BUNDLE_DIR, kURI);
  korv_test::TestInstance instance(host, kRate);
  EXPECT_NE(instance.Get(), nullptr);
  return instance.Get() ? instance.Play(events, frames, block)[0] : std::vector<float>();
}

// The same through the component: each render's events go through the MIDI selector first, at their
// offsets in it.
std::vector<float> PlayAU(const std::vector<MidiEvent>& events, int frames, int block) {
  using namespace korval_host;
  static const std::string registered = RegisterBundle(KORV_INSTRUMENT_BUNDLE_DIR);
  EXPECT_EQ(registered, "");
  std::string error;
  const std::unique_ptr<HostedUnit> unit =
      HostedUnit::Open({kAudioUnitType_MusicDevice, MakeFourCharCode("Mth1"), MakeFourCharCode("Qlmr"), 0, 0}, &error);
  EXPECT_TRUE(unit) << error;
  if (!unit) return {};
  Float64 rate = kRate;
  EXPECT_EQ(unit->SetStreamFormat(kAudioUnitScope_Output, kRate, 2), noErr);
  EXPECT_EQ(AudioUnitSetProperty(unit->Unit(), kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate,
                                 sizeof rate),
            noErr);
  EXPECT_EQ(unit->SetMaximumFrames(static_cast<UInt32>(block)), noErr);
  EXPECT_EQ(AudioUnitInitialize(unit->Unit()), noErr);
  struct {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
  } list;
  std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(block));
  AudioTimeStamp time{};
  time.mFlags = kAudioTimeStampSampleTimeValid;
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    for (const MidiEvent& event : events) {
      if (event.frame < done || event.frame >= done + n) continue;
      const Bytes& b = event.bytes;
      EXPECT_EQ(MusicDeviceMIDIEvent(unit->Unit(), b[0], b.size() > 1 ? b[1] : 0, b.size() > 2 ? b[2] : 0,
                                     static_cast<UInt32>(event.frame - done)),
                noErr);
    }
    const UInt32 bytes = static_cast<UInt32>(n) * sizeof(float);
    list = {2, {{1, bytes, left.data() + done}, {1, bytes, right.data()}}};
    EXPECT_EQ(unit->Render(false, &time, static_cast<UInt32>(n), reinterpret_cast<AudioBufferList*>(&list)), noErr);
    time.mSampleTime += n;
  }
  return left;
}

int FirstSound(const std::vector<float>& samples) {
  const auto it = std::find_if(samples.begin(), samples.end(), [](float x) { return x != 0.0f; });
  return it == samples.end() ? -1 : static_cast<int>(it - samples.begin());
}

double Rms(const std::vector<float>& samples, int from, int to) {
  double sum = 0.0;
  for (int i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
  return std::sqrt(sum / (to - from));
}

// From the rising zero crossings between from and to (each placed between its samples).
double FrequencyHz(const std::vector<float>& samples, int from, int to) {
  std::vector<double> crossings;
  for (int i = from + 1; i < to; ++i)
    if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
      crossings.push_back(i - 1 + samples[i - 1] / (double(samples[i - 1]) - samples[i]));
  if (crossings.size() < 2) return 0.0;
  return kRate * double(crossings.size() - 1) / (crossings.back() - crossings.front());
}

// A note starts on its own sample whatever the block size, in pieces of the LV2 binding's block too (the
// test host's maximum block is 1024), and both bindings play the same samples.
TEST(MothwingBindings, ANoteStartsOnItsSampleAndBothBindingsAgree) {
  const int onset = 1234;
  const std::vector<MidiEvent> events = {{onset, NoteOn(60)}, {2345, NoteOn(67, 40)}, {4100, NoteOff(60)},
                                         {4101, Controller(64, 127)}, {4500, NoteOff(67)}, {5000, Controller(64, 0)}};
  const int frames = 9000;
  const std::vector<float> reference = PlayLV2(events, frames, 64);
  ASSERT_EQ(FirstSound(reference), onset);
  for (int block : {1, 64, 1000, 4096}) {
    SCOPED_TRACE(block);
    const std::vector<float> lv2 = PlayLV2(events, frames, block), au = PlayAU(events, frames, block);
    EXPECT_EQ(FirstSound(lv2), onset);
    EXPECT_EQ(FirstSound(au), onset);
    EXPECT_TRUE(lv2 == reference) << "the LV2 bundle plays otherwise at another block size";
    EXPECT_TRUE(au == lv2) << "the component and the LV2 bundle play different samples";
  }
}

// The controllers change what is heard: each case's windows sound, or are silent to the last bit.
TEST(MothwingSound, ReleaseSustainAndPanicControllersAreHeard) {
  struct Window {
    int from, to;
    bool sounding;
  };
  struct Case {
    const char* name;
    std::vector<MidiEvent> events;
    std::vector<Window> windows;
  };
  // The default release falls silent 300 ms (14400 frames) after the key or the pedal lets go.
  const Case cases[] = {
      {"a note-off releases the note", {{100, NoteOn(60)}, {4800, NoteOff(60)}}, {{1000, 4700, true}, {20000, 24000, false}}},
      {"a note-on of velocity 0 releases it too", {{100, NoteOn(60)}, {4800, NoteOn(60, 0)}}, {{20000, 24000, false}}},
      {"the pedal holds a released note until it lifts",
       {{0, Controller(64, 127)}, {100, NoteOn(60)}, {4800, NoteOff(60)}, {30000, Controller(64, 0)}},
       {{20000, 29900, true}, {46000, 48000, false}}},
      {"resetting the controllers lifts the pedal",
       {{0, Controller(64, 127)}, {100, NoteOn(60)}, {4800, NoteOff(60)}, {10000, Controller(121, 0)}},
       {{26000, 28000, false}}},
      {"all notes off releases every held note",
       {{100, NoteOn(60)}, {100, NoteOn(64)}, {4800, Controller(123, 0)}},
       {{1000, 4700, true}, {20000, 24000, false}}},
      {"all sound off silences at once", {{100, NoteOn(60)}, {4800, Controller(120, 0)}},
       {{1000, 4700, true}, {4800, 6000, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<float> out = PlayLV2(c.events, 48000, 256);
    for (const Window& w : c.windows) {
      if (w.sounding) EXPECT_GT(Rms(out, w.from, w.to), 1e-3) << w.from;
      else EXPECT_EQ(Rms(out, w.from, w.to), 0.0) << w.from;
    }
  }
}

TEST(MothwingSound, PitchWheelBendsTwoSemitonesAndVelocityScales) {
  // The wheel all the way up (8191 of 8192 steps) halfway through the note.
  const std::vector<float> bent = PlayLV2({{0, NoteOn(69)}, {24000, {0xE0, 0x7F, 0x7F}}}, 48000, 256);
  EXPECT_NEAR(FrequencyHz(bent, 4000, 23000), 440.0, 0.05);
  EXPECT_NEAR(FrequencyHz(bent, 28000, 47000), 440.0 * std::pow(2.0, 2.0 * 8191 / 8192 / 12), 0.05);

  const std::vector<float> loud = PlayLV2({{0, NoteOn(57, 127)}}, 8000, 256);
  const std::vector<float> soft = PlayLV2({{0, NoteOn(57, 42)}}, 8000, 256);
  for (size_t i = 0; i < loud.size(); ++i) ASSERT_NEAR(soft[i], loud[i] * 42.0 / 127.0, 1e-6) << i;
}

// The loudest spectral line (in dB below the fundamental's) that is no harmonic of fundamentalHz: what
// folded back from above the Nyquist frequency. A Blackman-Harris window keeps each line's leakage
// below -92 dB outside its own few bins.
double WorstFoldedLineDb(const std::vector<float>& samples, int from, double fundamentalHz) {
  constexpr int kSize = 32768;
  std::vector<BRM_FFT_COMPLEX> buffer(kSize);
  for (int i = 0; i < kSize; ++i) {
    const double x = 2.0 * M_PI * i / kSize;
    const double window = 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
    buffer[i] = {samples[from + i] * window, 0.0};
  }
  BRM_fft(buffer.data(), kSize, 0);
  auto magnitude = [&](int bin) { return std::hypot(buffer[BRM_fft_permute(kSize, bin)].re, buffer[BRM_fft_permute(kSize, bin)].im); };
  const double binHz = kRate / kSize;
  double fundamental = 0.0, worst = 0.0;
  for (int bin = 1; bin < kSize / 2; ++bin) {
    const double harmonic = bin * binHz / fundamentalHz;
    const bool nearHarmonic = std::fabs(harmonic - std::round(harmonic)) * fundamentalHz < 8 * binHz;
    if (nearHarmonic && std::round(harmonic) == 1) fundamental = std::max(fundamental, magnitude(bin));
    if (!nearHarmonic) worst = std::max(worst, magnitude(bin));
  }
  return 20.0 * std::log10(worst / fundamental);
}

// The highest note the instrument is meant for, with every harmonic the table holds let through.
TEST(MothwingSound, Note108FoldsNothingBackAt48kHz) {
  korv_test::LilvTestHost host(KORV_INSTRUMENT_LV2_BUNDLE_DIR, kURI);
  for (int wave : {0, 1}) {
    SCOPED_TRACE(wave ? "square" : "saw");
    korv_test::TestInstance instance(host, kRate);
    instance.Control("wave") = float(wave);
    instance.Control("cutoff") = 20000.0f;
    instance.Control("sustain") = 100.0f;
    const std::vector<float> out = instance.Play({{0, NoteOn(108, 127)}}, 4800 + 32768, 1024)[0];
    EXPECT_LT(WorstFoldedLineDb(out, 4800, 440.0 * std::pow(2.0, (108 - 69) / 12.0)), -80.0);
  }
}

// Eight voices at full velocity on the loudest settings stay below full scale, and a ninth note takes a
// voice instead of being dropped.
TEST(MothwingSound, EightVoicesStayBelowFullScaleAndANinthStealsOne) {
  korv_test::LilvTestHost host(KORV_INSTRUMENT_LV2_BUNDLE_DIR, kURI);
  std::vector<MidiEvent> chord;
  for (int note = 24; note <= 108; note += 12) chord.push_back({0, NoteOn(note, 127)});
  auto play = [&](const std::vector<MidiEvent>& events) {
    korv_test::TestInstance instance(host, kRate);
    instance.Control("wave") = 1.0f;
    instance.Control("resonance") = 8.0f;
    instance.Control("cutoff") = 440.0f;
    instance.Control("attack") = 0.0f;
    instance.Control("volume") = 0.0f;
    return instance.Play(events, 24000, 512)[0];
  };
  const std::vector<float> full = play(chord);
  float peak = 0.0f;
  for (float x : full) {
    ASSERT_TRUE(std::isfinite(x));
    peak = std::max(peak, std::fabs(x));
  }
  EXPECT_LE(peak, 1.0f);
  EXPECT_GT(peak, 0.5f) << "the chord should reach the limiter";

  std::vector<MidiEvent> nine = chord;
  nine.push_back({12000, NoteOn(61, 127)});
  const std::vector<float> stolen = play(nine);
  EXPECT_TRUE(std::equal(full.begin(), full.begin() + 12000, stolen.begin()));
  EXPECT_NE(full[12000], stolen[12000]);
}

// Events a host should not send are dropped or held inside the run; the valid ones around them play.
TEST(MothwingLV2, MalformedEventsAreDroppedOrClamped) {
  korv_test::LilvTestHost host(KORV_INSTRUMENT_LV2_BUNDLE_DIR, kURI);
  korv_test::UridTable& urids = host.Urids();
  struct RawEvent {
    int64_t frame;
    Bytes bytes;
    // Another atom type than MIDI, a body size other than the bytes'.
    LV2_URID type = 0;
    uint32_t claimedSize = 0;
  };
  struct Case {
    const char* name;
    std::vector<RawEvent> events;
    // The first frame that sounds, -1 for none.
    int onset;
    uint32_t unit = 0, claimedAtomSize = 0;
  };
  constexpr int kFrames = 2048;
  Bytes oversized(5002, 0x01);
  oversized.front() = 0xF0;
  oversized.back() = 0xF7;
  const RawEvent valid = {100, NoteOn(60)};
  const Case cases[] = {
      {"a truncated note-on", {{10, {0x90, 60}}, valid}, 100},
      {"running status after a note-off", {{10, {0x90, 62, 0}}, {20, {62, 100}}, valid}, 100},
      {"a data byte without status", {{10, {0x40}}, valid}, 100},
      {"a data byte with its top bit set", {{10, {0x90, 0xBC, 100}}, valid}, 100},
      {"an unterminated system-exclusive message", {{10, {0xF0, 0x7E, 0x01}}, valid}, 100},
      {"a system-exclusive message broken by a status byte", {{10, {0xF0, 0x7E, 0x90, 60, 100, 0xF7}}, valid}, 100},
      {"an oversized system-exclusive message", {{10, oversized}, valid}, 100},
      {"an event past the run's end", {{1000000000, NoteOn(60)}}, kFrames - 1},
      {"an event before the run", {{-500, NoteOn(60)}}, 0},
      {"events out of time order", {{300, NoteOn(60)}, {100, NoteOn(64)}}, 300},
      {"a sequence claiming more than its buffer", {valid}, 100, 0, 0xFFFFFF00u},
      {"an event claiming more than the sequence", {valid, {200, NoteOn(64), 0, 0xFFFFFFF0u}}, 100},
      {"an event of another type", {{10, NoteOn(60), urids.Id(LV2_ATOM__Int)}, valid}, 100},
      {"a sequence timed in beats", {valid}, -1, urids.Id(LV2_ATOM__beatTime)},
      {"a sequence whose unit the host left unset", {valid}, 100, 0x5555},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes sequence(sizeof(LV2_Atom_Sequence));
    for (const RawEvent& e : c.events) {
      LV2_Atom_Event header{};
      header.time.frames = e.frame;
      header.body = {e.claimedSize ? e.claimedSize : uint32_t(e.bytes.size()), e.type ? e.type : urids.Id(LV2_MIDI__MidiEvent)};
      const auto* p = reinterpret_cast<const uint8_t*>(&header);
      sequence.insert(sequence.end(), p, p + sizeof(header));
      sequence.insert(sequence.end(), e.bytes.begin(), e.bytes.end());
      sequence.resize((sequence.size() + 7) / 8 * 8);
    }
    const LV2_Atom_Sequence head = {
        {c.claimedAtomSize ? c.claimedAtomSize : uint32_t(sequence.size() - sizeof(LV2_Atom)), urids.Id(LV2_ATOM__Sequence)},
        {c.unit, 0}};
    std::memcpy(sequence.data(), &head, sizeof(head));
    korv_test::TestInstance instance(host, kRate);
    instance.FeedRawSequence(sequence);
    const std::vector<float> out = instance.RunOnce(kFrames)[0];
    EXPECT_EQ(FirstSound(out), c.onset);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return std::isfinite(x); }));
  }
}

// A plug-in has event ports exactly when it takes MIDI: the effects keep the ports they had.
TEST(MothwingLV2, OnlyAPlugInThatTakesMidiHasAnEventPort) {
  struct Case {
    const char *bundle, *uri;
    int eventPorts;
    bool instrument;
  };
  const Case cases[] = {{KORV_LV2_BUNDLE_DIR, "urn:brightmooraudio:korvaline", 0, false},
                        {KORV_EXAMPLE_LV2_BUNDLE_DIR, "urn:quillmereaudio:slantwise", 0, false},
                        {KORV_INSTRUMENT_LV2_BUNDLE_DIR, kURI, 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri);
    korv_test::LilvTestHost host(c.bundle, c.uri);
    ASSERT_NE(host.Plugin(), nullptr);
    LilvNode* atomPort = lilv_new_uri(host.World(), LV2_ATOM__AtomPort);
    LilvNode* urid = lilv_new_uri(host.World(), LV2_URID__map);
    LilvNode* instrument = lilv_new_uri(host.World(), LV2_CORE__InstrumentPlugin);
    EXPECT_EQ(static_cast<int>(lilv_plugin_get_num_ports_of_class(host.Plugin(), atomPort, nullptr)), c.eventPorts);
    LilvNodes* required = lilv_plugin_get_required_features(host.Plugin());
    EXPECT_EQ(lilv_nodes_contains(required, urid), c.eventPorts > 0);
    LilvNode* type = lilv_new_uri(host.World(), LILV_NS_RDF "type");
    LilvNodes* types = lilv_plugin_get_value(host.Plugin(), type);
    EXPECT_EQ(lilv_nodes_contains(types, instrument), c.instrument);
    lilv_nodes_free(types);
    lilv_nodes_free(required);
    for (LilvNode* node : {atomPort, urid, instrument, type}) lilv_node_free(node);
  }
}

// Notes, controllers and the wheel on the audio thread: no allocation, no lock.
TEST(MothwingLV2, PlayingAllocatesAndLocksNothing) {
  korv_test::LilvTestHost host(KORV_INSTRUMENT_LV2_BUNDLE_DIR, kURI);
  korv_test::TestInstance instance(host, kRate);
  ASSERT_NE(instance.Get(), nullptr);
  std::vector<MidiEvent> events;
  for (int i = 0; i < 12; ++i) events.push_back({i * 40, NoteOn(48 + 3 * i)});
  events.push_back({300, {0xE0, 0x00, 0x50}});
  events.push_back({350, Controller(64, 127)});
  events.push_back({400, Controller(123, 0)});
  instance.Play({{0, NoteOn(40)}}, 512, 512);
  korv_test::AllocationScope allocations;
  korv_test::LockScope locks;
  for (int run = 0; run < 8; ++run) {
    instance.FeedMidi(events, 0, 512);
    lilv_instance_run(instance.Get(), 512);
  }
  EXPECT_EQ(allocations.Count(), 0);
  EXPECT_EQ(locks.Count(), 0);
}

}  // namespace
