#pragma once
// The unit's impulse response: one small impulse rendered through it, then silence until the
// response has died away.
#include <string>
#include <vector>

#include "host/unit/hosted_unit.h"

namespace korval_host {

struct ImpulseResponse {
  int sampleRate = 0;
  // The impulse's amplitude. The unit may be nonlinear: its response holds at this level only.
  double impulseLevel = 0;
  // The output divided by the impulse's amplitude, from the impulse's frame on.
  std::vector<double> samples;
  // False when the length limit ended the render while the response still sounded.
  bool diedAway = false;
};

// Well below full scale, so that a soft shaper in the unit stays in its nearly linear range.
inline constexpr double kResponseImpulseLevel = 0.01;  // -40 dBFS

// Prepares the unit (parameters already set) to render mono at sampleRate, then renders an impulse
// of `level` followed by silence, until the response stays below -96 dB of the impulse for 1 s, or
// for at most the unit's reported tail time and a few seconds of ring-out. Empty on success, else
// why it failed.
std::string RenderImpulseResponse(HostedUnit& unit, int sampleRate, double level, ImpulseResponse* response);

}  // namespace korval_host
