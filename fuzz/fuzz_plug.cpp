#include "fuzz/fuzz_plug.h"

namespace {
enum { kBypass, kMode, kSteps, kMix, kGain, kNParams };
}

FuzzPlug::FuzzPlug(bool stateChunks)
    : IFxQuietBase(IFxInstanceInfo(), kNParams, "1-1 2-2", kNPresets, "FuzzPlug", "FuzzPlug", "BrightmoorAudio",
                   0x10203, kUniqueID, 0x42726d6f, 0, false, stateChunks, false) {
  GetParam(kBypass)->InitBool("Bypass", false);
  GetParam(kMode)->InitEnum("Mode", 1, 4);
  GetParam(kSteps)->InitInt("Steps", 2, -3, 7);
  GetParam(kMix)->InitDouble("Mix", 0.5, 0.0, 1.0, 0.01);
  // A curved gain: normalised values pass through pow() both ways.
  GetParam(kGain)->InitDouble("Gain", 0.0, -15.0, 15.0, 0.001, "dB", "", 2.0);
  MakePreset("first", 1, 3, -3, 0.25, -6.5);
  MakePresetFromNamedParams("second", 2, kMix, 1.0, kGain, 15.0);
}
