#include "raster/rast_blit.h"

#include <algorithm>
#include <cstring>

#include "raster/rast_dispatch.h"
#include "raster/rast_row_combine.h"
#include "raster/rast_surface.h"

namespace {

struct BlitArea {
  RAST_Surface dest;
  RAST_Surface src;
  int dx, dy, sx, sy, w, h;
  // Set when a bitmap is blitted onto itself and reading forwards would read written pixels.
  bool rowsBackward = false;
  bool columnsBackward = false;
};

// op(destPixel*, sourcePixel) over the area, in an order that reads every source pixel before
// it is overwritten.
template <class Op>
void ForEachPixel(const BlitArea& a, Op op) {
  for (int k = 0; k < a.h; ++k) {
    int j = a.rowsBackward ? a.h - 1 - k : k;
    RAST_pixel* d = a.dest.At(a.dx, a.dy + j);
    const RAST_pixel* s = a.src.At(a.sx, a.sy + j);
    if (a.columnsBackward) {
      for (int i = a.w - 1; i >= 0; --i) op(d + i, s[i]);
    } else {
      for (int i = 0; i < a.w; ++i) op(d + i, s[i]);
    }
  }
}

// op(destRow*, sourceRow*) for each row, in an order that reads every source row before it is
// overwritten. Within a row, ops go forwards.
template <class Op>
void ForEachRow(const BlitArea& a, Op op) {
  for (int k = 0; k < a.h; ++k) {
    int j = a.rowsBackward ? a.h - 1 - k : k;
    op(a.dest.At(a.dx, a.dy + j), a.src.At(a.sx, a.sy + j));
  }
}

void CopyRows(const BlitArea& a) {
  ForEachRow(a, [&a](RAST_pixel* d, const RAST_pixel* s) {
    std::memmove(d, s, static_cast<size_t>(a.w) * sizeof(RAST_pixel));
  });
}

void DrawArea(const BlitArea& a, float alpha, int mode) {
  if ((mode & RAST_MODE_MASK) >= RAST_MODE_CHANNEL_COPY) {
    int from = mode & 3, to = (mode >> 2) & 3;
    ForEachPixel(a, [from, to](RAST_pixel* d, RAST_pixel s) {
      reinterpret_cast<unsigned char*>(d)[to] = reinterpret_cast<const unsigned char*>(&s)[from];
    });
    return;
  }
  if ((mode & RAST_COMBINER_BITS) == RAST_MODE_COPY && alpha == 1.0f) {
    CopyRows(a);
    return;
  }
  if ((mode & RAST_COMBINER_BITS) == RAST_MODE_COPY && alpha == 0.5f) {
    ForEachPixel(a, [](RAST_pixel* d, RAST_pixel s) { *d = RAST_HalfMix(*d, s); });
    return;
  }
  int weight = RAST_WeightFromAlpha(alpha);
  if (!weight) return;
  RAST_WithCombiner(mode, weight, [&]<class C>() {
    if (a.columnsBackward) {
      ForEachPixel(a, [weight](RAST_pixel* d, RAST_pixel s) {
        C::doPix(reinterpret_cast<unsigned char*>(d), RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), RAST_GETA(s), weight);
      });
      return;
    }
    // Forwards through a row is safe even when it overlaps itself further left: each vector
    // of source pixels is read before the store that could reach it.
    const RAST_RowKernels& kernels = RAST_ActiveRowKernels();
    ForEachRow(a, [&](RAST_pixel* d, const RAST_pixel* s) { RAST_RowCombine<C>::Run(kernels, d, s, a.w, weight); });
  });
}

// Clips (x, y, w, h) to the surface; false when nothing is left.
bool ClipToSurface(const RAST_Surface& s, long long x, long long y, long long w, long long h, int* ox, int* oy, int* ow,
                   int* oh) {
  if (x < 0) {
    w += x;
    x = 0;
  }
  if (y < 0) {
    h += y;
    y = 0;
  }
  if (w <= 0 || h <= 0 || x >= s.width || y >= s.height) return false;
  *ox = static_cast<int>(x);
  *oy = static_cast<int>(y);
  *ow = static_cast<int>(std::min<long long>(w, s.width - x));
  *oh = static_cast<int>(std::min<long long>(h, s.height - y));
  return true;
}

