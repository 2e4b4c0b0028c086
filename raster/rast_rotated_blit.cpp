#include <algorithm>
#include <cmath>

#include "raster/rast_blit.h"
#include "raster/rast_dispatch.h"
#include "raster/rast_sampling.h"

namespace {

// Source positions of destination pixel (i, j): origin + i * perColumn + j * perRow, in 16.16
// relative to the window's top-left.
struct RotatedWalk {
  long long x0, y0;
  long long xPerColumn, yPerColumn;
  long long xPerRow, yPerRow;
};

template <class Sampler>
void RotateLoop(const RAST_Surface& d, int dx, int dy, int dw, int dh, const RAST_SampleWindow& win, const RotatedWalk& walk,
                const Sampler& sample, int weight, int mode) {
  RAST_WithCombiner(mode, weight, [&]<class C>() {
    for (int j = 0; j < dh; ++j) {
      long long px = walk.x0 + j * walk.xPerRow, py = walk.y0 + j * walk.yPerRow;
      RAST_pixel* row = d.At(dx, dy + j);
      for (int i = 0; i < dw; ++i, px += walk.xPerColumn, py += walk.yPerColumn) {
        RAST_pixel s;
        if (sample(win, px, py, &s))
          C::doPix(reinterpret_cast<unsigned char*>(row + i), RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), RAST_GETA(s), weight);
      }
    }
  });
}

// The readable source: all of it, or with clipToSource only the source area.
bool SourceWindow(RAST_SampleWindow* win, bool clipToSource, double srcx, double srcy, double srcw, double srch) {
  win->left = win->top = 0;
  int right = win->src.width, bottom = win->src.height;
  if (clipToSource) {
    double l = std::min(srcx, srcx + srcw), r = std::max(srcx, srcx + srcw);
    double t = std::min(srcy, srcy + srch), b = std::max(srcy, srcy + srch);
    if (l > 0) win->left = l >= right ? right : static_cast<int>(l);
    if (t > 0) win->top = t >= bottom ? bottom : static_cast<int>(t);
    if (r < right) right = r <= 0 ? 0 : static_cast<int>(r);
    if (b < bottom) bottom = b <= 0 ? 0 : static_cast<int>(b);
  }
  win->width = right - win->left;
  win->height = bottom - win->top;
  return win->width > 0 && win->height > 0;
}

}  // namespace

void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                      float srcw, float srch, float angle, bool clipToSource, float alpha, int mode, float cx, float cy) {
  if (!dstw || !dsth) return;
  int weight = RAST_WeightFromAlpha(alpha);
  RAST_Surface d;
  RAST_SampleWindow win;
  if (!weight || !RAST_GetSurface(dest, &d) || !RAST_GetSurface(src, &win.src)) return;
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  if (!SourceWindow(&win, clipToSource, sx, sy, sw, sh)) return;
  long long dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  if (dw < 0) {
    dx += dw;
    dw = -dw;
    sx += sw;
    sw = -sw;
  }
  if (dh < 0) {
    dy += dh;
    dh = -dh;
    sy += sh;
    sh = -sh;
  }
  double c = std::cos(angle), s = std::sin(angle);
  double xsc = sw / static_cast<double>(dw), ysc = sh / static_cast<double>(dh);
  double dsdx = xsc * c, dsdy = xsc * s, dtdx = -ysc * s, dtdy = ysc * c;
  sx -= 0.5 * (dw * dsdx + dh * dsdy - sw) - cx;
  sy -= 0.5 * (dh * dtdy + dw * dtdx - sh) - cy;
  if (dx < 0) {
    sx -= dx * dsdx;
    sy -= dx * dtdx;
    dw += dx;
    dx = 0;
  }
  if (dy < 0) {
    sx -= dy * dsdy;
    sy -= dy * dtdy;
    dh += dy;
    dy = 0;
  }
  if (dw <= 0 || dh <= 0 || dx >= d.width || dy >= d.height) return;
  dw = std::min<long long>(dw, d.width - dx);
  dh = std::min<long long>(dh, d.height - dy);
  RotatedWalk walk;
  if (!RAST_ToFixed(sx - win.left, &walk.x0) || !RAST_ToFixed(sy - win.top, &walk.y0) ||
      !RAST_ToFixedStep(dsdx, &walk.xPerColumn) || !RAST_ToFixedStep(dtdx, &walk.yPerColumn) ||
      !RAST_ToFixedStep(dsdy, &walk.xPerRow) || !RAST_ToFixedStep(dtdy, &walk.yPerRow))
    return;
  int x = static_cast<int>(dx), y = static_cast<int>(dy), w = static_cast<int>(dw), h = static_cast<int>(dh);
  if ((mode & RAST_FILTER_MASK) == RAST_FILTER_BILINEAR) {
    RotateLoop(d, x, y, w, h, win, walk, RAST_BilinearSampler(), weight, mode);
  } else {
    RotateLoop(d, x, y, w, h, win, walk, RAST_NearestSampler(), weight, mode);
  }
}
