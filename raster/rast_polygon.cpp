#include <algorithm>
#include <cmath>

#include "raster/rast_shape_paint.h"
#include "raster/rast_shapes.h"
#include "raster/rast_surface.h"

namespace {

// x of the edge (x0, y0)-(x1, y1) at row y (y0 < y1, y within), rounded to the nearest pixel;
// in double so that edges spanning the whole int range cannot overflow.
long long EdgeX(long long x0, long long y0, long long x1, long long y1, long long y) {
  double t = static_cast<double>(y - y0) / static_cast<double>(y1 - y0);
  return x0 + static_cast<long long>(std::floor(static_cast<double>(x1 - x0) * t + 0.5));
}

// Every row meets a convex polygon in one span: from the leftmost to the rightmost crossing of
// its edges. Rows outside the bitmap are never visited.
template <class Paint>
void FillRows(const RAST_Surface& s, const int* xs, const int* ys, int n, const Paint& paint) {
  long long top = *std::min_element(ys, ys + n), bottom = *std::max_element(ys, ys + n);
  long long first = std::max(top, 0LL), last = std::min<long long>(bottom, s.height - 1);
  for (long long y = first; y <= last; ++y) {
    long long left = 0, right = -1;
    bool any = false;
    auto extend = [&](long long x) {
      if (!any || x < left) left = x;
      if (!any || x > right) right = x;
      any = true;
    };
    for (int i = 0; i < n; ++i) {
      int j = i + 1 == n ? 0 : i + 1;
      long long x0 = xs[i], y0 = ys[i], x1 = xs[j], y1 = ys[j];
      if (y0 == y1) {
        if (y == y0) {
          extend(x0);
          extend(x1);
        }
        continue;
      }
      if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
      }
      if (y >= y0 && y <= y1) extend(EdgeX(x0, y0, x1, y1, y));
    }
    if (!any) continue;
    left = std::max(left, 0LL);
    right = std::min<long long>(right, s.width - 1);
    RAST_pixel* row = s.Row(static_cast<int>(y));
    for (long long x = left; x <= right; ++x) paint(row + x);
  }
}

}  // namespace

void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints, RAST_pixel colour, float alpha,
                            int mode) {
  RAST_Surface s;
  if (!x || !y || npoints < 1 || !RAST_GetSurface(dest, &s)) return;
  RAST_WithShapePaint(colour, alpha, mode, [&](const auto& paint) { FillRows(s, x, y, npoints, paint); });
}

void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, RAST_pixel colour, float alpha,
                       int mode) {
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  RAST_FillConvexPolygon(dest, xs, ys, 3, colour, alpha, mode);
}
