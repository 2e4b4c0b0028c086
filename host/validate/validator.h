#pragma once
// korval-host validate: checks a unit the way a careful host would use it and a hostile one might,
// one line per check.
#include <memory>
#include <string>
#include <vector>

#include "host/commands/commands.h"
#include "host/unit/block_renderer.h"

namespace korval_host {

// What the unit says it is; the battery checks it as that. Effects take sound on an input bus,
// instruments make it from MIDI and have no input.
struct UnitShape {
  bool takesSound = true;
  bool takesMidi = false;
  bool isInstrument = false;
  std::vector<AUChannelInfo> configurations;

  // Whether a configuration lists this many output channels, with as many inputs for a unit that takes sound.
  bool Renders(UInt32 channels) const;
};

// Asks the unit: its input buses, its component type and the channel configurations it lists.
UnitShape ReadUnitShape(const HostedUnit& unit);
// Whether a configuration matches (negative counts in it match any).
bool Supports(const std::vector<AUChannelInfo>& configurations, int inputs, int outputs);

class Validator {
 public:
  explicit Validator(const HostContext& context) : mContext(context) {}

  // Prints "PASS name" or "FAIL name: detail" (a passing check shows its detail too, if any).
  bool Check(const std::string& name, bool passed, const std::string& detail = {});
  // Something a host would notice but that breaks nothing.
  int Failures() const { return mFailures; }
  int Checks() const { return mChecks; }
  const HostContext& Context() const { return mContext; }
  const UnitShape& Shape() const { return mShape; }
  void SetShape(const UnitShape& shape) { mShape = shape; }

  // A fresh instance, or null after recording a failure.
  std::unique_ptr<HostedUnit> Open();

 private:
  const HostContext& mContext;
  UnitShape mShape;
  int mChecks = 0;
  int mFailures = 0;
};

void ValidateLifecycle(Validator& validator);
void ValidateProperties(Validator& validator);
void ValidateParameters(Validator& validator);
void ValidateFormats(Validator& validator);
void ValidateRendering(Validator& validator);
void ValidateRenderControl(Validator& validator);
void ValidateState(Validator& validator);
void ValidateMidi(Validator& validator);

// Empty when every sample is finite and none is denormal; else the first offender.
std::string SignalFault(const float* samples, UInt32 frames);
// A deterministic test signal (tone plus noise, about -12 dBFS) for every channel's input; a unit played
// by MIDI is also sent a note-on inside the slice, and a note-off for the note that seed - 1 started.
void FillTestSignal(BlockRenderer& renderer, UInt32 frames, UInt32 seed);
// Silence in, and all notes off for a unit played by MIDI.
void FillSilence(BlockRenderer& renderer, UInt32 frames);
// Configures for the renderer's channels, connects the input of a unit that takes sound and initialises;
// empty on success, else which step failed.
std::string PrepareForRendering(HostedUnit& unit, BlockRenderer& renderer, double sampleRate, UInt32 maxFrames);
// "" when every output channel of the last `frames` frames is clean.
std::string OutputFault(const BlockRenderer& renderer, UInt32 frames);

}  // namespace korval_host