void BlitClipped(RAST_IBitmap* dest, RAST_IBitmap* src, long long dstx, long long dsty, long long left, long long top,
                 long long right, long long bottom, float alpha, int mode) {
  if (alpha == 0.0f) return;
  BlitArea a;
  if (!RAST_GetSurface(dest, &a.dest) || !RAST_GetSurface(src, &a.src)) return;
  right = std::min<long long>(right, a.src.width);
  bottom = std::min<long long>(bottom, a.src.height);
  if (left < 0) {
    dstx -= left;
    left = 0;
  }
  if (top < 0) {
    dsty -= top;
    top = 0;
  }
  if (dstx < 0) {
    left -= dstx;
    dstx = 0;
  }
  if (dsty < 0) {
    top -= dsty;
    dsty = 0;
  }
  if (right <= left || bottom <= top || dstx >= a.dest.width || dsty >= a.dest.height) return;
  right = std::min<long long>(right, left + a.dest.width - dstx);
  bottom = std::min<long long>(bottom, top + a.dest.height - dsty);
  a.dx = static_cast<int>(dstx);
  a.dy = static_cast<int>(dsty);
  a.sx = static_cast<int>(left);
  a.sy = static_cast<int>(top);
  a.w = static_cast<int>(right - left);
  a.h = static_cast<int>(bottom - top);
  if (a.dest.bits == a.src.bits) {
    a.rowsBackward = a.dy > a.sy;
    a.columnsBackward = a.dy == a.sy && a.dx > a.sx;
  }
  DrawArea(a, alpha, mode);
}

}  // namespace

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode) {
  if (!src) return;
  if (srcrect) {
    BlitClipped(dest, src, dstx, dsty, srcrect->left, srcrect->top, srcrect->right, srcrect->bottom, alpha, mode);
  } else {
    BlitClipped(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), alpha, mode);
  }
}

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode) {
  BlitClipped(dest, src, dstx, dsty, srcx, srcy, static_cast<long long>(srcx) + srcw, static_cast<long long>(srcy) + srch,
              alpha, mode);
}

void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src) {
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  RAST_Blit(dest, src, 0, 0, nullptr, 1.0f, RAST_MODE_COPY);
}

void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel colour, float alpha, int mode) {
  if (mode & RAST_USE_SOURCE_ALPHA) alpha *= RAST_GETA(colour) / 255.0f;
  int weight = RAST_WeightFromAlpha(alpha);
  RAST_Surface s;
  if (!weight || !RAST_GetSurface(dest, &s) || !ClipToSurface(s, x, y, w, h, &x, &y, &w, &h)) return;
  int op = mode & RAST_MODE_MASK;
  RAST_FastMix fast = op == RAST_MODE_COPY ? RAST_FastMixForWeight(weight) : RAST_FAST_NONE;
  // The weight doubles as the alpha channel value a fill combines in.
  RAST_WithPaint(colour, fast, op, weight, RAST_GETR(colour), RAST_GETG(colour), RAST_GETB(colour), weight,
                 [&](const auto& paint) {
                   for (int j = 0; j < h; ++j) {
                     RAST_pixel* row = s.At(x, y + j);
                     for (int i = 0; i < w; ++i) paint(row + i);
                   }
                 });
}

void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel andMask, RAST_pixel orValue) {
  RAST_Surface s;
  if (!RAST_GetSurface(dest, &s) || !ClipToSurface(s, x, y, w, h, &x, &y, &w, &h)) return;
  for (int j = 0; j < h; ++j) {
    RAST_pixel* row = s.At(x, y + j);
    for (int i = 0; i < w; ++i) row[i] = (row[i] & andMask) | orValue;
  }
}

RAST_pixel RAST_GetPixel(RAST_IBitmap* bmp, int x, int y) {
  RAST_Surface s;
  if (!RAST_GetSurface(bmp, &s) || x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
  return *s.At(x, y);
}

void RAST_PutPixel(RAST_IBitmap* dest, int x, int y, RAST_pixel colour, float alpha, int mode) {
  RAST_Surface s;
  if (!RAST_GetSurface(dest, &s) || x < 0 || y < 0 || x >= s.width || y >= s.height) return;
  int weight = RAST_WeightFromAlpha(alpha);
  int op = mode & RAST_MODE_MASK;
  RAST_FastMix fast = op == RAST_MODE_COPY ? RAST_FastMixForWeight(weight) : RAST_FAST_NONE;
  RAST_pixel* p = s.At(x, y);
  RAST_WithPaint(colour, fast, op, weight, RAST_GETR(colour), RAST_GETG(colour), RAST_GETB(colour), RAST_GETA(colour),
                 [p](const auto& paint) { paint(p); });
}
