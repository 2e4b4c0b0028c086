#include <cmath>
#include <cstdlib>
#include <utility>

#include "raster/rast_shape_paint.h"
#include "raster/rast_shapes.h"
#include "raster/rast_surface.h"

namespace {

int OutCode(long long x, long long y, const RECT& r) {
  int code = 0;
  if (x < r.left) code |= 1;
  else if (x >= r.right) code |= 2;
  if (y < r.top) code |= 4;
  else if (y >= r.bottom) code |= 8;
  return code;
}

long long RoundToLong(double v) { return static_cast<long long>(std::floor(v + 0.5)); }

// Moves an outside end onto the edge it crosses: onto the last row or column inside, at the
// line's nearest pixel there, so the clipped line keeps the pixels of the whole one.
bool ClipToRect(int* x1, int* y1, int* x2, int* y2, const RECT& r) {
  if (r.right <= r.left || r.bottom <= r.top) return false;
  long long ax = *x1, ay = *y1, bx = *x2, by = *y2;
  for (int moves = 0;; ++moves) {
    int ca = OutCode(ax, ay, r), cb = OutCode(bx, by, r);
    if (!(ca | cb)) break;
    if ((ca & cb) || moves == 32) return false;
    int code = ca ? ca : cb;
    double dx = static_cast<double>(bx - ax), dy = static_cast<double>(by - ay);
    long long x, y;
    if (code & 8) {
      y = r.bottom - 1;
      x = ax + RoundToLong(dx * static_cast<double>(y - ay) / dy);
    } else if (code & 4) {
      y = r.top;
      x = ax + RoundToLong(dx * static_cast<double>(y - ay) / dy);
    } else if (code & 2) {
      x = r.right - 1;
      y = ay + RoundToLong(dy * static_cast<double>(x - ax) / dx);
    } else {
      x = r.left;
      y = ay + RoundToLong(dy * static_cast<double>(x - ax) / dx);
    }
    if (ca) {
      ax = x;
      ay = y;
    } else {
      bx = x;
      by = y;
    }
  }
  *x1 = static_cast<int>(ax);
  *y1 = static_cast<int>(ay);
  *x2 = static_cast<int>(bx);
  *y2 = static_cast<int>(by);
  return true;
}

// A clipped line as major and minor axis steps, so one loop serves both orientations.
struct LineGeometry {
  int ax, ay;          // first end
  int bx, by;          // second end
  int majorX, majorY;  // one major step
  int minorX, minorY;  // one minor step
  int length;          // major steps from end to end
  long long slope;     // minor per major step, 16.16

