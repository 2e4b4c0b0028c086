#pragma once
// Designs the effect's impulse response: a close-miked source in a small live room. A short direct
// pulse, a low-frequency undershoot that removes most of the response at DC, image-source early
// reflections that dull with every wall bounce, and a two-band exponentially decaying diffuse tail.
// The result is deterministic: no clock, no system randomness.
#include <vector>

// Returns kKorvalineIRLength samples at kKorvalineIRSampleRate. Adjacent samples come in equal
// pairs (the design runs at half the rate and holds each value for two samples).
std::vector<float> DesignKorvalineImpulse();

// Fixed figures of the design that the generator verifies before writing the table.
struct ImpulseTargets {
  static constexpr float kHead[3] = {0.0716f, 0.2285f, -0.0731f};  // first three held values
  static constexpr int kLastNonZero = 201445;
  static constexpr double kSum = -0.02695;
  static constexpr double kSumOfSquares = 0.13214;
};
