#pragma once
// The editor's small value records: geometry, colour, text style, picture handle, mouse
// modifiers and blending, with their conversions to the raster library's pixels and modes.
#include "raster/rast_bitmap.h"

class RAST_IFont;

inline constexpr double kPi = 3.14159265358979323846;
struct IBitmap;

// Right and bottom are exclusive for hit tests.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // One frame of the picture at (x, y): the whole width, the height divided by the frame count.
  IRECT(int x, int y, const IBitmap* pBitmap);

  // All four zero; a zero-area rectangle elsewhere is not empty.
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return 0.5f * static_cast<float>(L + R); }
  float MH() const { return 0.5f * static_cast<float>(T + B); }

  bool Contains(int x, int y) const;
  // Inclusive of this rectangle's right and bottom edge only, so the test is not symmetric.
  bool Intersects(const IRECT& other) const;
  IRECT Intersect(const IRECT& other) const;
  IRECT Union(const IRECT& other) const;
  IRECT SubRectVertical(int numSlices, int sliceIdx) const;
  IRECT SubRectHorizontal(int numSlices, int sliceIdx) const;

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
};

struct IColor {
  int A = 0, R = 0, G = 0, B = 0;
  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;
inline constexpr const char* DEFAULT_FONT = "Monaco";

// Packs a colour into a raster pixel (alpha in the low byte, then red, green, blue).
RAST_pixel RastColor(const IColor* pColor);
IColor IColorFromRast(RAST_pixel pixel);

struct IText {
  enum EStyle { kStyleNormal = 0, kStyleBold, kStyleItalic };
  enum EAlign { kAlignNear = 0, kAlignCenter, kAlignFar };
  enum EQuality { kQualityDefault = 0, kQualityNonAntiAliased, kQualityAntiAliased, kQualityBest };
  static constexpr int kFontNameLen = 32;

  char mFont[kFontNameLen];
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation;  // degrees
  EQuality mQuality;
  // Shared font from the font cache once the style has been used; not owned.
  RAST_IFont* mCached = nullptr;

  // Null colours and face select the defaults; a face longer than 31 characters is cut.
  explicit IText(int size = 10, const IColor* pColor = nullptr, const char* font = nullptr, EStyle style = kStyleNormal,
                 EAlign align = kAlignCenter, int orientation = 0, EQuality quality = kQualityDefault,
                 const IColor* pTextEntryBGColor = nullptr, const IColor* pTextEntryFGColor = nullptr);
};

// A handle on a picture of N frames stacked vertically (or side by side). The raster bitmap
// belongs to the picture cache, not to the handle.
struct IBitmap {
  RAST_IBitmap* mData = nullptr;
  int W = 0, H = 0;
  int N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(RAST_IBitmap* pData, int w, int h, int n = 1, bool framesAreHorizontal = false)
      : mData(pData), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal) {}
  // At least 1, whatever the handle was given.
  int Frames() const { return N > 1 ? N : 1; }
};

struct IMouseMod {
  bool L, R, S, C, A;
  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};

struct IChannelBlend {
  // Stored as int: values outside the list (from saved layouts, say) copy like kBlendNone.
  enum EBlendMethod : int { kBlendNone = 0, kBlendClobber, kBlendAdd, kBlendColorDodge };
  EBlendMethod mMethod;
  float mWeight;
  IChannelBlend(EBlendMethod method = kBlendNone, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

enum EFileAction { kFileOpen = 0, kFileSave };

// Raster mode word and weight for a blend; a null blend copies weighted by source alpha.
int RastBlendMode(const IChannelBlend* pBlend);
float RastWeight(const IChannelBlend* pBlend);