  LineGeometry(int x1, int y1, int x2, int y2) : ax(x1), ay(y1), bx(x2), by(y2) {
    int dx = x2 - x1, dy = y2 - y1;
    int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    bool xMajor = std::abs(dx) >= std::abs(dy);
    majorX = xMajor ? sx : 0;
    majorY = xMajor ? 0 : sy;
    minorX = xMajor ? 0 : sx;
    minorY = xMajor ? sy : 0;
    length = xMajor ? std::abs(dx) : std::abs(dy);
    int minor = xMajor ? std::abs(dy) : std::abs(dx);
    slope = length ? 65536LL * minor / length : 0;
  }
};

// Horizontal, vertical and exact diagonal lines: one pixel per step.
template <class Paint>
void SteppedLine(const RAST_Surface& s, int x1, int y1, int x2, int y2, const Paint& paint) {
  int sx = x2 > x1 ? 1 : x2 < x1 ? -1 : 0, sy = y2 > y1 ? 1 : y2 < y1 ? -1 : 0;
  int n = std::abs(x2 - x1) > std::abs(y2 - y1) ? std::abs(x2 - x1) : std::abs(y2 - y1);
  for (int k = 0; k <= n; ++k) paint(s.At(x1 + k * sx, y1 + k * sy));
}

// Drawn from both ends towards the middle, so the line is the same whichever end comes first.
template <class Paint>
void GeneralLine(const RAST_Surface& s, const LineGeometry& g, const Paint& paint) {
  int steps = (g.length + 1) / 2;
  for (int k = 0; k < steps; ++k) {
    int off = static_cast<int>((k * g.slope + 0x8000) >> 16);
    paint(s.At(g.ax + k * g.majorX + off * g.minorX, g.ay + k * g.majorY + off * g.minorY));
    paint(s.At(g.bx - k * g.majorX - off * g.minorX, g.by - k * g.majorY - off * g.minorY));
  }
  if (g.length % 2 == 0) {
    int k = g.length / 2;
    int off = static_cast<int>((k * g.slope + 0x8000) >> 16);
    paint(s.At(g.ax + k * g.majorX + off * g.minorX, g.ay + k * g.majorY + off * g.minorY));
  }
}

// Inner steps cover two pixels across the minor axis, weighted by the fraction.
template <class Paint>
void AntialiasedLine(const RAST_Surface& s, const LineGeometry& g, int weight, const Paint& paint) {
  auto plot = [&](int x, int y, int w) {
    if (x >= 0 && y >= 0 && x < s.width && y < s.height) paint(s.At(x, y), w);
  };
  auto pair = [&](int k, bool fromA) {
    long long acc = k * g.slope;
    int off = static_cast<int>(acc >> 16);
    int f = static_cast<int>((acc >> 8) & 0xff);
    int wNear = weight == 256 ? 255 - f : weight * (255 - f) / 256;
    int wFar = weight == 256 ? f : weight * f / 256;
    int sign = fromA ? 1 : -1;
    int x = fromA ? g.ax : g.bx, y = fromA ? g.ay : g.by;
    x += sign * (k * g.majorX + off * g.minorX);
    y += sign * (k * g.majorY + off * g.minorY);
    plot(x, y, wNear);
    plot(x + sign * g.minorX, y + sign * g.minorY, wFar);
  };
  plot(g.ax, g.ay, weight);
  plot(g.bx, g.by, weight);
  int steps = (g.length + 1) / 2;
  for (int k = 1; k < steps; ++k) {
    pair(k, true);
    pair(k, false);
  }
  if (g.length % 2 == 0 && g.length > 0) pair(g.length / 2, true);
}

}  // namespace

bool RAST_ClipLine(int* x1, int* y1, int* x2, int* y2, int left, int top, int right, int bottom) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  return ClipToRect(x1, y1, x2, y2, RECT{left, top, right, bottom});
}

void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel colour, float alpha, int mode, bool aa) {
  // One drawing order for both directions: a pixel the ideal line passes exactly between is
  // then chosen the same way whichever end the caller names first.
  if (y1 > y2 || (y1 == y2 && x1 > x2)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  RAST_Surface s;
  if (!RAST_GetSurface(dest, &s) || !ClipToRect(&x1, &y1, &x2, &y2, RECT{0, 0, s.width, s.height})) return;
  int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  if (dx == 0 || dy == 0 || (dx == dy && !aa)) {
    RAST_WithShapePaint(colour, alpha, mode, [&](const auto& paint) { SteppedLine(s, x1, y1, x2, y2, paint); });
    return;
  }
  LineGeometry g(x1, y1, x2, y2);
  if (aa) {
    int weight = RAST_WeightFromAlpha(alpha);
    if (weight) RAST_WithWeightedPaint(colour, mode, [&](const auto& paint) { AntialiasedLine(s, g, weight, paint); });
  } else {
    RAST_WithShapePaint(colour, alpha, mode, [&](const auto& paint) { GeneralLine(s, g, paint); });
  }
}

void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel colour, float alpha, int mode) {
  // Corners far outside int range would wrap; such a rectangle's sides lie outside any bitmap.
  long long x2 = static_cast<long long>(x) + w, y2 = static_cast<long long>(y) + h;
  if (x2 != static_cast<int>(x2) || y2 != static_cast<int>(y2)) return;
  int r = static_cast<int>(x2), b = static_cast<int>(y2);
  RAST_Line(dest, x, y, r, y, colour, alpha, mode, false);
  RAST_Line(dest, r, y, r, b, colour, alpha, mode, false);
  RAST_Line(dest, r, b, x, b, colour, alpha, mode, false);
  RAST_Line(dest, x, b, x, y, colour, alpha, mode, false);
}
