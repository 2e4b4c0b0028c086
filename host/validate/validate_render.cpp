// Rendering at every common rate and slice size, through both routes, with output checks.
#include <string>

#include "host/validate/validator.h"

namespace korval_host {

namespace {

constexpr UInt32 kMaxFrames = 4096;
const double kRates[] = {11025, 22050, 44100, 48000, 88200, 96000, 192000};
const UInt32 kFrameCounts[] = {1, 64, 137, 512, 1024, 4096};

std::string Hz(double rate) { return std::to_string(static_cast<int>(rate)) + " Hz"; }

// Renders a short stretch of every slice size, alternating the two routes; "" when all went well. A unit
// that takes sound pulls its input once per slice, one without an input never.
std::string RenderEverySliceSize(BlockRenderer& renderer) {
  const long pullsPerSlice = renderer.Unit().TakesSound() ? 1 : 0;
  UInt32 block = 0;
  for (UInt32 frames : kFrameCounts) {
    const int blocks = frames == 1 ? 64 : 2;
    for (int i = 0; i < blocks; ++i, ++block) {
      renderer.SetRoute(block % 2 ? RenderRoute::kFastDispatch : RenderRoute::kEntry);
      FillTestSignal(renderer, frames, block);
      const long pullsBefore = renderer.InputPulls();
      const OSStatus status = renderer.Render(frames);
      const std::string at = std::to_string(frames) + " frames: ";
      if (status != noErr) return at + StatusText(status);
      if (renderer.InputPulls() != pullsBefore + pullsPerSlice)
        return at + "input pulled " + std::to_string(renderer.InputPulls() - pullsBefore) + " times";
      const std::string fault = OutputFault(renderer, frames);
      if (!fault.empty()) return at + fault;
    }
  }
  return {};
}

// One frame above the maximum must be refused with kAudioUnitErr_InvalidPropertyValue, the unit's
// documented status, and must not pull input.
void CheckTooManyFrames(Validator& validator, BlockRenderer& renderer) {
  const std::string name = "rendering " + std::to_string(kMaxFrames + 1) + " frames (above the maximum) is refused";
  for (RenderRoute route : {RenderRoute::kEntry, RenderRoute::kFastDispatch}) {
    renderer.SetRoute(route);
    const long pullsBefore = renderer.InputPulls();
    const OSStatus status = renderer.Render(kMaxFrames + 1);
    const bool refused = status == kAudioUnitErr_InvalidPropertyValue && renderer.InputPulls() == pullsBefore;
    validator.Check(name, refused, StatusText(status));
    if (!refused) return;
  }
}

// Decaying output after the input stops is where denormals appear.
std::string RenderSilenceAfterSignal(BlockRenderer& renderer, double rate) {
  for (UInt32 done = 0; done < rate; done += 512) {
    if (done < rate / 4) {
      FillTestSignal(renderer, 512, done);
    } else {
      FillSilence(renderer, 512);
    }
    const OSStatus status = renderer.Render(512);
    if (status != noErr) return StatusText(status);
    const std::string fault = OutputFault(renderer, 512);
    if (!fault.empty()) return "at " + std::to_string(done) + ": " + fault;
  }
  return {};
}

}  // namespace

void ValidateRendering(Validator& validator) {
  const UnitShape& shape = validator.Shape();
  std::unique_ptr<HostedUnit> unit = validator.Open();
  if (!unit) return;
  // Room for one frame more than the unit allows, to offer it too many.
  BlockRenderer stereo(*unit, 2, kMaxFrames + 1, RenderRoute::kEntry);
  for (double rate : kRates) {
    std::string problem = PrepareForRendering(*unit, stereo, rate, kMaxFrames);
    if (problem.empty()) problem = RenderEverySliceSize(stereo);
    validator.Check("render stereo at " + Hz(rate) + ", 1 to 4096 frames, entry and fast dispatch, output clean",
                    problem.empty(), problem);
  }
  CheckTooManyFrames(validator, stereo);
  stereo.SetRoute(RenderRoute::kFastDispatch);
  const std::string tail = RenderSilenceAfterSignal(stereo, 192000);
  validator.Check("signal then silence at 192000 Hz stays free of NaN, infinity and denormals", tail.empty(), tail);

  // Mono is checked wherever it could be asked for: always on a unit that takes sound, on one without
  // an input when it lists a mono output.
  if (!shape.takesSound && !shape.Renders(1)) return;
  std::unique_ptr<HostedUnit> monoUnit = validator.Open();
  if (!monoUnit) return;
  BlockRenderer mono(*monoUnit, 1, kMaxFrames, RenderRoute::kFastDispatch);
  std::string problem = PrepareForRendering(*monoUnit, mono, 48000, kMaxFrames);
  if (problem.empty()) problem = RenderEverySliceSize(mono);
  if (problem.empty()) problem = RenderSilenceAfterSignal(mono, 48000);
  validator.Check("render mono at 48000 Hz, output clean", problem.empty(), problem);
}

}  // namespace korval_host
