#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>

#include "raster/rast_blit.h"
#include "raster/rast_dispatch.h"
#include "raster/rast_row_combine.h"
#include "raster/rast_sampling.h"

namespace {

int SaturateToInt(double v) {
  if (!(v > INT_MIN)) return INT_MIN;
  if (!(v < INT_MAX)) return INT_MAX;
  return static_cast<int>(v);
}

bool NearWhole(double v) { return std::fabs(v - std::floor(v + 0.5)) < 0.03; }

// One axis of the destination area and the source positions it samples.
struct Axis {
  long long dst;    // first destination pixel
  long long size;   // destination pixels
  double src;       // source position of the first pixel
  double srcSize;   // source extent (negative when mirrored)
  double step;      // source pixels per destination pixel
  long long start;  // src in 16.16
  long long fixedStep;
  int limit;  // samples from 0 up to this (exclusive) may be read

  // Mirrors a negative destination size, clips to the destination's extent and converts to
  // fixed point; false when nothing is left.
  bool Setup(int destExtent, int sourceExtent) {
    double right = std::max(src, src + srcSize);
    double limitD = right + 0.999999;
    limit = limitD >= sourceExtent ? sourceExtent : limitD <= 0 ? 0 : static_cast<int>(limitD);
    if (size < 0) {
      dst += size;
      size = -size;
      src += srcSize;
      srcSize = -srcSize;
      step = srcSize / static_cast<double>(size);
      // Start one step in, so the mirrored pixels are exactly the unmirrored ones reversed.
      src += step;
    } else {
      step = srcSize / static_cast<double>(size);
    }
    if (dst < 0) {
      src += static_cast<double>(-dst) * step;
      size += dst;
      dst = 0;
    }
    if (size <= 0 || dst >= destExtent || limit <= 0) return false;
    size = std::min<long long>(size, destExtent - dst);
    if (!RAST_ToFixed(src, &start) || !RAST_ToFixedStep(step, &fixedStep)) return false;
    if (fixedStep > 0) {
      if (start < 0) {
        long long skip = (-start + fixedStep - 1) / fixedStep;
        dst += skip;
        size -= skip;
        start += skip * fixedStep;
      }
      if (size > 0 && ((start + (size - 1) * fixedStep) >> 16) >= sourceExtent) {
        size = (static_cast<long long>(sourceExtent) * 65536 - start - 65536) / fixedStep;
      }
    }
    return size > 0;
  }
};

template <class Sampler, class Op>
void ScaleLoop(const RAST_Surface& d, const RAST_SampleWindow& win, const Axis& ax, const Axis& ay, const Sampler& sample,
               Op op) {
  for (long long j = 0; j < ay.size; ++j) {
    long long py = ay.start + j * ay.fixedStep;
    RAST_pixel* row = d.At(static_cast<int>(ax.dst), static_cast<int>(ay.dst + j));
    long long px = ax.start;
    for (long long i = 0; i < ax.size; ++i, px += ax.fixedStep) {
      RAST_pixel s;
      if (sample(win, px, py, &s)) op(row + i, s);
    }
  }
}

template <class Sampler>
void CombineLoop(const RAST_Surface& d, const RAST_SampleWindow& win, const Axis& ax, const Axis& ay, const Sampler& sample,
                 int weight, int mode) {
  RAST_WithCombiner(mode, weight, [&]<class C>() {
    ScaleLoop(d, win, ax, ay, sample, [weight](RAST_pixel* p, RAST_pixel s) {
      C::doPix(reinterpret_cast<unsigned char*>(p), RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), RAST_GETA(s), weight);
    });
  });
}

