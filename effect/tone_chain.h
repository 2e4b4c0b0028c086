#pragma once
// The effect's fixed six-stage tone chain: its stage settings, the per-block configuration for a
// sample rate and the per-sample pass through all stages.
#include <array>
#include <span>

#include "dsp/biquad.h"

struct ToneStage {
  int type;
  double frequencyHz;
  double q;
  double gainDb;
};

inline constexpr int kToneChainLength = 6;

// The shelf stages ignore their Q. The last stage is a low shelf with a high corner: it lifts
// almost the whole band.
inline constexpr std::array<ToneStage, kToneChainLength> kToneChainStages = {{
    {kBiquadLowShelf, 73.0, 1.0, 7.0},
    {kBiquadHighShelf, 962.0, 1.0, -3.0},
    {kBiquadPeak, 2788.0, 1.0, 3.5},
    {kBiquadPeak, 5624.0, 1.0, -4.0},
    {kBiquadPeak, 9688.0, 3.3, 3.0},
    {kBiquadLowShelf, 17969.0, 9.4, 11.0},
}};

// Highest stage frequency, as a fraction of the sample rate, used at low sample rates where a
// stage's corner would reach Nyquist: a bilinear design at or above 0.5 has poles outside the unit
// circle and its output would grow without bound.
inline constexpr double kToneChainMaxFrequency = 0.49;

// Re-applies every stage's settings for the sample rate, keeping the filter states. A rate that is
// not a positive finite number leaves the stages untouched.
void ConfigureToneChain(std::span<Biquad, kToneChainLength> stages, double sampleRate);

// One sample through stages 1 to 6 in order; each stage's float output feeds the next.
inline float RunToneChain(std::span<Biquad, kToneChainLength> stages, float input) {
  float x = input;
  for (Biquad& stage : stages) x = stage.process(x);
  return x;
}

// Samples the chain's answer to a unit impulse takes at the rate to stay below kToneChainSilence for
// good: how long the chain rings on once its input has fallen silent. 0 for a rate that is not a
// positive finite number.
inline constexpr float kToneChainSilence = 1e-6f;
int ToneChainRingOut(double sampleRate);

// Silences every stage's ring, keeping the stages' settings.
inline void ClearToneChain(std::span<Biquad, kToneChainLength> stages) {
  for (Biquad& stage : stages) stage.clearState();
}
