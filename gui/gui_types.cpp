#include "gui/gui_types.h"

#include <algorithm>

#include "framework/text_copy.h"
#include "raster/rast_combine.h"

IRECT::IRECT(int x, int y, const IBitmap* pBitmap)
    : L(x), T(y), R(x + pBitmap->W), B(y + pBitmap->H / pBitmap->Frames()) {}

bool IRECT::Contains(int x, int y) const {
  if (Empty()) return false;
  return x >= L && x < R && y >= T && y < B;
}

bool IRECT::Intersects(const IRECT& other) const {
  if (Empty() || other.Empty()) return false;
  return R >= other.L && L < other.R && B >= other.T && T < other.B;
}

IRECT IRECT::Intersect(const IRECT& other) const {
  if (!Intersects(other)) return IRECT();
  return IRECT(std::max(L, other.L), std::max(T, other.T), std::min(R, other.R), std::min(B, other.B));
}

IRECT IRECT::Union(const IRECT& other) const {
  if (Empty()) return other;
  if (other.Empty()) return *this;
  return IRECT(std::min(L, other.L), std::min(T, other.T), std::max(R, other.R), std::max(B, other.B));
}

IRECT IRECT::SubRectVertical(int numSlices, int sliceIdx) const {
  float heightOfSubRect = static_cast<float>(H()) / static_cast<float>(numSlices);
  int t = T + static_cast<int>(heightOfSubRect * static_cast<float>(sliceIdx));
  return IRECT(L, t, R, static_cast<int>(static_cast<float>(t) + heightOfSubRect));
}

IRECT IRECT::SubRectHorizontal(int numSlices, int sliceIdx) const {
  float widthOfSubRect = static_cast<float>(W()) / static_cast<float>(numSlices);
  int l = L + static_cast<int>(widthOfSubRect * static_cast<float>(sliceIdx));
  return IRECT(l, T, static_cast<int>(static_cast<float>(l) + widthOfSubRect), B);
}

RAST_pixel RastColor(const IColor* pColor) {
  return RAST_RGBA(pColor->R, pColor->G, pColor->B, pColor->A);
}

IColor IColorFromRast(RAST_pixel pixel) {
  return IColor(RAST_GETA(pixel), RAST_GETR(pixel), RAST_GETG(pixel), RAST_GETB(pixel));
}

IText::IText(int size, const IColor* pColor, const char* font, EStyle style, EAlign align, int orientation,
             EQuality quality, const IColor* pTextEntryBGColor, const IColor* pTextEntryFGColor)
    : mSize(size),
      mColor(pColor ? *pColor : DEFAULT_TEXT_COLOR),
      mTextEntryBGColor(pTextEntryBGColor ? *pTextEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
      mTextEntryFGColor(pTextEntryFGColor ? *pTextEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
      mStyle(style),
      mAlign(align),
      mOrientation(orientation),
      mQuality(quality) {
  CopyTextCut(mFont, font ? font : DEFAULT_FONT);
}

int RastBlendMode(const IChannelBlend* pBlend) {
  if (!pBlend) return RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA;
  switch (pBlend->mMethod) {
    case IChannelBlend::kBlendClobber:
      return RAST_MODE_COPY;
    case IChannelBlend::kBlendAdd:
      return RAST_MODE_ADD | RAST_USE_SOURCE_ALPHA;
    case IChannelBlend::kBlendColorDodge:
      return RAST_MODE_DODGE | RAST_USE_SOURCE_ALPHA;
    default:
      return RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA;
  }
}

float RastWeight(const IChannelBlend* pBlend) { return pBlend ? pBlend->mWeight : 1.0f; }
