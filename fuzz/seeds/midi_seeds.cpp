// MIDI files written by the project's own writer: both formats, a tempo map, running status,
// system-exclusive messages whole and split, and time-code division.
#include "fuzz/seeds/seed_writer.h"
#include "host/files/midi_file_writer.h"

using korval_host::MidiFileWriter;

namespace {

void Notes(MidiFileWriter& writer) {
  writer.Event(0, {0x90, 60, 100});
  writer.Raw({96, 64, 90});  // running status
  writer.Event(96, {0x80, 60, 0});
  writer.Event(0, {0xB0, 64, 127});
  writer.Event(10, {0xE0, 0x00, 0x50});
  writer.Event(10, {0xC3, 12});
  writer.Event(96, {0x90, 64, 0});
}

}  // namespace

void WriteMidiSeeds(const SeedWriter& seeds) {
  MidiFileWriter single(0, 96);
  single.BeginTrack();
  single.Tempo(0, 600000);
  Notes(single);
  single.EndTrack();
  seeds.Add("midi_file", "format0", 2, single.Bytes());

  MidiFileWriter tracks(1, 480);
  tracks.BeginTrack();
  tracks.Event(0, {0xFF, 0x03, 0x05, 't', 'e', 'm', 'p', 'o'});
  tracks.Tempo(0, 500000);
  tracks.Tempo(960, 250000);
  tracks.EndTrack();
  for (int i = 0; i < 2; ++i) {
    tracks.BeginTrack();
    Notes(tracks);
    tracks.EndTrack(480);
  }
  seeds.Add("midi_file", "format1-tempo-map", 1, tracks.Bytes());

  MidiFileWriter sysEx(0, 480);
  sysEx.BeginTrack();
  sysEx.SysEx(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
  sysEx.SysEx(10, 0xF0, {0x43, 0x10});
  sysEx.Event(0, {0x91, 48, 80});
  sysEx.SysEx(5, 0xF7, {0x4C, 0xF7});
  sysEx.SysEx(0, 0xF7, {0xF8});
  sysEx.EndTrack();
  seeds.Add("midi_file", "sysex", 0, sysEx.Bytes());

  MidiFileWriter timeCode(0, 0xE728);  // 25 frames a second, 40 ticks a frame
  timeCode.BeginTrack();
  Notes(timeCode);
  timeCode.EndTrack();
  seeds.Add("midi_file", "time-code", 3, timeCode.Bytes());
}
