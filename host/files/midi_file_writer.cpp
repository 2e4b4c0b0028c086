#include "host/files/midi_file_writer.h"

namespace korval_host {

namespace {

void AppendBigEndian(std::vector<uint8_t>* bytes, uint32_t value, int count) {
  for (int shift = 8 * (count - 1); shift >= 0; shift -= 8) bytes->push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

void AppendVariableLength(std::vector<uint8_t>* bytes, uint32_t value) {
  int shift = 21;
  while (shift > 0 && (value >> shift) == 0) shift -= 7;
  for (; shift > 0; shift -= 7) bytes->push_back(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
  bytes->push_back(static_cast<uint8_t>(value & 0x7F));
}

void MidiFileWriter::Event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
  AppendVariableLength(&Track(), delta);
  Raw(bytes);
}

void MidiFileWriter::Raw(std::initializer_list<uint8_t> bytes) { Track().insert(Track().end(), bytes); }

void MidiFileWriter::Tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
  Event(delta, {0xFF, 0x51, 0x03});
  AppendBigEndian(&Track(), microsecondsPerQuarter, 3);
}

void MidiFileWriter::SysEx(uint32_t delta, uint8_t status, const std::vector<uint8_t>& data) {
  Event(delta, {status});
  AppendVariableLength(&Track(), static_cast<uint32_t>(data.size()));
  Track().insert(Track().end(), data.begin(), data.end());
}

std::vector<uint8_t> MidiFileWriter::Bytes() const {
  std::vector<uint8_t> bytes{'M', 'T', 'h', 'd'};
  AppendBigEndian(&bytes, 6, 4);
  AppendBigEndian(&bytes, static_cast<uint32_t>(mFormat), 2);
  AppendBigEndian(&bytes, static_cast<uint32_t>(mTracks.size()), 2);
  AppendBigEndian(&bytes, mDivision, 2);
  for (const std::vector<uint8_t>& track : mTracks) {
    bytes.insert(bytes.end(), {'M', 'T', 'r', 'k'});
    AppendBigEndian(&bytes, static_cast<uint32_t>(track.size()), 4);
    bytes.insert(bytes.end(), track.begin(), track.end());
  }
  return bytes;
}

}  // namespace korval_host