// Bilinear sampling row by row through the row kernels, for a step that moves right. Columns
// whose sample has a right neighbour in the window go through the kernels in chunks; the rest
// (the window's last column) through the per-pixel sampler.
template <class C>
void BilinearRows(const RAST_Surface& d, const RAST_SampleWindow& win, const Axis& ax, const Axis& ay, int weight) {
  const RAST_RowKernels& kernels = RAST_ActiveRowKernels();
  long long lastColumnStart = static_cast<long long>(win.width - 1) << 16;
  long long blended = ax.start >= lastColumnStart
                          ? 0
                          : std::min(ax.size, (lastColumnStart - ax.start + ax.fixedStep - 1) / ax.fixedStep);
  constexpr int kChunk = 256;
  RAST_pixel samples[kChunk];
  for (long long j = 0; j < ay.size; ++j) {
    long long py = ay.start + j * ay.fixedStep;
    int y = static_cast<int>(py >> 16);
    if ((py >> 16) != y || y < 0 || y >= win.height) continue;
    int fy = y == win.height - 1 ? 0 : static_cast<int>(py & 0xffff);
    const RAST_pixel* top = win.At(0, y);
    const RAST_pixel* bottom = fy ? win.At(0, y + 1) : top;
    RAST_pixel* row = d.At(static_cast<int>(ax.dst), static_cast<int>(ay.dst + j));
    for (long long i = 0; i < blended; i += kChunk) {
      int n = static_cast<int>(std::min<long long>(kChunk, blended - i));
      long long px = ax.start + i * ax.fixedStep;
      if constexpr (std::is_same_v<C, _RAST_CombinePixelsClobberNoClamp>) {
        kernels.bilinear(row + i, top, bottom, fy, px, ax.fixedStep, n);
      } else {
        kernels.bilinear(samples, top, bottom, fy, px, ax.fixedStep, n);
        RAST_RowCombine<C>::Run(kernels, row + i, samples, n, weight);
      }
    }
    RAST_BilinearSampler sample;
    for (long long i = blended; i < ax.size; ++i) {
      RAST_pixel s;
      if (sample(win, ax.start + i * ax.fixedStep, py, &s)) {
        C::doPix(reinterpret_cast<unsigned char*>(row + i), RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), RAST_GETA(s),
                 weight);
      }
    }
  }
}

}  // namespace

void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                     float srcw, float srch, float alpha, int mode) {
  if (!dest || !src || !dstw || !dsth || alpha == 0.0f) return;
  if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) || !std::isfinite(srch)) return;
  bool bilinear = (mode & RAST_FILTER_MASK) == RAST_FILTER_BILINEAR;
  if (dstw > 0 && dsth > 0 && std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001 &&
      (!bilinear || (NearWhole(srcx) && NearWhole(srcy)))) {
    RAST_Blit(dest, src, dstx, dsty, SaturateToInt(srcx + 0.5), SaturateToInt(srcy + 0.5), dstw, dsth, alpha, mode);
    return;
  }
  RAST_Surface d;
  RAST_SampleWindow win;
  if (!RAST_GetSurface(dest, &d) || !RAST_GetSurface(src, &win.src)) return;
  Axis ax{dstx, dstw, srcx, srcw, 0, 0, 0, 0};
  Axis ay{dsty, dsth, srcy, srch, 0, 0, 0, 0};
  if (!ax.Setup(d.width, win.src.width) || !ay.Setup(d.height, win.src.height)) return;
  win.left = win.top = 0;
  win.width = ax.limit;
  win.height = ay.limit;

  int weight = RAST_WeightFromAlpha(alpha);
  if (mode == RAST_MODE_COPY && weight == 256) {
    ScaleLoop(d, win, ax, ay, RAST_NearestSampler(), [](RAST_pixel* p, RAST_pixel s) { *p = s; });
  } else if (mode == RAST_MODE_COPY && weight == 128) {
    ScaleLoop(d, win, ax, ay, RAST_NearestSampler(), [](RAST_pixel* p, RAST_pixel s) { *p = RAST_HalfMix(*p, s); });
  } else if (!weight) {
    return;
  } else if (bilinear && ax.step >= 1.7 && ay.step >= 1.7) {
    int radius = std::max(ax.step, ay.step) <= 3.0 ? 1 : 2;
    CombineLoop(d, win, ax, ay, RAST_AverageSampler{radius}, weight, mode);
  } else if (bilinear && ax.fixedStep > 0) {
    RAST_WithCombiner(mode, weight, [&]<class C>() { BilinearRows<C>(d, win, ax, ay, weight); });
  } else if (bilinear) {
    CombineLoop(d, win, ax, ay, RAST_BilinearSampler(), weight, mode);
  } else {
    CombineLoop(d, win, ax, ay, RAST_NearestSampler(), weight, mode);
  }
}
