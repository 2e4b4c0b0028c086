#pragma once
// The knob of the front panel, drawn at one value. Sizes are fractions of the frame's side so
// that the small and the large knob look alike.
#include <numbers>

#include "effect/pictures/supersampled_canvas.h"

inline constexpr float kKnobSweepStart = -0.75f * std::numbers::pi_v<float>;
inline constexpr float kKnobSweepEnd = 0.75f * std::numbers::pi_v<float>;

inline constexpr float kKnobArcRadius = 0.405f;
inline constexpr float kKnobArcHalfWidth = 0.026f;
inline constexpr float kKnobSkirtRadius = 0.325f;
inline constexpr float kKnobMarkInner = 0.455f;
inline constexpr float kKnobMarkOuter = 0.49f;

inline float KnobAngle(double value) {
  return kKnobSweepStart + static_cast<float>(value) * (kKnobSweepEnd - kKnobSweepStart);
}

// The unlit track the value arc runs in; part of the panel, as it never changes.
void PaintKnobTrack(RAST_IBitmap* bmp, float cx, float cy, float side);
// The knob showing value (0..1) centred at (cx, cy); side is the frame's side in bmp's pixels.
void PaintKnob(RAST_IBitmap* bmp, float cx, float cy, float side, double value);
