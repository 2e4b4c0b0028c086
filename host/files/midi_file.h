#pragma once
// Standard MIDI Files (formats 0 and 1) read into the events a unit is played with, each at its sample
// from the start at a given rate. The tempo map is the first track's; tracks are merged in time order,
// those of the same tick in track order. Meta events are not played.
//
// What is accepted is capped, so that no file can take unbounded memory or time: its size, the events
// it holds and how long it plays.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korval_host {

constexpr size_t kLargestMidiFile = size_t{16} << 20;
constexpr size_t kMostMidiEvents = size_t{1} << 20;  // played events and tempo changes together
constexpr int kLongestMidiSeconds = 3600;

constexpr uint8_t kSysExStatus = 0xF0;

struct MidiEvent {
  int64_t sample = 0;
  // A channel message (data 2 is 0 for those with one data byte), or kSysExStatus for a
  // system-exclusive message whose bytes, from F0 to F7, are MidiSequence::sysExBytes from sysExStart.
  uint8_t status = 0, data1 = 0, data2 = 0;
  uint32_t sysExStart = 0, sysExSize = 0;
};

struct MidiSequence {
  std::vector<MidiEvent> events;  // in time order
  std::vector<uint8_t> sysExBytes;
  // What the file holds that is not played, for the user to hear of.
  std::vector<std::string> notes;

  // One past the last event's sample: the frames it takes to play them all (0 without events).
  int64_t EndSample() const { return events.empty() ? 0 : events.back().sample + 1; }
};

// Empty on success, else why the bytes cannot be played (the sequence is then left incomplete).
std::string ParseMidiFile(const uint8_t* bytes, size_t size, int sampleRate, MidiSequence* sequence);
// The same for the file at path (a FIFO or pipe too); the whole message, naming the file.
std::string ReadMidiFile(const std::string& path, int sampleRate, MidiSequence* sequence);

}  // namespace korval_host
