#pragma once
// The per-pixel combine operations. Each is a class with one static doPix so that drawing loops,
// instantiated per class, pick the operation once per call instead of once per pixel.
// dest points at a pixel's bytes (a, r, g, b); w is the weight, 0..256.
#include <array>

#include "raster/rast_bitmap.h"

namespace rast_detail {

inline int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// 65536 / i - 1 (0 for i = 0): hue and saturation come out of a multiply instead of a divide.
constexpr std::array<unsigned short, 256> MakeHsvReciprocals() {
  std::array<unsigned short, 256> t{};
  for (int i = 1; i < 256; ++i) t[i] = static_cast<unsigned short>(65536 / i - 1);
  return t;
}
inline constexpr std::array<unsigned short, 256> kHsvReciprocal = MakeHsvReciprocals();

void RgbToHsv(int r, int g, int b, int* h, int* s, int* v);
// Channels of the colour of hue h (0..383), saturation s and value v (0..255).
void HsvToRgb(int h, int s, int v, int* r, int* g, int* b);

inline int CopyChannel(int d, int s, int w) { return s + (d - s) * (256 - w) / 256; }
inline int MulChannel(int d, int s, int w) { return (d * ((256 - w) * 256 + s * w)) >> 16; }
inline int AddChannel(int d, int s, int w) { return Clamp255(d + s * w / 256); }
inline int DodgeChannel(int d, int s, int w) {
  int t = s * w / 256;
  return Clamp255(t > 254 ? d * 256 : d * 256 / (256 - t));
}
inline int OverlayChannel(int d, int s, int w) {
  int t = s * w + (256 - w) * 128;
  return Clamp255((d * (d * (32768 - t) / 256 + t)) >> 15);
}
inline int SourceAlphaWeight(int w, int a) { return w * (a + 1) / 256; }

inline void HsvAdjust(unsigned char* dest, int r, int g, int b, int a, int w) {
  int h, s, v;
  RgbToHsv(dest[RAST_BYTE_R], dest[RAST_BYTE_G], dest[RAST_BYTE_B], &h, &s, &v);
  h += w * (r + r / 2 - 192) / 256;
  if (h < 0) h += 384;
  else if (h >= 384) h -= 384;
  // Only channel values outside 0..255 push the hue further than one wrap.
  h = h < 0 ? 0 : h > 383 ? 383 : h;
  s = Clamp255(s + w * (g - 128) / 128);
  v = Clamp255(v + w * (b - 128) / 128);
  int nr, ng, nb;
  HsvToRgb(h, s, v, &nr, &ng, &nb);
  dest[RAST_BYTE_R] = static_cast<unsigned char>(nr);
  dest[RAST_BYTE_G] = static_cast<unsigned char>(ng);
  dest[RAST_BYTE_B] = static_cast<unsigned char>(nb);
  dest[RAST_BYTE_A] = static_cast<unsigned char>(Clamp255(a));
}

// Applies one channel rule to red, green, blue and alpha, each against the destination's value.
template <class ChannelRule>
inline void CombineChannels(unsigned char* dest, int r, int g, int b, int a, ChannelRule rule) {
  dest[RAST_BYTE_R] = static_cast<unsigned char>(rule(dest[RAST_BYTE_R], r));
  dest[RAST_BYTE_G] = static_cast<unsigned char>(rule(dest[RAST_BYTE_G], g));
  dest[RAST_BYTE_B] = static_cast<unsigned char>(rule(dest[RAST_BYTE_B], b));
  dest[RAST_BYTE_A] = static_cast<unsigned char>(rule(dest[RAST_BYTE_A], a));
}

}  // namespace rast_detail

struct _RAST_CombinePixelsClobberNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int) {
    dest[RAST_BYTE_R] = static_cast<unsigned char>(r);
    dest[RAST_BYTE_G] = static_cast<unsigned char>(g);
    dest[RAST_BYTE_B] = static_cast<unsigned char>(b);
    dest[RAST_BYTE_A] = static_cast<unsigned char>(a);
  }
};

