// The cached font's set-up and text drawing: the choice between the native and the glyph path,
// measuring, alignment, clipping and line feeds.
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "base/brm_utf8.h"
#include <korval_platform/osg_text.h>
#include "raster/rast_blit.h"
#include "raster/rast_font.h"
#include "raster/rast_font_scratch.h"

namespace {

constexpr unsigned int kAlignBits = DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT;
constexpr int kMinScratchSide = 256;

RAST_SysBitmap* GrowScratch(std::unique_ptr<RAST_SysBitmap>& scratch, int w, int h) {
  if (!scratch) scratch = std::make_unique<RAST_SysBitmap>(0, 0);
  w = std::max(w, scratch->getWidth());
  h = std::max(h, scratch->getHeight());
  scratch->resize(w, h);
  return scratch->getBits() && scratch->getWidth() >= w && scratch->getHeight() >= h ? scratch.get() : nullptr;
}

// The length to walk: up to the NUL, and no further than length when it is not negative.
int TextLength(const char* str, int length) {
  if (length < 0) return static_cast<int>(std::strlen(str) > 0x7fffffff ? 0x7fffffff : std::strlen(str));
  const void* nul = std::memchr(str, 0, static_cast<size_t>(length));
  return nul ? static_cast<int>(static_cast<const char*>(nul) - str) : length;
}

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

// Moves the start of a text of size w x h inside rect by the alignment flags, in integer halves.
void Align(const RECT& rect, unsigned int flags, int w, int h, int* x, int* y) {
  *x = rect.left;
  *y = rect.top;
  if (flags & DT_RIGHT) {
    *x = rect.right - w;
  } else if (flags & DT_CENTER) {
    *x += (rect.right - rect.left - w) / 2;
  }
  if (flags & DT_BOTTOM) {
    *y = rect.bottom - h;
  } else if (flags & DT_VCENTER) {
    *y += (rect.bottom - rect.top - h) / 2;
  }
}

}  // namespace

RAST_SysBitmap* RAST_GlyphScratch(int w, int h) {
  static std::unique_ptr<RAST_SysBitmap> scratch;
  return GrowScratch(scratch, std::max(w, kMinScratchSide), std::max(h, kMinScratchSide));
}

RAST_SysBitmap* RAST_NativeScratch(int w, int h) {
  static std::unique_ptr<RAST_SysBitmap> scratch;
  return GrowScratch(scratch, w, h);
}

RAST_CachedFont::RAST_CachedFont() { std::memset(mAscii, 0, sizeof(mAscii)); }

RAST_CachedFont::~RAST_CachedFont() {
  if ((mFlags & RAST_FONT_OWNS_HFONT) && mFont) DeleteObject(mFont);
}

void RAST_CachedFont::SetFromHFont(HFONT font, int flags) {
  if ((mFlags & RAST_FONT_OWNS_HFONT) && mFont && mFont != font) DeleteObject(mFont);
  mFlags = flags;
  mFont = font;
  mLineHeight = 0;
  ClearGlyphs();
  if (!font) return;
  if (RAST_SysBitmap* scratch = RAST_GlyphScratch(kMinScratchSide, kMinScratchSide)) {
    HDC dc = scratch->getDC();
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, previous);
    mLineHeight = tm.tmHeight;
  }
  if (flags & RAST_FONT_PRERENDER_ASCII)
    for (int c = 0; c < 128; ++c) GetGlyph(static_cast<unsigned short>(c));
}

RAST_pixel RAST_CachedFont::SetTextColor(RAST_pixel colour) { return std::exchange(mTextColor, colour); }
RAST_pixel RAST_CachedFont::SetBkColor(RAST_pixel colour) { return std::exchange(mBkColor, colour); }
RAST_pixel RAST_CachedFont::SetEffectColor(RAST_pixel colour) { return std::exchange(mEffectColor, colour); }
int RAST_CachedFont::SetBkMode(int mode) { return std::exchange(mBkMode, mode); }

void RAST_CachedFont::SetCombineMode(int mode, float alpha) {
  mCombineMode = mode;
  mCombineAlpha = alpha;
}

int RAST_CachedFont::DrawText(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags) {
  if (!str || !rect) return 0;
  bool needAlpha = flags & RAST_DT_NEED_ALPHA;
  flags &= ~RAST_DT_NEED_ALPHA;
  if (!bm && !(flags & DT_CALCRECT)) return 0;
  length = TextLength(str, length);
  bool multiLine = !(flags & DT_SINGLELINE) && std::memchr(str, '\n', static_cast<size_t>(length));
  bool native = (mFlags & RAST_FONT_FORCE_NATIVE) && !needAlpha && !(flags & RAST_DT_USE_TEXT_ALPHA) &&
                !(mFlags & (RAST_FONT_PRERENDER_ASCII | RAST_FONT_GLYPH_ONLY)) && (!mExtraLineSpacing || !multiLine);
  if (mFont && (native || mLineHeight > 255)) return DrawNative(bm, str, length, rect, flags & ~RAST_DT_USE_TEXT_ALPHA);
  return DrawGlyphs(bm, str, length, rect, flags);
}

