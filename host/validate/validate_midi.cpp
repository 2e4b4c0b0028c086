// MIDI: the music-device selectors answered exactly by units played by MIDI, and an instrument that
// sounds from a note at its offset, stays finite and within full scale, and dies away within its tail.
#include <algorithm>
#include <cmath>

#include "host/validate/validator.h"

namespace korval_host {

namespace {

constexpr double kRate = 48000;
constexpr UInt32 kFrames = 512;
constexpr UInt32 kNoteOffset = 100;
constexpr UInt32 kNote = 60, kVelocity = 127;
// What counts as sound, and as having died away: -60 dBFS.
constexpr float kAudible = 1e-3f;
// How long a note is held before it is released.
constexpr int kHeldSlices = 48;

float Peak(const BlockRenderer& renderer, UInt32 from, UInt32 to) {
  float peak = 0.0f;
  for (UInt32 c = 0; c < renderer.Channels(); ++c) {
    const float* samples = renderer.RenderedChannel(c);
    for (UInt32 i = from; i < to; ++i) peak = std::max(peak, std::fabs(samples[i]));
  }
  return peak;
}

std::string RenderClean(BlockRenderer& renderer, UInt32 frames = kFrames) {
  const OSStatus status = renderer.Render(frames);
  return status != noErr ? "render: " + StatusText(status) : OutputFault(renderer, frames);
}

// Silent at rest and before the note's offset; then sound, finite and within full scale, while it is held.
std::string CheckNoteSounds(HostedUnit& unit, BlockRenderer& renderer) {
  std::string problem = RenderClean(renderer);
  if (!problem.empty()) return problem;
  if (Peak(renderer, 0, kFrames) != 0.0f) return "it sounds before any note";
  OSStatus status = MusicDeviceMIDIEvent(unit.Unit(), 0x90, kNote, kVelocity, kNoteOffset);
  if (status != noErr) return "the note-on was refused (" + StatusText(status) + ")";
  if (!(problem = RenderClean(renderer)).empty()) return problem;
  if (Peak(renderer, 0, kNoteOffset) != 0.0f) return "it sounds before the note's offset";
  float peak = Peak(renderer, kNoteOffset, kFrames);
  for (int slice = 1; slice < kHeldSlices; ++slice) {
    if (!(problem = RenderClean(renderer)).empty()) return problem;
    peak = std::max(peak, Peak(renderer, 0, kFrames));
  }
  if (peak < kAudible) return "no sound while the note is held (peak " + std::to_string(peak) + ")";
  if (peak > 1.0f) return "the note goes beyond full scale (peak " + std::to_string(peak) + ")";
  return {};
}

// After the note-off, the output falls below -60 dBFS within the tail the unit reports, where hosts stop.
std::string CheckNoteDiesWithinTail(HostedUnit& unit, BlockRenderer& renderer) {
  Float64 tail = 0;
  if (GetPropertyValue(unit.Unit(), kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &tail) != noErr ||
      !std::isfinite(tail) || tail < 0)
    return "no tail time";
  const OSStatus status = MusicDeviceMIDIEvent(unit.Unit(), 0x80, kNote, 0, 0);
  if (status != noErr) return "the note-off was refused (" + StatusText(status) + ")";
  // The slice that starts where the tail ends is quiet.
  const auto tailFrames = static_cast<long>(std::ceil(tail * kRate));
  for (long start = 0; start < tailFrames; start += kFrames) {
    const std::string problem = RenderClean(renderer);
    if (!problem.empty()) return problem;
  }
  const std::string problem = RenderClean(renderer);
  if (!problem.empty()) return problem;
  const float last = Peak(renderer, 0, kFrames);
  if (last >= kAudible)
    return "still at " + std::to_string(20 * std::log10(last)) + " dBFS after the reported tail of " +
           std::to_string(tail) + " s";
  return {};
}

// Events at the first, a middle and the last frame of a slice, and a system-exclusive message, while sound
// goes through.
std::string CheckEventsAreTaken(HostedUnit& unit, BlockRenderer& renderer) {
  const UInt8 sysEx[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  const UInt32 events[][4] = {
      {0x90, 64, 90, 0}, {0xB0, 1, 64, kFrames / 2}, {0xE0, 0, 80, kFrames / 2}, {0x80, 64, 0, kFrames - 1}};
  for (const auto& event : events) {
    const OSStatus status = MusicDeviceMIDIEvent(unit.Unit(), event[0], event[1], event[2], event[3]);
    if (status != noErr) return "an event was refused (" + StatusText(status) + ")";
  }
  if (const OSStatus status = MusicDeviceSysEx(unit.Unit(), sysEx, sizeof sysEx); status != noErr)
    return "a system-exclusive message was refused (" + StatusText(status) + ")";
  FillTestSignal(renderer, kFrames, 0);
  return RenderClean(renderer);
}

}  // namespace

void ValidateMidi(Validator& validator) {
  const UnitShape& shape = validator.Shape();
  std::unique_ptr<HostedUnit> unit = validator.Open();
  if (!unit) return;
  const SInt16 selectors[] = {kMusicDeviceMIDIEventSelect, kMusicDeviceSysExSelect, kMusicDeviceStartNoteSelect,
                              kMusicDeviceStopNoteSelect};
  const bool answered = std::all_of(std::begin(selectors), std::end(selectors), [&](SInt16 selector) {
    return CallComponentCanDo(unit->Unit(), selector) == (shape.takesMidi ? 1 : 0);
  });
  validator.Check(shape.takesMidi ? "can-do answers for the MIDI selectors (its type says it is played by MIDI)"
                                  : "can-do refuses the MIDI selectors (its type says it takes no MIDI)",
                  answered);
  if (!shape.takesMidi) return;

  BlockRenderer renderer(*unit, shape.Renders(2) ? 2 : 1, kFrames, RenderRoute::kFastDispatch);
  const std::string prepared = PrepareForRendering(*unit, renderer, kRate, kFrames);
  if (!validator.Check("prepare for MIDI at 48000 Hz", prepared.empty(), prepared)) return;
  if (!shape.isInstrument) {
    const std::string problem = CheckEventsAreTaken(*unit, renderer);
    validator.Check("MIDI and system-exclusive events are taken at any offset of a slice, output clean",
                    problem.empty(), problem);
    return;
  }
  std::string problem = CheckNoteSounds(*unit, renderer);
  validator.Check("a note through the MIDI selector sounds from its offset, finite and within full scale",
                  problem.empty(), problem);
  if (!problem.empty()) return;
  problem = CheckNoteDiesWithinTail(*unit, renderer);
  validator.Check("after its note-off the note dies away below -60 dBFS within the reported tail", problem.empty(),
                  problem);
}

}  // namespace korval_host
