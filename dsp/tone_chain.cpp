#include "dsp/tone_chain.h"

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
