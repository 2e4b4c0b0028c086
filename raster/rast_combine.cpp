#include "raster/rast_combine.h"

#include "raster/rast_dispatch.h"

namespace rast_detail {

void RgbToHsv(int r, int g, int b, int* h, int* s, int* v) {
  int maxc = r > g ? r : g;
  if (b > maxc) maxc = b;
  int minc = r < g ? r : g;
  if (b < minc) minc = b;
  int delta = maxc - minc;
  *v = maxc;
  *s = (delta * kHsvReciprocal[maxc]) / 256;
  int base, diff;
  if (r >= g && b < r) {
    diff = g - b;
    base = g < b ? 383 : 0;
  } else if (r < g && b < g) {
    diff = b - r;
    base = 128;
  } else {
    diff = r - g;
    base = 256;
  }
  *h = base + diff * (kHsvReciprocal[delta] + 1) / 1024;
}

void HsvToRgb(int h, int s, int v, int* r, int* g, int* b) {
  int low = v * (256 - s) / 256;
  if (h < 64) {
    *r = v;
    *g = v * (16384 - s * (64 - h)) / 16384;
    *b = low;
  } else if (h < 128) {
    *r = v * (16384 + s * (64 - h)) / 16384;
    *g = v;
    *b = low;
  } else if (h < 192) {
    *r = low;
    *g = v;
    *b = v * (16384 - (192 - h) * s) / 16384;
  } else if (h < 256) {
    *r = low;
    *g = v * (16384 + (192 - h) * s) / 16384;
    *b = v;
  } else if (h < 320) {
    *r = v * (16384 - s * (320 - h)) / 16384;
    *g = low;
    *b = v;
  } else {
    *r = v;
    *g = low;
    *b = v * (16384 + s * (320 - h)) / 16384;
  }
}

}  // namespace rast_detail

int RAST_WeightFromAlpha(float alpha) {
  if (!(alpha > 0.0f)) return 0;
  if (alpha >= 1.0f) return 256;
  return static_cast<int>(alpha * 256.0f);
}

namespace {

int ClampWeight(int weight) { return weight < 0 ? 0 : weight > 256 ? 256 : weight; }

// Far outside 0..255 but small enough that no formula overflows.
int LimitChannel(int v) { return v < -(1 << 20) ? -(1 << 20) : v > (1 << 20) ? (1 << 20) : v; }

}  // namespace

void RAST_CombinePixels2(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode) {
  weight = ClampWeight(weight);
  if (!dest || !weight) return;
  RAST_WithCombiner(mode, weight, [&]<class C>() { C::doPix(reinterpret_cast<unsigned char*>(dest), r, g, b, a, weight); });
}

RAST_pixel RAST_CombinePixels(RAST_pixel dest, RAST_pixel src, float alpha, int mode) {
  RAST_CombinePixels2(&dest, RAST_GETR(src), RAST_GETG(src), RAST_GETB(src), RAST_GETA(src), RAST_WeightFromAlpha(alpha), mode);
  return dest;
}

void RAST_CombinePixels2Clamp(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode) {
  weight = ClampWeight(weight);
  if (!dest || !weight) return;
  unsigned char* d = reinterpret_cast<unsigned char*>(dest);
  switch (mode & RAST_COMBINER_BITS) {
    case RAST_MODE_COPY:
      _RAST_CombinePixelsCopyClamp::doPix(d, LimitChannel(r), LimitChannel(g), LimitChannel(b), LimitChannel(a), weight);
      return;
    case RAST_MODE_MUL:
      _RAST_CombinePixelsMulClamp::doPix(d, LimitChannel(r), LimitChannel(g), LimitChannel(b), LimitChannel(a), weight);
      return;
    default:
      // The other combiners are only defined for channels in range.
      using rast_detail::Clamp255;
      RAST_CombinePixels2(dest, Clamp255(r), Clamp255(g), Clamp255(b), Clamp255(a), weight, mode);
  }
}
