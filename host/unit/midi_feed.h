#pragma once
// Plays a MIDI sequence into a unit slice by slice: before a slice is rendered, each event that falls in
// it goes to the unit's MIDI selector with its offset from the slice's first sample, and each
// system-exclusive message to the unit's system-exclusive selector.
#include <AudioUnit/AudioUnit.h>

#include <cstdint>

#include "host/files/midi_file.h"

namespace korval_host {

class MidiFeed {
 public:
  MidiFeed(AudioUnit unit, const MidiSequence& sequence) : mUnit(unit), mSequence(sequence) {}

  // Sends the events of samples start to start + frames - 1, slices being asked for in order;
  // noErr, or the status of the first call the unit refused.
  OSStatus SendSlice(int64_t start, UInt32 frames);
  size_t Sent() const { return mNext; }

 private:
  AudioUnit mUnit;
  const MidiSequence& mSequence;
  size_t mNext = 0;
};

}  // namespace korval_host
