#include <algorithm>
#include <cmath>

#include "raster/rast_shape_paint.h"
#include "raster/rast_shapes.h"
#include "raster/rast_surface.h"

namespace {

const double kTwoPi = 6.283185307179586;
const double kHalfPi = 1.5707963267948966;

// A circle to draw on a surface, restricted to a clip rectangle inside it.
struct CircleJob {
  RAST_Surface s;
  RECT clip;
  int cx, cy;  // centre pixel
  double r;

  bool Inside(int x, int y) const { return x >= clip.left && y >= clip.top && x < clip.right && y < clip.bottom; }

  // Sets up the job; false when nothing of the circle can reach the clip rectangle.
  bool Setup(RAST_IBitmap* dest, float fcx, float fcy, float fr) {
    if (!RAST_GetSurface(dest, &s)) return false;
    if (!(fr >= 0.0f) || fr > kRastMaxRadius || !std::isfinite(fcx) || !std::isfinite(fcy)) return false;
    if (std::fabs(fcx) > 1e9f || std::fabs(fcy) > 1e9f) return false;
    clip = RECT{0, 0, s.width, s.height};
    // Half added, then truncated: centres left of or above the origin round towards it.
    cx = static_cast<int>(fcx + 0.5);
    cy = static_cast<int>(fcy + 0.5);
    r = fr;
    return Reachable();
  }

  bool Reachable() const {
    double reach = r + 2;
    return clip.left < clip.right && clip.top < clip.bottom && cx + reach >= clip.left && cx - reach < clip.right &&
           cy + reach >= clip.top && cy - reach < clip.bottom;
  }

  // Calls plot(x, y) once for each distinct point among the eight mirror images of (a, b).
  template <class Plot>
  void Symmetric(int a, int b, Plot plot) const {
    const int px[8] = {a, -a, a, -a, b, -b, b, -b};
    const int py[8] = {b, b, -b, -b, a, a, -a, -a};
    for (int i = 0; i < 8; ++i) {
      bool seen = false;
      for (int j = 0; j < i && !seen; ++j) seen = px[j] == px[i] && py[j] == py[i];
      if (!seen && Inside(cx + px[i], cy + py[i])) plot(cx + px[i], cy + py[i]);
    }
  }

  template <class Paint>
  void Span(int y, int x0, int x1, const Paint& paint) const {
    if (y < clip.top || y >= clip.bottom) return;
    x0 = std::max(x0, static_cast<int>(clip.left));
    x1 = std::min(x1, clip.right - 1);
    RAST_pixel* row = s.Row(y);
    for (int x = x0; x <= x1; ++x) paint(row + x);
  }

  // Midpoint circle: calls step(x, y) for x from 0 while x <= y, and yDrops(x, y) just before y
  // drops by one.
  template <class Step, class YDrops>
  void Midpoint(Step step, YDrops yDrops) const {
    int x = 0, y = static_cast<int>(r + 0.5), d = -y;
    while (x <= y) {
      step(x, y);
      if (d < 0) {
        d += 2 * x + 3;
      } else {
        yDrops(x, y);
        d += 2 * x + 5 - 2 * y;
        --y;
      }
      ++x;
    }
  }

  template <class Paint>
  void Outline(const Paint& paint) const {
    Midpoint([&](int x, int y) { Symmetric(x, y, [&](int px, int py) { paint(s.At(px, py)); }); }, [](int, int) {});
  }

  // Each row exactly once, so weighted modes do not combine twice where spans meet.
  template <class Paint>
  void Fill(const Paint& paint) const {
    Midpoint(
        [&](int x, int y) {
          Span(cy + x, cx - y, cx + y, paint);
          if (x) Span(cy - x, cx - y, cx + y, paint);
        },
        [&](int x, int y) {
          if (y > x) {
            Span(cy + y, cx - x, cx + x, paint);
            Span(cy - y, cx - x, cx + x, paint);
          }
        });
  }

  // Calls edge(a, b, inner, frac) for the antialiased edge of each octant column a: b is the
  // pixel row inside the circle and frac the share of the pixel beyond it; a = 0 stands for the
  // four axis points.
  template <class Edge>
  void AntialiasedEdge(Edge edge) const {
    double fr = std::floor(r);
    edge(0, static_cast<int>(fr), r - fr);
    for (int i = 1;; ++i) {
      double remaining = r * r - static_cast<double>(i) * i;
      if (remaining < 0) break;
      double y = std::sqrt(remaining);
      if (!(static_cast<int>(y + 0.5) >= i)) break;
      double fy = std::floor(y);
      edge(i, static_cast<int>(fy), y - fy);
    }
  }

  template <class Paint>
  void AntialiasedOutline(int weight, const Paint& paint) const {
    AntialiasedEdge([&](int a, int b, double frac) {
      int outer = static_cast<int>(weight * frac);
      Symmetric(a, b, [&](int x, int y) { paint(s.At(x, y), weight - outer); });
      Symmetric(a, b + 1, [&](int x, int y) { paint(s.At(x, y), outer); });
    });
  }

  template <class Paint>
  void AntialiasedFill(int weight, const Paint& paint) const {
    int fr = static_cast<int>(std::floor(r));
    int top = std::max(-fr, clip.top - cy), bottom = std::min(fr, clip.bottom - 1 - cy);
    auto full = [&](RAST_pixel* p) { paint(p, weight); };
    for (int j = top; j <= bottom; ++j) {
      int half = static_cast<int>(std::floor(std::sqrt(r * r - static_cast<double>(j) * j)));
      Span(cy + j, cx - half, cx + half, full);
    }
    AntialiasedEdge([&](int a, int b, double frac) {
      int outer = static_cast<int>(weight * frac);
      Symmetric(a, b + 1, [&](int x, int y) { paint(s.At(x, y), outer); });
    });
  }