struct _RAST_CombinePixelsCopyNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::CopyChannel(d, s, w); });
  }
};

struct _RAST_CombinePixelsCopyClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::Clamp255(rast_detail::CopyChannel(d, s, w)); });
  }
};

struct _RAST_CombinePixelsCopySourceAlphaNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    using rast_detail::CopyChannel;
    if (!a) return;
    int sw = rast_detail::SourceAlphaWeight(w, a);
    dest[RAST_BYTE_R] = static_cast<unsigned char>(CopyChannel(dest[RAST_BYTE_R], r, sw));
    dest[RAST_BYTE_G] = static_cast<unsigned char>(CopyChannel(dest[RAST_BYTE_G], g, sw));
    dest[RAST_BYTE_B] = static_cast<unsigned char>(CopyChannel(dest[RAST_BYTE_B], b, sw));
    int na = dest[RAST_BYTE_A] + sw;
    dest[RAST_BYTE_A] = static_cast<unsigned char>(na > 255 ? 255 : na);
  }
};

// Copy with source alpha at full weight: the weight drops out.
struct _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int) {
    if (!a) return;
    if (a == 255) {
      _RAST_CombinePixelsClobberNoClamp::doPix(dest, r, g, b, a, 256);
      return;
    }
    dest[RAST_BYTE_R] = static_cast<unsigned char>(r + (dest[RAST_BYTE_R] - r) * (255 - a) / 256);
    dest[RAST_BYTE_G] = static_cast<unsigned char>(g + (dest[RAST_BYTE_G] - g) * (255 - a) / 256);
    dest[RAST_BYTE_B] = static_cast<unsigned char>(b + (dest[RAST_BYTE_B] - b) * (255 - a) / 256);
    int na = a + dest[RAST_BYTE_A];
    dest[RAST_BYTE_A] = static_cast<unsigned char>(na > 255 ? 255 : na);
  }
};

struct _RAST_CombinePixelsAdd {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::AddChannel(d, s, w); });
  }
};

struct _RAST_CombinePixelsAddSourceAlpha {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    if (!a) return;
    _RAST_CombinePixelsAdd::doPix(dest, r, g, b, a, rast_detail::SourceAlphaWeight(w, a));
  }
};

struct _RAST_CombinePixelsColorDodge {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::DodgeChannel(d, s, w); });
  }
};

struct _RAST_CombinePixelsColorDodgeSourceAlpha {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    _RAST_CombinePixelsColorDodge::doPix(dest, r, g, b, a, rast_detail::SourceAlphaWeight(w, a));
  }
};

struct _RAST_CombinePixelsMulNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::MulChannel(d, s, w); });
  }
};

struct _RAST_CombinePixelsMulClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::Clamp255(rast_detail::MulChannel(d, s, w)); });
  }
};

struct _RAST_CombinePixelsMulSourceAlphaNoClamp {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    if (!a) return;
    _RAST_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, rast_detail::SourceAlphaWeight(w, a));
  }
};

struct _RAST_CombinePixelsOverlay {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::CombineChannels(dest, r, g, b, a,
                                 [w](int d, int s) { return rast_detail::OverlayChannel(d, s, w); });
  }
};

struct _RAST_CombinePixelsOverlaySourceAlpha {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    _RAST_CombinePixelsOverlay::doPix(dest, r, g, b, a, rast_detail::SourceAlphaWeight(w, a));
  }
};

struct _RAST_CombinePixelsHSVAdjust {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::HsvAdjust(dest, r, g, b, a, w);
  }
};

struct _RAST_CombinePixelsHSVAdjustSourceAlpha {
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
    rast_detail::HsvAdjust(dest, r, g, b, a, rast_detail::SourceAlphaWeight(w, a));
  }
};
