#pragma once
// The port layout every plug-in on the LV2 binding has, shared by the binding and the Turtle
// generator so the two cannot disagree: audio inputs, audio outputs, one control input per
// parameter, then the latency output.
#include <cstdint>

struct LV2PortLayout {
  int mNIn, mNOut, mNParams;

  uint32_t FirstAudioOut() const { return static_cast<uint32_t>(mNIn); }
  uint32_t FirstParam() const { return static_cast<uint32_t>(mNIn + mNOut); }
  uint32_t Latency() const { return static_cast<uint32_t>(mNIn + mNOut + mNParams); }
  uint32_t NPorts() const { return Latency() + 1; }
};