  void Draw(RAST_pixel colour, float alpha, int mode, bool aa, bool fill) const {
    if (aa) {
      int weight = RAST_WeightFromAlpha(alpha);
      if (!weight) return;
      RAST_WithWeightedPaint(colour, mode, [&](const auto& paint) {
        if (fill) AntialiasedFill(weight, paint);
        else AntialiasedOutline(weight, paint);
      });
    } else {
      RAST_WithShapePaint(colour, alpha, mode, [&](const auto& paint) {
        if (fill) Fill(paint);
        else Outline(paint);
      });
    }
  }
};

// Rounded as the centre is: half added, then truncated.
long long RoundToLong(double v) { return static_cast<long long>(v + 0.5); }

// The part of the circle between two angles no more than a quarter turn apart: the circle
// clipped to the box of the arc's ends.
void ArcPiece(const CircleJob& circle, double cx, double cy, double a0, double a1, RAST_pixel colour, float alpha, int mode,
              bool aa) {
  long long x0 = RoundToLong(cx + circle.r * std::sin(a0)), y0 = RoundToLong(cy - circle.r * std::cos(a0));
  long long x1 = RoundToLong(cx + circle.r * std::sin(a1)), y1 = RoundToLong(cy - circle.r * std::cos(a1));
  long long minX = std::min(x0, x1), maxX = std::max(x0, x1), minY = std::min(y0, y1), maxY = std::max(y0, y1);
  if (maxX != circle.cx) ++maxX;
  if (maxY != circle.cy) ++maxY;
  CircleJob piece = circle;
  piece.clip = RECT{static_cast<int>(std::max(0LL, minX)), static_cast<int>(std::max(0LL, minY)),
                    static_cast<int>(std::min<long long>(circle.s.width, maxX + 1)),
                    static_cast<int>(std::min<long long>(circle.s.height, maxY + 1))};
  if (piece.Reachable()) piece.Draw(colour, alpha, mode, aa, false);
}

}  // namespace

void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel colour, float alpha, int mode, bool aa) {
  CircleJob job;
  if (job.Setup(dest, cx, cy, r)) job.Draw(colour, alpha, mode, aa, false);
}

void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel colour, float alpha, int mode, bool aa) {
  CircleJob job;
  if (job.Setup(dest, cx, cy, r)) job.Draw(colour, alpha, mode, aa, true);
}

void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, RAST_pixel colour,
              float alpha, int mode, bool aa) {
  double a0 = minAngle, a1 = maxAngle;
  if (!std::isfinite(a0) || !std::isfinite(a1)) return;
  if (a0 > a1) std::swap(a0, a1);
  if (a1 - a0 >= kTwoPi) {
    RAST_Circle(dest, cx, cy, r, colour, alpha, mode, aa);
    return;
  }
  CircleJob circle;
  if (!circle.Setup(dest, cx, cy, r)) return;
  if (a1 >= kTwoPi || a0 <= -kTwoPi) {
    double sweep = a1 - a0;
    a0 = std::fmod(a0, kTwoPi);
    a1 = a0 + sweep;
  }
  a0 += kTwoPi;
  a1 += kTwoPi;
  // At most five pieces; the count guards against rounding at quarter boundaries.
  for (int pieces = 0; a0 < a1 && pieces < 6; ++pieces) {
    double next = (std::floor(a0 / kHalfPi) + 1) * kHalfPi;
    if (next <= a0) next += kHalfPi;
    double end = std::min(next, a1);
    ArcPiece(circle, cx, cy, a0, end, colour, alpha, mode, aa);
    a0 = end;
  }
}

void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerRadius, RAST_pixel colour, float alpha,
                    int mode, bool aa) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
  if (std::fabs(x) > 1e9f || std::fabs(y) > 1e9f || std::fabs(w) > 1e9f || std::fabs(h) > 1e9f) return;
  double r = std::floor(std::min<double>({static_cast<double>(cornerRadius), w * 0.5, h * 0.5}));
  if (cornerRadius <= 0 || r < 2) {
    RAST_DrawRect(dest, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h), colour, alpha,
                  mode);
    return;
  }
  double l = x, t = y, rt = x + w, b = y + h;
  auto line = [&](double x1, double y1, double x2, double y2) {
    RAST_Line(dest, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2), colour, alpha,
              mode, aa);
  };
  line(l + r, t, rt - r, t);
  line(l + r - 1, b, rt - r, b);
  line(rt, t + r, rt, b - r);
  line(l, t + r - 1, l, b - r);
  float fr = static_cast<float>(r);
  RAST_Arc(dest, static_cast<float>(l + r), static_cast<float>(t + r), fr, static_cast<float>(-kHalfPi), 0.0f, colour, alpha,
           mode, aa);
  RAST_Arc(dest, static_cast<float>(rt - r), static_cast<float>(t + r), fr, 0.0f, static_cast<float>(kHalfPi), colour, alpha,
           mode, aa);
  RAST_Arc(dest, static_cast<float>(rt - r), static_cast<float>(b - r), fr, static_cast<float>(kHalfPi),
           static_cast<float>(2 * kHalfPi), colour, alpha, mode, aa);
  RAST_Arc(dest, static_cast<float>(l + r), static_cast<float>(b - r), fr, static_cast<float>(2 * kHalfPi),
           static_cast<float>(3 * kHalfPi), colour, alpha, mode, aa);
}
