#include "host/response/response_render.h"

#include <algorithm>
#include <cmath>

#include "host/commands/commands.h"
#include "host/unit/block_renderer.h"
#include "host/unit/silence_watch.h"

namespace korval_host {

namespace {

constexpr UInt32 kBlock = 512;
// Beyond the reported tail, the unit's filters may still ring a while.
constexpr double kRingOutSeconds = 5;
// For a unit that reports no tail, or an absurd one: the response is kept in memory whole.
constexpr double kLongestResponseSeconds = 60;

double ResponseLimitSeconds(const HostedUnit& unit) {
  Float64 tail = 0;
  const bool known = GetPropertyValue(unit.Unit(), kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &tail) ==
                         noErr &&
                     std::isfinite(tail) && tail >= 0;
  return known ? std::min(tail + kRingOutSeconds, kLongestResponseSeconds) : kLongestResponseSeconds;
}

}  // namespace

std::string RenderImpulseResponse(HostedUnit& unit, int sampleRate, double level, ImpulseResponse* response) {
  OSStatus status = unit.Configure(sampleRate, 1, kBlock);
  if (status != noErr)
    return "the unit does not take " + std::to_string(sampleRate) + " Hz mono (" + StatusText(status) + ")";
  BlockRenderer renderer(unit, 1, kBlock, unit.HasFastRender() ? RenderRoute::kFastDispatch : RenderRoute::kEntry);
  status = renderer.Connect();
  if (status == noErr) status = AudioUnitInitialize(unit.Unit());
  if (status != noErr) return "the unit cannot be prepared for rendering (" + StatusText(status) + ")";

  // The level as the unit receives it, so that the response is divided by what went in.
  const float impulse = static_cast<float>(level);
  response->sampleRate = sampleRate;
  response->impulseLevel = impulse;
  response->samples.clear();
  response->diedAway = false;
  const auto limit = static_cast<size_t>(std::llround(ResponseLimitSeconds(unit) * sampleRate));
  // The watch looks at the response relative to the impulse, so its -96 dBFS is -96 dB of that.
  SilenceWatch silence(sampleRate, 1);
  float relative[kBlock];
  size_t audibleEnd = 0;
  std::fill_n(renderer.Input(0), kBlock, 0.0f);
  renderer.Input(0)[0] = impulse;
  while (response->samples.size() < limit && !silence.Reached()) {
    const auto frames = static_cast<UInt32>(std::min<size_t>(kBlock, limit - response->samples.size()));
    status = renderer.Render(frames);
    if (status != noErr) return "the unit failed to render (" + StatusText(status) + ")";
    renderer.Input(0)[0] = 0.0f;
    const float* output = renderer.Output(0);
    for (UInt32 i = 0; i < frames; ++i) {
      // The figures would all be meaningless; say so rather than draw them.
      if (!std::isfinite(output[i]))
        return "the unit rendered a sample that is not a finite number at frame " +
               std::to_string(response->samples.size() + i);
      // The watch compares magnitudes only; capped, they stay within a float.
      relative[i] = static_cast<float>(std::min(std::abs(static_cast<double>(output[i]) / impulse), 1.0));
    }
    const sf_count_t throughAudible = silence.Follow(relative, frames);
    if (throughAudible > 0) audibleEnd = response->samples.size() + static_cast<size_t>(throughAudible);
    for (UInt32 i = 0; i < frames; ++i) response->samples.push_back(static_cast<double>(output[i]) / impulse);
  }
  response->diedAway = silence.Reached();
  // The quiet second that tells the response has died away is not part of it.
  if (response->diedAway) response->samples.resize(audibleEnd);
  return {};
}

}  // namespace korval_host
