#pragma once
// Choosing a combiner once per drawing call. Each With... function calls its functor with the
// combiner (or whole-pixel painter) the mode and weight select, so the functor's loop is compiled
// once per combiner.
#include "raster/rast_combine.h"
#include "raster/rast_combiners.h"

// Calls fn.template operator()<Combiner>() for the combiner of the mode word at a fixed weight
// (copy at 256 is clobber, copy with source alpha at 256 ignores the weight). False when the
// mode has no combiner.
template <class Fn>
bool RAST_WithCombiner(int mode, int weight, Fn&& fn) {
  switch (mode & RAST_COMBINER_BITS) {
    case RAST_MODE_COPY:
      if (weight == 256) fn.template operator()<_RAST_CombinePixelsClobberNoClamp>();
      else fn.template operator()<_RAST_CombinePixelsCopyNoClamp>();
      return true;
    case RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA:
      if (weight == 256) fn.template operator()<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>();
      else fn.template operator()<_RAST_CombinePixelsCopySourceAlphaNoClamp>();
      return true;
    case RAST_MODE_ADD: fn.template operator()<_RAST_CombinePixelsAdd>(); return true;
    case RAST_MODE_ADD | RAST_USE_SOURCE_ALPHA: fn.template operator()<_RAST_CombinePixelsAddSourceAlpha>(); return true;
    case RAST_MODE_DODGE: fn.template operator()<_RAST_CombinePixelsColorDodge>(); return true;
    case RAST_MODE_DODGE | RAST_USE_SOURCE_ALPHA: fn.template operator()<_RAST_CombinePixelsColorDodgeSourceAlpha>(); return true;
    case RAST_MODE_MUL: fn.template operator()<_RAST_CombinePixelsMulNoClamp>(); return true;
    case RAST_MODE_MUL | RAST_USE_SOURCE_ALPHA: fn.template operator()<_RAST_CombinePixelsMulSourceAlphaNoClamp>(); return true;
    case RAST_MODE_OVERLAY: fn.template operator()<_RAST_CombinePixelsOverlay>(); return true;
    case RAST_MODE_OVERLAY | RAST_USE_SOURCE_ALPHA: fn.template operator()<_RAST_CombinePixelsOverlaySourceAlpha>(); return true;
    case RAST_MODE_HSVADJ: fn.template operator()<_RAST_CombinePixelsHSVAdjust>(); return true;
    case RAST_MODE_HSVADJ | RAST_USE_SOURCE_ALPHA: fn.template operator()<_RAST_CombinePixelsHSVAdjustSourceAlpha>(); return true;
    default: return false;
  }
}

// The combiner for loops whose weight changes from pixel to pixel (antialiased edges): copy
// never turns into its full-weight forms.
template <class Fn>
bool RAST_WithVaryingWeightCombiner(int mode, Fn&& fn) {
  switch (mode & RAST_COMBINER_BITS) {
    case RAST_MODE_COPY: fn.template operator()<_RAST_CombinePixelsCopyNoClamp>(); return true;
    case RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA: fn.template operator()<_RAST_CombinePixelsCopySourceAlphaNoClamp>(); return true;
    default: return RAST_WithCombiner(mode, 0, fn);
  }
}

// Whole-pixel mixes of a solid colour, with the channel masks that stop carries between bytes.
enum RAST_FastMix { RAST_FAST_NONE, RAST_FAST_CLOBBER, RAST_FAST_HALF, RAST_FAST_QUARTER, RAST_FAST_THREE_QUARTER };

inline RAST_pixel RAST_Half(RAST_pixel p) { return (p >> 1) & 0x7f7f7f7f; }
inline RAST_pixel RAST_Quarter(RAST_pixel p) { return (p >> 2) & 0x3f3f3f3f; }
inline RAST_pixel RAST_HalfMix(RAST_pixel d, RAST_pixel s) { return RAST_Half(d) + RAST_Half(s); }

// The whole-pixel mix for a weight of 256, 128, 64 or 192 (RAST_FAST_NONE otherwise).
inline RAST_FastMix RAST_FastMixForWeight(int weight) {
  switch (weight) {
    case 256: return RAST_FAST_CLOBBER;
    case 128: return RAST_FAST_HALF;
    case 64: return RAST_FAST_QUARTER;
    case 192: return RAST_FAST_THREE_QUARTER;
    default: return RAST_FAST_NONE;
  }
}

struct RAST_PaintClobber {
  RAST_pixel c;
  void operator()(RAST_pixel* p) const { *p = c; }
};
struct RAST_PaintHalf {  // c is the colour already halved
  RAST_pixel c;
  void operator()(RAST_pixel* p) const { *p = c + RAST_Half(*p); }
};
struct RAST_PaintQuarter {  // c is the colour already quartered
  RAST_pixel c;
  void operator()(RAST_pixel* p) const { *p = RAST_Half(*p) + RAST_Quarter(*p) + c; }
};
struct RAST_PaintThreeQuarter {  // c is three quarters of the colour
  RAST_pixel c;
  void operator()(RAST_pixel* p) const { *p = c + RAST_Quarter(*p); }
};
template <class C>
struct RAST_PaintCombine {
  int r, g, b, a, w;
  void operator()(RAST_pixel* p) const { C::doPix(reinterpret_cast<unsigned char*>(p), r, g, b, a, w); }
};
template <class C>
struct RAST_PaintWeighted {
  int r, g, b, a;
  void operator()(RAST_pixel* p, int w) const {
    if (w > 0) C::doPix(reinterpret_cast<unsigned char*>(p), r, g, b, a, w > 256 ? 256 : w);
  }
};

// Calls fn(painter) with a painter of colour: the whole-pixel mix when fast is not
// RAST_FAST_NONE, else the mode's combiner at weight with channels (r, g, b, a). False when
// nothing is to be painted.
template <class Fn>
bool RAST_WithPaint(RAST_pixel colour, RAST_FastMix fast, int mode, int weight, int r, int g, int b, int a, Fn&& fn) {
  switch (fast) {
    case RAST_FAST_CLOBBER: fn(RAST_PaintClobber{colour}); return true;
    case RAST_FAST_HALF: fn(RAST_PaintHalf{RAST_Half(colour)}); return true;
    case RAST_FAST_QUARTER: fn(RAST_PaintQuarter{RAST_Quarter(colour)}); return true;
    case RAST_FAST_THREE_QUARTER: fn(RAST_PaintThreeQuarter{RAST_Half(colour) + RAST_Quarter(colour)}); return true;
    case RAST_FAST_NONE: break;
  }
  if (weight <= 0) return false;
  return RAST_WithCombiner(mode, weight, [&]<class C>() { fn(RAST_PaintCombine<C>{r, g, b, a, weight}); });
}

// Calls fn(painter) with a painter that takes a weight per pixel; false when the mode has no
// combiner.
template <class Fn>
bool RAST_WithWeightedPaint(RAST_pixel colour, int mode, Fn&& fn) {
  int r = RAST_GETR(colour), g = RAST_GETG(colour), b = RAST_GETB(colour), a = RAST_GETA(colour);
  return RAST_WithVaryingWeightCombiner(mode, [&]<class C>() { fn(RAST_PaintWeighted<C>{r, g, b, a}); });
}
