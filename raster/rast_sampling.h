#pragma once
// Reading source pixels at 16.16 fixed-point positions for the scaled and rotated blits. A
// window is the part of the source that may be read: positions are measured from its top-left
// and samples outside it are not taken.
#include <cmath>

#include "raster/rast_surface.h"

struct RAST_SampleWindow {
  RAST_Surface src;
  int left, top;      // in source pixels
  int width, height;  // readable pixels from (left, top)

  const RAST_pixel* At(int x, int y) const { return src.At(left + x, top + y); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Largest magnitude of a position or step: products of a step and any pixel count stay in range.
inline constexpr double kRastMaxFixed = 4503599627370496.0;  // 2^52
inline constexpr long long kRastMaxFixedStep = 1LL << 33;

// v in 16.16 fixed point, truncated; false when v is not finite or out of range.
inline bool RAST_ToFixed(double v, long long* out) {
  double f = v * 65536.0;
  if (!(std::fabs(f) < kRastMaxFixed)) return false;
  *out = static_cast<long long>(f);
  return true;
}

// A step beyond the largest source is as good as any larger one: only the first sample lands.
inline bool RAST_ToFixedStep(double v, long long* out) {
  double f = v * 65536.0;
  if (std::isnan(f)) return false;
  *out = f >= static_cast<double>(kRastMaxFixedStep)    ? kRastMaxFixedStep
         : f <= -static_cast<double>(kRastMaxFixedStep) ? -kRastMaxFixedStep
                                                        : static_cast<long long>(f);
  return true;
}

struct RAST_NearestSampler {
  bool operator()(const RAST_SampleWindow& win, long long px, long long py, RAST_pixel* out) const {
    int x = static_cast<int>(px >> 16), y = static_cast<int>(py >> 16);
    if ((px >> 16) != x || (py >> 16) != y || !win.Contains(x, y)) return false;
    *out = *win.At(x, y);
    return true;
  }
};

// The four neighbours p00 (top left), p10, p01, p11 blended by fractions fx, fy (0..65535) in
// 16.16 integers.
inline RAST_pixel RAST_Blend4(RAST_pixel p00, RAST_pixel p10, RAST_pixel p01, RAST_pixel p11, long long fx,
                              long long fy) {
  long long w11 = (fx * fy) >> 16;
  long long w01 = ((65536 - fx) * fy) >> 16;
  long long w10 = (fx * (65536 - fy)) >> 16;
  long long w00 = ((65536 - fx) * (65536 - fy)) >> 16;
  RAST_pixel result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    long long c = w00 * ((p00 >> shift) & 0xff) + w10 * ((p10 >> shift) & 0xff) + w01 * ((p01 >> shift) & 0xff) +
                  w11 * ((p11 >> shift) & 0xff);
    result |= static_cast<RAST_pixel>((c >> 16) & 0xff) << shift;
  }
  return result;
}

// a and b blended by fraction f (0..65535).
inline RAST_pixel RAST_Blend2(RAST_pixel a, RAST_pixel b, long long f) {
  RAST_pixel result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    long long c = (65536 - f) * ((a >> shift) & 0xff) + f * ((b >> shift) & 0xff);
    result |= static_cast<RAST_pixel>((c >> 16) & 0xff) << shift;
  }
  return result;
}

// Blends the four neighbours by the fractions; on the window's last column only vertically, on
// its last row only horizontally, and at its last pixel takes the pixel itself.
struct RAST_BilinearSampler {
  bool operator()(const RAST_SampleWindow& win, long long px, long long py, RAST_pixel* out) const {
    int x = static_cast<int>(px >> 16), y = static_cast<int>(py >> 16);
    if ((px >> 16) != x || (py >> 16) != y || !win.Contains(x, y)) return false;
    long long fx = px & 0xffff, fy = py & 0xffff;
    bool lastColumn = x == win.width - 1, lastRow = y == win.height - 1;
    const RAST_pixel* p = win.At(x, y);
    if (lastColumn && lastRow) {
      *out = *p;
    } else if (lastColumn) {
      *out = RAST_Blend2(p[0], win.At(x, y + 1)[0], fy);
    } else if (lastRow) {
      *out = RAST_Blend2(p[0], p[1], fx);
    } else {
      const RAST_pixel* below = win.At(x, y + 1);
      *out = RAST_Blend4(p[0], p[1], below[0], below[1], fx, fy);
    }
    return true;
  }
};

// The plain average of the k x k neighbourhood around the sample's pixel, counting only
// neighbours inside the window: shrinking by large factors without skipping pixels.
struct RAST_AverageSampler {
  int radius;  // k / 2

  bool operator()(const RAST_SampleWindow& win, long long px, long long py, RAST_pixel* out) const {
    int x = static_cast<int>(px >> 16), y = static_cast<int>(py >> 16);
    if ((px >> 16) != x || (py >> 16) != y || !win.Contains(x, y)) return false;
    int x0 = x - radius < 0 ? 0 : x - radius, x1 = x + radius >= win.width ? win.width - 1 : x + radius;
    int y0 = y - radius < 0 ? 0 : y - radius, y1 = y + radius >= win.height ? win.height - 1 : y + radius;
    unsigned sum[4] = {0, 0, 0, 0};
    for (int j = y0; j <= y1; ++j) {
      const RAST_pixel* row = win.At(0, j);
      for (int i = x0; i <= x1; ++i) {
        RAST_pixel p = row[i];
        sum[0] += p & 0xff;
        sum[1] += (p >> 8) & 0xff;
        sum[2] += (p >> 16) & 0xff;
        sum[3] += p >> 24;
      }
    }
    unsigned n = static_cast<unsigned>((x1 - x0 + 1) * (y1 - y0 + 1));
    *out = (sum[0] / n) | (sum[1] / n) << 8 | (sum[2] / n) << 16 | (sum[3] / n) << 24;
    return true;
  }
};
