#pragma once
// korval-host validate: checks a unit the way a careful host would use it and a hostile one might,
// one line per check.
#include <memory>
#include <string>

#include "host/block_renderer.h"
#include "host/commands.h"

namespace korval_host {

class Validator {
 public:
  explicit Validator(const HostContext& context) : mContext(context) {}

  // Prints "PASS name" or "FAIL name: detail" (a passing check shows its detail too, if any).
  bool Check(const std::string& name, bool passed, const std::string& detail = {});
  // Something a host would notice but that breaks nothing.
  int Failures() const { return mFailures; }
  int Checks() const { return mChecks; }
  const HostContext& Context() const { return mContext; }

  // A fresh instance, or null after recording a failure.
  std::unique_ptr<HostedUnit> Open();

 private:
  const HostContext& mContext;
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

// Empty when every sample is finite and none is denormal; else the first offender.
std::string SignalFault(const float* samples, UInt32 frames);
// A deterministic test signal (tone plus noise, about -12 dBFS) for every channel's input.
void FillTestSignal(BlockRenderer& renderer, UInt32 frames, UInt32 seed);
void FillSilence(BlockRenderer& renderer, UInt32 frames);
// Configures for the renderer's channels, connects and initialises; empty on success, else which step failed.
std::string PrepareForRendering(HostedUnit& unit, BlockRenderer& renderer, double sampleRate, UInt32 maxFrames);
// "" when every output channel of the last `frames` frames is clean.
std::string OutputFault(const BlockRenderer& renderer, UInt32 frames);

}  // namespace korval_host
