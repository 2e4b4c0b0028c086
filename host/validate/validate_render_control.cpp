// What hosts do around rendering: new slice sizes, reset, bypass, parameter changes and scheduled
// events between slices, and buffers the unit must supply itself.
#include <cstring>
#include <vector>

#include "host/validate/validator.h"

namespace korval_host {

namespace {

constexpr double kRate = 48000;
constexpr UInt32 kFrames = 512;

std::string RenderSignal(BlockRenderer& renderer, UInt32 frames, UInt32 seed) {
  FillTestSignal(renderer, frames, seed);
  const OSStatus status = renderer.Render(frames);
  if (status != noErr) return StatusText(status);
  return OutputFault(renderer, frames);
}

std::string CheckMaximumFramesChanges(HostedUnit& unit, BlockRenderer& renderer) {
  const UInt32 sizes[] = {256, 2048, 64};
  UInt32 seed = 0;
  for (UInt32 maximum : sizes) {
    OSStatus status = unit.SetMaximumFrames(maximum);
    if (status != noErr) return "setting " + std::to_string(maximum) + ": " + StatusText(status);
    const std::string problem = RenderSignal(renderer, maximum, seed++);
    if (!problem.empty()) return std::to_string(maximum) + " frames: " + problem;
    if (renderer.Render(maximum + 1) == noErr) return std::to_string(maximum + 1) + " frames were accepted";
  }
  return {};
}

std::string CheckBypass(HostedUnit& unit, BlockRenderer& renderer) {
  if (OSStatus status = unit.SetBypass(true); status != noErr) return "setting bypass: " + StatusText(status);
  UInt32 bypassed = 0, size = sizeof bypassed;
  AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypassed, &size);
  if (bypassed != 1) return "bypass reads back " + std::to_string(bypassed);
  FillTestSignal(renderer, kFrames, 7);
  if (OSStatus status = renderer.Render(kFrames); status != noErr) return "render: " + StatusText(status);
  // A unit without an input has nothing to pass on: it falls silent.
  const bool takesSound = unit.TakesSound();
  const std::vector<float> silence(kFrames, 0.0f);
  for (UInt32 c = 0; c < renderer.Channels(); ++c) {
    const float* expected = takesSound ? renderer.Input(c) : silence.data();
    if (std::memcmp(expected, renderer.Output(c), kFrames * sizeof(float)) != 0)
      return std::string(takesSound ? "bypassed output differs from the input" : "a bypassed instrument sounds") +
             " on channel " + std::to_string(c);
  }
  unit.SetBypass(false);
  AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypassed, &size);
  if (bypassed != 0) return "bypass stays on";
  return RenderSignal(renderer, kFrames, 8);
}

// Every parameter walks through its range while slices are rendered, alternately set by the entry and by fast dispatch.
std::string CheckParameterChanges(HostedUnit& unit, BlockRenderer& renderer) {
  const std::vector<ParameterDescription> parameters = unit.Parameters();
  for (UInt32 step = 0; step < 16; ++step) {
    for (const ParameterDescription& parameter : parameters) {
      const float value = parameter.minValue + (parameter.maxValue - parameter.minValue) * ((step * 7 + parameter.id) % 16) / 15.0f;
      const OSStatus status = step % 2 ? unit.SetParameter(parameter.id, value)
                                       : AudioUnitSetParameter(unit.Unit(), parameter.id, kAudioUnitScope_Global, 0, value, 0);
      if (status != noErr) return "setting " + parameter.name + ": " + StatusText(status);
    }
    const std::string problem = RenderSignal(renderer, kFrames, step);
    if (!problem.empty()) return problem;
  }
  return {};
}