int RAST_CachedFont::DrawNative(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags) {
  flags |= DT_NOPREFIX;
  if (HDC dc = bm ? bm->getDC() : nullptr; dc && !(flags & DT_CALCRECT)) {
    // The context may be wider and taller than the bitmap it carries.
    RECT bounds{0, 0, bm->getWidth(), bm->getHeight()};
    OSG_PushClipRegion(dc, &bounds);
    HGDIOBJ previous = SelectObject(dc, mFont);
    COLORREF oldText = ::SetTextColor(dc, RAST_ToColorRef(mTextColor));
    COLORREF oldBk = ::SetBkColor(dc, RAST_ToColorRef(mBkColor));
    int oldMode = ::SetBkMode(dc, mBkMode);
    int height = OSG_DrawText(dc, str, length, rect, static_cast<int>(flags));
    ::SetBkMode(dc, oldMode);
    ::SetBkColor(dc, oldBk);
    ::SetTextColor(dc, oldText);
    SelectObject(dc, previous);
    OSG_PopClipRegion(dc);
    return height;
  }

  RAST_SysBitmap* measurer = RAST_GlyphScratch(0, 0);
  if (!measurer) return 0;
  HDC mdc = measurer->getDC();
  HGDIOBJ previous = SelectObject(mdc, mFont);
  RECT size{0, 0, 0, 0};
  int h = OSG_DrawText(mdc, str, length, &size, static_cast<int>((flags & ~kAlignBits) | DT_CALCRECT));
  SelectObject(mdc, previous);
  int w = size.right;
  if (flags & DT_CALCRECT) {
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return h;
  }
  int x, y;
  Align(*rect, flags, w, h, &x, &y);
  // Glyphs reach a little past their advances on either side (italics, overhangs).
  int margin = mLineHeight < 16 ? 2 : mLineHeight / 16 + 2;
  RECT area = Intersect(RECT{x - margin, y, x + w + margin, y + h}, RECT{0, 0, bm->getWidth(), bm->getHeight()});
  if (!(flags & DT_NOCLIP)) area = Intersect(area, *rect);
  if (IsEmpty(area)) return h;
  int aw = area.right - area.left, ah = area.bottom - area.top;
  RAST_SysBitmap* scratch = RAST_NativeScratch(aw, ah);
  if (!scratch) return 0;
  RAST_Blit(scratch, bm, 0, 0, area.left, area.top, aw, ah, 1.0f, 0);
  HDC dc = scratch->getDC();
  RECT clip{0, 0, aw, ah};
  OSG_PushClipRegion(dc, &clip);
  previous = SelectObject(dc, mFont);
  ::SetTextColor(dc, RAST_ToColorRef(mTextColor));
  ::SetBkColor(dc, RAST_ToColorRef(mBkColor));
  ::SetBkMode(dc, mBkMode);
  RECT place{x - area.left, y - area.top, x - area.left + w, y - area.top + h};
  OSG_DrawText(dc, str, length, &place, static_cast<int>((flags & ~kAlignBits) | DT_NOCLIP));
  SelectObject(dc, previous);
  OSG_PopClipRegion(dc);
  RAST_Blit(bm, scratch, area.left, area.top, 0, 0, aw, ah, mCombineAlpha, 0);
  return h;
}

template <class Fn>
void RAST_CachedFont::ForEachGlyph(const char* str, int length, unsigned int flags, Fn&& fn) {
  bool vertical = mFlags & (RAST_FONT_VERTICAL | RAST_FONT_BOTTOM_UP);
  int step = mFlags & RAST_FONT_BOTTOM_UP ? -1 : 1;
  int x = 0, y = 0;
  for (int i = 0; i < length;) {
    unsigned int code;
    i += utf8char(str + i, length - i, &code);
    if (code == '\r') continue;
    if (code == '\n') {
      if (!(flags & DT_SINGLELINE)) {
        // Vertical text runs its lines side by side.
        if (vertical) {
          x += mLineHeight + mExtraLineSpacing;
          y = 0;
        } else {
          x = 0;
          y += mLineHeight + mExtraLineSpacing;
        }
        continue;
      }
      code = ' ';
    }
    if (code > 0xFFFF) code = kUTF8Replacement;
    const Glyph* g = GetGlyph(static_cast<unsigned short>(code));
    if (!g) continue;
    fn(*g, x, y);
    if (vertical) {
      y += step * g->advance;
    } else {
      x += g->advance;
    }
  }
}

int RAST_CachedFont::DrawGlyphs(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags) {
  auto measure = [&](int* w, int* h) {
    *w = *h = 0;
    bool vertical = mFlags & (RAST_FONT_VERTICAL | RAST_FONT_BOTTOM_UP);
    ForEachGlyph(str, length, flags, [&](const Glyph& g, int x, int y) {
      int left = vertical ? x : x - g.trimmed, top = vertical ? y - g.trimmed : y;
      *w = std::max({*w, vertical ? x + g.width : x + g.advance, left + g.width});
      *h = std::max({*h, vertical ? std::abs(y) + g.advance : 0, top + g.height});
    });
  };
  if (flags & DT_CALCRECT) {
    int w, h;
    measure(&w, &h);
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return h;
  }
  float alpha = mCombineAlpha;
  if (flags & RAST_DT_USE_TEXT_ALPHA) mCombineAlpha *= static_cast<float>(RAST_GETA(mTextColor)) / 255.0f;
  int drawnHeight = 0;
  if (mCombineAlpha > 0.0f) {
    int x0 = rect->left, y0 = rect->top;
    if (flags & kAlignBits) {
      int w, h;
      measure(&w, &h);
      Align(*rect, flags, w, h, &x0, &y0);
    }
    RECT clip{0, 0, bm->getWidth(), bm->getHeight()};
    if (!(flags & DT_NOCLIP)) clip = Intersect(clip, *rect);
    if (!IsEmpty(clip)) {
      ForEachGlyph(str, length, flags, [&](const Glyph& g, int x, int y) {
        DrawGlyph(bm, g.code, x0 + x, y0 + y, &clip);
        if (g.width) drawnHeight = std::max(drawnHeight, y + g.height);
      });
    }
  }
  mCombineAlpha = alpha;
  return drawnHeight;
}
