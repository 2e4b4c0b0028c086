#pragma once
// Writes Standard MIDI Files byte for byte as they are told, running status and all, so that tests and
// fuzz seeds can make both sound files and damaged ones.
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace korval_host {

class MidiFileWriter {
 public:
  // division: ticks per quarter note, or a time-code division (its top bit set).
  MidiFileWriter(int format, uint16_t division) : mFormat(format), mDivision(division) {}

  // Later events go into a new track.
  void BeginTrack() { mTracks.emplace_back(); }
  // An event `delta` ticks after the one before it in the track, with its bytes as they stand in the file
  // (a status byte first, or none for running status).
  void Event(uint32_t delta, std::initializer_list<uint8_t> bytes);
  void Tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
  // status F0 (a message, or its first packet) or F7 (a later packet, or an escape): the length, then data.
  void SysEx(uint32_t delta, uint8_t status, const std::vector<uint8_t>& data);
  void EndTrack(uint32_t delta = 0) { Event(delta, {0xFF, 0x2F, 0x00}); }
  // Bytes that stand in the track as they are.
  void Raw(std::initializer_list<uint8_t> bytes);

  // The header and every track begun.
  std::vector<uint8_t> Bytes() const;

 private:
  std::vector<uint8_t>& Track() { return mTracks.back(); }

  int mFormat;
  uint16_t mDivision;
  std::vector<std::vector<uint8_t>> mTracks;
};

void AppendVariableLength(std::vector<uint8_t>* bytes, uint32_t value);

}  // namespace korval_host
