// Text in the editor: fonts made from text styles through the font cache, and drawing and
// measuring with them.
#include <algorithm>

#include "gui/font_cache.h"
#include "gui/igraphics.h"
#include "raster/rast_font.h"

namespace {

constexpr int kMinFontSize = 2;
// The text layer's limit; larger requests would only be refused there.
constexpr double kMaxFontSize = 8192.0;

int FontQuality(IText::EQuality quality) {
  switch (quality) {
    case IText::kQualityNonAntiAliased: return NONANTIALIASED_QUALITY;
    case IText::kQualityAntiAliased:
    case IText::kQualityBest: return ANTIALIASED_QUALITY;
    default: return DEFAULT_QUALITY;
  }
}

}  // namespace

RAST_IFont* IGraphics::CacheFont(IText* pTxt) {
  if (RAST_IFont* pFont = s_fontCache.Find(pTxt)) {
    pTxt->mCached = pFont;
    return pFont;
  }
  std::string face = FaceName(pTxt);
  // Whole turns are dropped so that any orientation fits the text layer's tenths of a degree.
  int tenths = (pTxt->mOrientation % 360) * 10;
  int weight = pTxt->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL;
  int italic = pTxt->mStyle == IText::kStyleItalic;
  RAST_CachedFont* pFont = new RAST_CachedFont;
  int size = pTxt->mSize;
  // The requested size is the line height: a second font corrects the first one's proportion.
  for (int attempt = 0;; ++attempt) {
    size = std::max(size, kMinFontSize);
    HFONT hFont = CreateFont(size, 0, tenths, tenths, weight, italic, 0, 0, 0, 0, 0, FontQuality(pTxt->mQuality), 0,
                             face.c_str());
    if (!hFont) {
      delete pFont;
      return nullptr;
    }
    pFont->SetFromHFont(hFont, RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE);
    int lineHeight = pFont->GetLineHeight();
    // Sizes the text layer does not take are replaced there; scaling its substitute up to the
    // request would only make a font of a size nobody asked for.
    if (attempt == 1 || lineHeight == size || lineHeight <= 0 || size > kMaxFontSize) break;
    double adjusted = static_cast<double>(size) * size / lineHeight + 0.5;
    size = static_cast<int>(std::min(adjusted, kMaxFontSize));
  }
  RAST_IFont* pStored = s_fontCache.Add(pFont, pTxt);
  pTxt->mCached = pStored;
  return pStored;
}

bool IGraphics::DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure) {
  if (!str || !str[0]) return true;
  RAST_IFont* pFont = pTxt->mCached ? pTxt->mCached : CacheFont(pTxt);
  if (!pFont) return false;
  pFont->SetTextColor(RastColor(&pTxt->mColor));
  unsigned int flags = DT_NOCLIP;
  if ((pTxt->mColor.A & 0xff) != 255) flags |= RAST_DT_USE_TEXT_ALPHA;
  if (pTxt->mAlign == IText::kAlignCenter) {
    flags |= DT_CENTER;
  } else if (pTxt->mAlign == IText::kAlignFar) {
    flags |= DT_RIGHT;
  }
  if (!measure) {
    RECT r{pR->L, pR->T, pR->R, pR->B};
    pFont->DrawText(mCanvas, str, -1, &r, flags);
    return true;
  }
  RECT r{0, 0, 0, 0};
  pFont->DrawText(mCanvas, str, -1, &r, flags | DT_CALCRECT);
  int w = r.right, h = r.bottom;
  // Every alignment gives a rectangle of the text's width, so measures of near texts combine
  // like the others wherever the rectangle starts.
  if (pTxt->mAlign == IText::kAlignCenter) {
    pR->L = static_cast<int>(pR->MW()) - w / 2;
  } else if (pTxt->mAlign == IText::kAlignFar) {
    pR->L = pR->R - w;
  }
  pR->R = pR->L + w;
  pR->B = pR->T + h;
  return true;
}
