#pragma once
// The port layout every plug-in on the LV2 binding has, shared by the binding and the Turtle
// generator so the two cannot disagree: audio inputs, audio outputs, one control input per
// parameter, the latency output, then the MIDI event input of a plug-in that takes MIDI and the
// event output of one that sends it. The event ports come last, so a plug-in without MIDI keeps the
// indices it has always had.
#include <cstdint>

struct LV2PortLayout {
  int mNIn, mNOut, mNParams;
  bool mMidiIn = false, mMidiOut = false;

  uint32_t FirstAudioOut() const { return static_cast<uint32_t>(mNIn); }
  uint32_t FirstParam() const { return static_cast<uint32_t>(mNIn + mNOut); }
  uint32_t Latency() const { return static_cast<uint32_t>(mNIn + mNOut + mNParams); }
  // Valid only when the plug-in has the port.
  uint32_t MidiIn() const { return Latency() + 1; }
  uint32_t MidiOut() const { return MidiIn() + (mMidiIn ? 1 : 0); }
  uint32_t NPorts() const { return Latency() + 1 + (mMidiIn ? 1 : 0) + (mMidiOut ? 1 : 0); }
};
