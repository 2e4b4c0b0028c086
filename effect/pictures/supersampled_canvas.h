#pragma once
// Drawing helpers for the picture generator. Pictures are drawn at kSupersample times their
// final size with hard-edged shapes and then reduced by averaging, which antialiases them.
#include "raster/rast_bitmap.h"

inline constexpr int kSupersample = 4;

struct Rgb {
  int r, g, b;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

inline int ChannelFrom(float v) { return v < 0.0f ? 0 : v > 255.0f ? 255 : static_cast<int>(v + 0.5f); }
// A neutral grey with a trace of blue, the colour of the panel's metal.
inline Rgb MetalGrey(float v) { return {ChannelFrom(v), ChannelFrom(v * 1.02f), ChannelFrom(v * 1.06f)}; }

// Mixes the opaque colour c into the pixel at weight alpha (0..1).
void BlendPixel(RAST_IBitmap* bmp, int x, int y, Rgb c, float alpha);

// Calls paint(x, y) for every pixel of the bitmap inside the box (x0, y0)..(x1, y1), edges
// included, clipped to the bitmap; nothing for a bitmap without pixels.
template <class Paint>
void ForEachPixel(RAST_IBitmap* bmp, float x0, float y0, float x1, float y1, Paint paint) {
  if (!bmp->getBits()) return;
  int left = x0 < 0 ? 0 : static_cast<int>(x0);
  int top = y0 < 0 ? 0 : static_cast<int>(y0);
  int right = x1 >= bmp->getWidth() ? bmp->getWidth() - 1 : static_cast<int>(x1);
  int bottom = y1 >= bmp->getHeight() ? bmp->getHeight() - 1 : static_cast<int>(y1);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) paint(x, y);
}

// Angles are in radians from straight up, clockwise on screen, as in the raster library.
float AngleOf(float dx, float dy);
// Distance from (x, y) to the arc of radius r about (cx, cy) between angles a0 <= a1.
float DistanceToArc(float x, float y, float cx, float cy, float r, float a0, float a1);
// Distance from (x, y) to the segment (x1, y1)-(x2, y2).
float DistanceToSegment(float x, float y, float x1, float y1, float x2, float y2);

// A band of the given half width along an arc, with round ends.
void FillArcBand(RAST_IBitmap* bmp, float cx, float cy, float r, float halfWidth, float a0, float a1, Rgb c,
                 float alpha);
// A soft glow around an arc: alpha falls off with the distance as a Gaussian of width sigma.
void GlowArc(RAST_IBitmap* bmp, float cx, float cy, float r, float sigma, float a0, float a1, Rgb c, float alpha);
// A line with round ends.
void FillCapsule(RAST_IBitmap* bmp, float x1, float y1, float x2, float y2, float halfWidth, Rgb c, float alpha);
// A disc whose colour at each pixel comes from shade(dx, dy), the offset from the centre.
template <class Shade>
void ShadeDisc(RAST_IBitmap* bmp, float cx, float cy, float r, Shade shade) {
  ForEachPixel(bmp, cx - r, cy - r, cx + r, cy + r, [&](int x, int y) {
    float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
    if (dx * dx + dy * dy <= r * r) BlendPixel(bmp, x, y, shade(dx, dy), 1.0f);
  });
}
// A blurred disc, for shadows and glows.
void SoftDisc(RAST_IBitmap* bmp, float cx, float cy, float r, float sigma, Rgb c, float alpha);

// dest (resized to w x h) = the area of src whose top-left corner is at (srcX, srcY), reduced by
// kSupersample. Areas at the same position give the same pixels whichever bitmap they come from,
// except within one pixel of src's edges.
void ReduceSupersampled(RAST_IBitmap* dest, int w, int h, RAST_IBitmap* src, int srcX, int srcY);