std::string CheckScheduledEvents(HostedUnit& unit, BlockRenderer& renderer) {
  const std::vector<ParameterDescription> parameters = unit.Parameters();
  std::vector<AudioUnitParameterEvent> events;
  for (const ParameterDescription& parameter : parameters) {
    AudioUnitParameterEvent event{};
    event.scope = kAudioUnitScope_Global;
    event.parameter = parameter.id;
    event.eventType = kParameterEvent_Immediate;
    event.eventValues.immediate = {kFrames / 2, parameter.maxValue};
    events.push_back(event);
  }
  OSStatus status = AudioUnitScheduleParameters(unit.Unit(), events.data(), static_cast<UInt32>(events.size()));
  if (status != noErr) return "immediate events: " + StatusText(status);
  for (const ParameterDescription& parameter : parameters) {
    AudioUnitParameterValue value = 0;
    unit.GetParameter(parameter.id, &value);
    if (value != parameter.maxValue) return parameter.name + " did not take its scheduled value";
  }
  if (!parameters.empty()) {
    AudioUnitParameterEvent ramp{};
    ramp.parameter = parameters[0].id;
    ramp.eventType = kParameterEvent_Ramped;
    ramp.eventValues.ramp = {0, kFrames, parameters[0].minValue, parameters[0].maxValue};
    if ((status = AudioUnitScheduleParameters(unit.Unit(), &ramp, 1)) != noErr) return "ramp: " + StatusText(status);
    AudioUnitParameterEvent wrongScope = events[0];
    wrongScope.scope = kAudioUnitScope_Output;
    if (AudioUnitScheduleParameters(unit.Unit(), &wrongScope, 1) == noErr) return "an output-scope event was accepted";
  }
  return RenderSignal(renderer, kFrames, 3);
}

// Two fresh instances fed the same input: one renders into host buffers through the entry, the
// other through fast dispatch into buffers it supplies itself. Both must give the same audio.
std::string CheckRoutesAgree(Validator& validator) {
  std::unique_ptr<HostedUnit> first = validator.Open();
  std::unique_ptr<HostedUnit> second = validator.Open();
  if (!first || !second) return "cannot open two instances";
  BlockRenderer entry(*first, 2, kFrames, RenderRoute::kEntry);
  BlockRenderer fast(*second, 2, kFrames, RenderRoute::kFastDispatch);
  fast.SetNullOutputBuffers(true);
  std::string problem = PrepareForRendering(*first, entry, kRate, kFrames);
  if (problem.empty()) problem = PrepareForRendering(*second, fast, kRate, kFrames);
  if (!problem.empty()) return problem;
  for (UInt32 block = 0; block < 16; ++block) {
    FillTestSignal(entry, kFrames, block);
    FillTestSignal(fast, kFrames, block);
    if (entry.Render(kFrames) != noErr || fast.Render(kFrames) != noErr) return "render failed";
    for (UInt32 c = 0; c < 2; ++c) {
      if (!fast.RenderedChannel(c)) return "the unit left a null output buffer null";
      if (std::memcmp(entry.RenderedChannel(c), fast.RenderedChannel(c), kFrames * sizeof(float)) != 0)
        return "outputs differ in block " + std::to_string(block) + ", channel " + std::to_string(c);
    }
  }
  return {};
}

}  // namespace

void ValidateRenderControl(Validator& validator) {
  std::unique_ptr<HostedUnit> unit = validator.Open();
  if (!unit) return;
  BlockRenderer renderer(*unit, 2, 4096, RenderRoute::kFastDispatch);
  const std::string prepared = PrepareForRendering(*unit, renderer, kRate, kFrames);
  if (!validator.Check("prepare stereo at 48000 Hz", prepared.empty(), prepared)) return;

  std::string problem = CheckMaximumFramesChanges(*unit, renderer);
  validator.Check("maximum frames changed between renders (256, 2048, 64)", problem.empty(), problem);
  unit->SetMaximumFrames(kFrames);
  const OSStatus reset = AudioUnitReset(unit->Unit(), kAudioUnitScope_Global, 0);
  problem = reset == noErr ? RenderSignal(renderer, kFrames, 1) : StatusText(reset);
  validator.Check("reset, then render", problem.empty(), problem);
  problem = CheckBypass(*unit, renderer);
  validator.Check(validator.Shape().takesSound ? "bypass passes the input through unchanged and can be left"
                                               : "bypass silences the unit and can be left",
                  problem.empty(), problem);
  problem = CheckParameterChanges(*unit, renderer);
  validator.Check("parameter changes between slices, by the entry and by fast dispatch", problem.empty(), problem);
  problem = CheckScheduledEvents(*unit, renderer);
  validator.Check("scheduled parameter events: immediate applied, ramp accepted, wrong scope refused", problem.empty(),
                  problem);
  problem = CheckRoutesAgree(validator);
  validator.Check("entry and fast dispatch render the same; null output buffers are supplied", problem.empty(), problem);
}

}  // namespace korval_host
