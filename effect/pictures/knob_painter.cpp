#include "effect/pictures/knob_painter.h"

#include <cmath>

namespace {

constexpr Rgb kTrack{17, 18, 21};
constexpr Rgb kLit{255, 152, 38};
constexpr Rgb kLitCore{255, 214, 150};
constexpr Rgb kPointer{246, 244, 238};

// The knurled skirt: dark, lit from above, with fine ridges around its edge.
Rgb SkirtShade(float dx, float dy, float radius) {
  float d = std::hypot(dx, dy) / radius;
  float light = 48.0f - 22.0f * dy / radius;
  float ridges = d > 0.86f ? 7.0f * std::cos(AngleOf(dx, dy) * 48.0f) : 0.0f;
  float rim = d > 0.94f ? 18.0f * (1.0f - dy / radius) * 0.5f : 0.0f;
  return MetalGrey(light + ridges + rim);
}

// The cap: brushed metal turned on a lathe, whose reflection depends on the angle around it.
Rgb CapShade(float dx, float dy, float radius) {
  float angle = AngleOf(dx, dy);
  float d = std::hypot(dx, dy) / radius;
  float sheen = 150.0f + 52.0f * std::cos(2.0f * (angle - 0.55f)) + 18.0f * std::cos(6.0f * angle);
  return MetalGrey(sheen - 40.0f * d * d * (dy / radius > 0 ? dy / radius : 0));
}

}  // namespace

void PaintKnobTrack(RAST_IBitmap* bmp, float cx, float cy, float side) {
  FillArcBand(bmp, cx, cy, kKnobArcRadius * side, kKnobArcHalfWidth * side, kKnobSweepStart, kKnobSweepEnd, kTrack,
              1.0f);
}

void PaintKnob(RAST_IBitmap* bmp, float cx, float cy, float side, double value) {
  float angle = KnobAngle(value);
  float arcRadius = kKnobArcRadius * side;

  // The lit part of the track, glowing a little onto the panel.
  GlowArc(bmp, cx, cy, arcRadius, 0.035f * side, kKnobSweepStart, angle, kLit, 0.45f);
  FillArcBand(bmp, cx, cy, arcRadius, kKnobArcHalfWidth * side, kKnobSweepStart, angle, kLit, 1.0f);
  FillArcBand(bmp, cx, cy, arcRadius, 0.35f * kKnobArcHalfWidth * side, kKnobSweepStart, angle, kLitCore, 0.8f);

  float skirt = kKnobSkirtRadius * side;
  SoftDisc(bmp, cx, cy + 0.035f * side, skirt * 0.96f, 0.035f * side, kBlack, 0.75f);
  ShadeDisc(bmp, cx, cy, skirt, [&](float dx, float dy) { return SkirtShade(dx, dy, skirt); });
  float cap = 0.79f * skirt;
  ShadeDisc(bmp, cx, cy, cap + 0.012f * side, [&](float, float dy) { return MetalGrey(dy < 0 ? 24.0f : 70.0f); });
  ShadeDisc(bmp, cx, cy, cap, [&](float dx, float dy) { return CapShade(dx, dy, cap); });

  // The pointer runs from the cap's middle over the skirt's edge.
  float sx = std::sin(angle), sy = -std::cos(angle);
  float inner = 0.32f * skirt, outer = 0.97f * skirt;
  FillCapsule(bmp, cx + inner * sx, cy + inner * sy, cx + outer * sx, cy + outer * sy, 0.026f * side, MetalGrey(20.0f),
              0.9f);
  FillCapsule(bmp, cx + inner * sx, cy + inner * sy, cx + outer * sx, cy + outer * sy, 0.014f * side, kPointer, 1.0f);
}
