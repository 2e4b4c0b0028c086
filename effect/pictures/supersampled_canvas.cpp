#include "effect/pictures/supersampled_canvas.h"

#include <algorithm>
#include <cmath>

#include "raster/rast_blit.h"
#include "raster/rast_combine.h"

void BlendPixel(RAST_IBitmap* bmp, int x, int y, Rgb c, float alpha) {
  RAST_pixel* p = bmp->getBits() + y * bmp->getRowSpan() + x;
  RAST_CombinePixels2(p, c.r, c.g, c.b, 255, RAST_WeightFromAlpha(alpha), RAST_MODE_COPY);
}

float AngleOf(float dx, float dy) { return std::atan2(dx, -dy); }

float DistanceToArc(float x, float y, float cx, float cy, float r, float a0, float a1) {
  float dx = x - cx, dy = y - cy;
  float angle = AngleOf(dx, dy);
  if (angle >= a0 && angle <= a1) return std::fabs(std::sqrt(dx * dx + dy * dy) - r);
  float ex0 = cx + r * std::sin(a0), ey0 = cy - r * std::cos(a0);
  float ex1 = cx + r * std::sin(a1), ey1 = cy - r * std::cos(a1);
  return std::min(std::hypot(x - ex0, y - ey0), std::hypot(x - ex1, y - ey1));
}

float DistanceToSegment(float x, float y, float x1, float y1, float x2, float y2) {
  float vx = x2 - x1, vy = y2 - y1;
  float lengthSq = vx * vx + vy * vy;
  float t = lengthSq > 0.0f ? ((x - x1) * vx + (y - y1) * vy) / lengthSq : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return std::hypot(x - (x1 + t * vx), y - (y1 + t * vy));
}

void FillArcBand(RAST_IBitmap* bmp, float cx, float cy, float r, float halfWidth, float a0, float a1, Rgb c,
                 float alpha) {
  float reach = r + halfWidth;
  ForEachPixel(bmp, cx - reach, cy - reach, cx + reach, cy + reach, [&](int x, int y) {
    if (DistanceToArc(x + 0.5f, y + 0.5f, cx, cy, r, a0, a1) <= halfWidth) BlendPixel(bmp, x, y, c, alpha);
  });
}

void GlowArc(RAST_IBitmap* bmp, float cx, float cy, float r, float sigma, float a0, float a1, Rgb c, float alpha) {
  float reach = r + 3.0f * sigma;
  ForEachPixel(bmp, cx - reach, cy - reach, cx + reach, cy + reach, [&](int x, int y) {
    float d = DistanceToArc(x + 0.5f, y + 0.5f, cx, cy, r, a0, a1) / sigma;
    if (d < 3.0f) BlendPixel(bmp, x, y, c, alpha * std::exp(-d * d));
  });
}

void FillCapsule(RAST_IBitmap* bmp, float x1, float y1, float x2, float y2, float halfWidth, Rgb c, float alpha) {
  ForEachPixel(bmp, std::min(x1, x2) - halfWidth, std::min(y1, y2) - halfWidth, std::max(x1, x2) + halfWidth,
               std::max(y1, y2) + halfWidth, [&](int x, int y) {
                 if (DistanceToSegment(x + 0.5f, y + 0.5f, x1, y1, x2, y2) <= halfWidth)
                   BlendPixel(bmp, x, y, c, alpha);
               });
}

void SoftDisc(RAST_IBitmap* bmp, float cx, float cy, float r, float sigma, Rgb c, float alpha) {
  float reach = r + 3.0f * sigma;
  ForEachPixel(bmp, cx - reach, cy - reach, cx + reach, cy + reach, [&](int x, int y) {
    float outside = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - r;
    float d = outside > 0.0f ? outside / sigma : 0.0f;
    if (d < 3.0f) BlendPixel(bmp, x, y, c, alpha * std::exp(-d * d));
  });
}

void ReduceSupersampled(RAST_IBitmap* dest, int w, int h, RAST_IBitmap* src, int srcX, int srcY) {
  dest->resize(w, h);
  // Each final pixel averages the 5 x 5 block around the middle of its 4 x 4 source square.
  const float centre = 0.5f * kSupersample;
  RAST_ScaledBlit(dest, src, 0, 0, w, h, srcX + centre, srcY + centre, static_cast<float>(w * kSupersample),
                  static_cast<float>(h * kSupersample), 1.0f, RAST_MODE_COPY | RAST_FILTER_BILINEAR);
}
