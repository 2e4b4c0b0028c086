#include "host/validate/validator.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace korval_host {

namespace {

std::vector<AUChannelInfo> SupportedConfigurations(AudioUnit unit) {
  UInt32 size = 0;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size,
                               nullptr) != noErr)
    return {};
  std::vector<AUChannelInfo> configurations(size / sizeof(AUChannelInfo));
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                           configurations.data(), &size) != noErr)
    return {};
  configurations.resize(size / sizeof(AUChannelInfo));
  return configurations;
}

}  // namespace

bool UnitShape::Renders(UInt32 channels) const {
  return Supports(configurations, takesSound ? static_cast<int>(channels) : 0, static_cast<int>(channels));
}

UnitShape ReadUnitShape(const HostedUnit& unit) {
  return {unit.TakesSound(), unit.TakesMidi(), unit.IsInstrument(), SupportedConfigurations(unit.Unit())};
}

bool Supports(const std::vector<AUChannelInfo>& configurations, int inputs, int outputs) {
  for (const AUChannelInfo& io : configurations) {
    const bool inputMatches = io.inChannels < 0 || io.inChannels == inputs;
    const bool outputMatches = io.outChannels < 0 || io.outChannels == outputs;
    if (inputMatches && outputMatches) return true;
  }
  return false;
}

bool Validator::Check(const std::string& name, bool passed, const std::string& detail) {
  ++mChecks;
  if (!passed) ++mFailures;
  std::printf("%s  %s%s%s\n", passed ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stdout);
  return passed;
}

std::unique_ptr<HostedUnit> Validator::Open() {
  std::string error;
  std::unique_ptr<HostedUnit> unit = HostedUnit::Open(mContext.component, &error);
  if (!unit) Check("open an instance", false, error);
  return unit;
}

std::string SignalFault(const float* samples, UInt32 frames) {
  for (UInt32 i = 0; i < frames; ++i) {
    const float sample = samples[i];
    if (std::isnan(sample)) return "NaN at frame " + std::to_string(i);
    if (std::isinf(sample)) return "infinity at frame " + std::to_string(i);
    if (sample != 0.0f && std::fabs(sample) < FLT_MIN) return "denormal at frame " + std::to_string(i);
  }
  return {};
}

void FillTestSignal(BlockRenderer& renderer, UInt32 frames, UInt32 seed) {
  UInt32 state = seed * 2654435761u + 1;
  for (UInt32 c = 0; c < renderer.Channels(); ++c) {
    float* input = renderer.Input(c);
    for (UInt32 i = 0; i < frames; ++i) {
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
      const double tone = std::sin(0.05 * (seed * frames + i) + c);
      input[i] = static_cast<float>(0.2 * tone + 0.1 * noise);
    }
  }
  if (!renderer.Unit().TakesMidi() || frames == 0) return;
  // Notes walk over five octaves; their own check says whether the unit takes them.
  const auto note = [](UInt32 n) { return static_cast<UInt32>(36 + n * 7 % 60); };
  const AudioUnit unit = renderer.Unit().Unit();
  if (seed > 0) MusicDeviceMIDIEvent(unit, 0x80, note(seed - 1), 0, 0);
  MusicDeviceMIDIEvent(unit, 0x90, note(seed), 100, seed * 37 % frames);
}

void FillSilence(BlockRenderer& renderer, UInt32 frames) {
  for (UInt32 c = 0; c < renderer.Channels(); ++c) std::fill(renderer.Input(c), renderer.Input(c) + frames, 0.0f);
  // All notes off: what was playing dies away.
  if (renderer.Unit().TakesMidi()) MusicDeviceMIDIEvent(renderer.Unit().Unit(), 0xB0, 123, 0, 0);
}

std::string OutputFault(const BlockRenderer& renderer, UInt32 frames) {
  for (UInt32 c = 0; c < renderer.Channels(); ++c) {
    const std::string fault = SignalFault(renderer.RenderedChannel(c), frames);
    if (!fault.empty()) return "channel " + std::to_string(c) + ": " + fault;
  }
  return {};
}

std::string PrepareForRendering(HostedUnit& unit, BlockRenderer& renderer, double sampleRate, UInt32 maxFrames) {
  AudioUnitUninitialize(unit.Unit());
  const bool takesSound = unit.TakesSound();
  OSStatus status = takesSound ? unit.Configure(sampleRate, renderer.Channels(), maxFrames)
                               : unit.ConfigureOutput(sampleRate, renderer.Channels(), maxFrames);
  if (status != noErr) return "configuring failed (" + StatusText(status) + ")";
  if (takesSound && (status = renderer.Connect()) != noErr)
    return "setting the render callback failed (" + StatusText(status) + ")";
  if ((status = AudioUnitInitialize(unit.Unit())) != noErr) return "initialize failed (" + StatusText(status) + ")";
  return {};
}

int RunValidate(const HostContext& context, const Arguments& arguments) {
  if (!arguments.empty()) return Fail(kExitBadInput, "validate takes no arguments");
  const std::string error = RegisterBundle(context.bundleDir);
  if (!error.empty()) return Fail(kExitFailed, error);
  Validator validator(context);
  if (std::unique_ptr<HostedUnit> probe = validator.Open()) {
    validator.SetShape(ReadUnitShape(*probe));
    const UnitShape& shape = validator.Shape();
    std::printf("validating %s: %s\n", ComponentCodesText(probe->Description()).c_str(),
                shape.isInstrument ? "an instrument, played by MIDI, no sound input"
                : shape.takesMidi  ? "an effect played by MIDI"
                                   : "an effect");
  }
  ValidateLifecycle(validator);
  ValidateProperties(validator);
  ValidateParameters(validator);
  ValidateFormats(validator);
  ValidateRendering(validator);
  ValidateRenderControl(validator);
  ValidateState(validator);
  ValidateMidi(validator);
  std::printf("%d checks, %d failed\n", validator.Checks(), validator.Failures());
  return validator.Failures() ? kExitFailed : kExitOk;
}

}  // namespace korval_host
