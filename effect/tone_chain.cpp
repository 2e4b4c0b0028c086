#include "effect/tone_chain.h"

#include <algorithm>
#include <array>
#include <cmath>

void ConfigureToneChain(std::span<Biquad, kToneChainLength> stages, double sampleRate) {
  if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return;
  for (int i = 0; i < kToneChainLength; ++i) {
    const ToneStage& setting = kToneChainStages[i];
    double frequency = setting.frequencyHz / sampleRate;
    if (frequency >= 0.5) frequency = kToneChainMaxFrequency;
    stages[i].setBiquad(setting.type, frequency, setting.q, setting.gainDb);
  }
}

int ToneChainRingOut(double sampleRate) {
  if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 0;
  std::array<Biquad, kToneChainLength> chain;
  ConfigureToneChain(chain, sampleRate);
  // Every stage has died away long before a second has passed.
  const int horizon = static_cast<int>(std::min(sampleRate, 1e7));
  int audible = 0;
  for (int n = 0; n < horizon; ++n)
    if (std::fabs(RunToneChain(chain, n == 0 ? 1.0f : 0.0f)) >= kToneChainSilence) audible = n + 1;
  return audible;
}
