// The cached font's glyph cache: rasterising a character once through the system text layer into
// a coverage mask, looking masks up by code, and compositing them with the combiners.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/brm_utf8.h"
#include "raster/rast_blit.h"
#include "raster/rast_dispatch.h"
#include "raster/rast_font.h"
#include "raster/rast_font_scratch.h"

namespace {

constexpr int kMaxGlyphLineHeight = 1024;

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// A 3 x 3 box blur of the mask, edges repeated.
void Blur(unsigned char* mask, int w, int h) {
  std::vector<unsigned char> src(mask, mask + static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int sum = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
          sum += src[static_cast<size_t>(sy) * w + sx];
        }
      mask[static_cast<size_t>(y) * w + x] = static_cast<unsigned char>(sum / 9);
    }
}

// Zero pixels beside a full one become 128: the outline the effect colour fills.
void Outline(unsigned char* mask, int w, int h) {
  std::vector<unsigned char> src(mask, mask + static_cast<size_t>(w) * h);
  auto full = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && src[static_cast<size_t>(y) * w + x] == 255; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (!src[static_cast<size_t>(y) * w + x] && (full(x - 1, y) || full(x + 1, y) || full(x, y - 1) || full(x, y + 1)))
        mask[static_cast<size_t>(y) * w + x] = 128;
}

}  // namespace

void RAST_CachedFont::ClearGlyphs() {
  std::memset(mAscii, 0, sizeof(mAscii));
  mExtended.Resize(0);
  mMasks.Resize(0);
}

const RAST_CachedFont::Glyph* RAST_CachedFont::FindGlyph(unsigned short code) const {
  if (code < 128) return mAscii[code].maskOffset ? &mAscii[code] : nullptr;
  const Glyph* begin = mExtended.Get();
  const Glyph* end = begin + mExtended.GetSize();
  const Glyph* found = std::lower_bound(begin, end, code, [](const Glyph& g, unsigned short c) { return g.code < c; });
  return found != end && found->code == code ? found : nullptr;
}

const RAST_CachedFont::Glyph* RAST_CachedFont::GetGlyph(unsigned short code) {
  if (const Glyph* g = FindGlyph(code)) return g;
  if (code > 127 && (mFlags & RAST_FONT_PRERENDER_ASCII)) return nullptr;
  return RenderGlyph(code) ? FindGlyph(code) : nullptr;
}

RAST_CachedFont::Glyph* RAST_CachedFont::StoreGlyph(unsigned short code) {
  if (code < 128) return &mAscii[code];
  int n = mExtended.GetSize();
  if (!mExtended.Resize(n + 1)) return nullptr;
  Glyph* begin = mExtended.Get();
  Glyph* at = std::lower_bound(begin, begin + n, code, [](const Glyph& g, unsigned short c) { return g.code < c; });
  std::memmove(at + 1, at, static_cast<size_t>(begin + n - at) * sizeof(Glyph));
  return at;
}

bool RAST_CachedFont::RenderGlyph(unsigned short code) {
  int lh = mLineHeight;
  if (!mFont || lh <= 0 || lh >= kMaxGlyphLineHeight) return false;
  RAST_SysBitmap* scratch = RAST_GlyphScratch(2 * lh + 8, 2 * lh + 8);
  if (!scratch) return false;
  HDC dc = scratch->getDC();
  HGDIOBJ previous = SelectObject(dc, mFont);
  ::SetTextColor(dc, 0xffffff);
  ::SetBkMode(dc, OPAQUE);
  ::SetBkColor(dc, 0);
  char text[4];
  int n = code < 128 ? (text[0] = static_cast<char>(code), 1) : utf8encode(code, text);
  RECT size{0, 0, 0, 0};
  OSG_DrawText(dc, text, n, &size, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  int margin = lh / 16 + 2;
  int aw = std::min(size.right + 2 * margin, scratch->getWidth()), ah = std::min(size.bottom, scratch->getHeight());
  if (aw > 0 && ah > 0) {
    RAST_FillRect(scratch, 0, 0, aw, ah, RAST_RGBA(0, 0, 0, 255), 1.0f, 0);
    RECT place{margin, 0, margin + size.right, size.bottom};
    OSG_DrawText(dc, text, n, &place, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
  SelectObject(dc, previous);

  // Coverage is the red channel; empty columns at either side are trimmed away.
  const RAST_pixel* bits = scratch->getBits();
  int span = scratch->getRowSpan();
  bool invert = mFlags & RAST_FONT_INVERT;
  auto coverage = [&](int x, int y) {
    int c = RAST_GETR(bits[static_cast<size_t>(y) * span + x]);
    return invert ? 255 - c : c;
  };
  int first = aw, last = -1;
  for (int x = 0; x < aw; ++x)
    for (int y = 0; y < ah; ++y)
      if (coverage(x, y)) {
        first = std::min(first, x);
        last = x;
        break;
      }
  int w = last >= first ? last - first + 1 : 0, h = std::max(ah, 0);
  if (mMasks.GetSize() + w * h > kMaxMaskBytes) ClearGlyphs();
  int offset = mMasks.GetSize();
  if (w && !mMasks.Resize(offset + w * h)) return false;
  Glyph* g = StoreGlyph(code);
  if (!g) return false;
  bool vertical = mFlags & (RAST_FONT_VERTICAL | RAST_FONT_BOTTOM_UP);
  bool bottomUp = mFlags & RAST_FONT_BOTTOM_UP;
  *g = Glyph{offset + 1, vertical ? h : w, vertical ? w : h, size.right, code, margin - first};
  if (!w) {
    g->width = g->height = 0;
    return true;
  }
  unsigned char* mask = static_cast<unsigned char*>(mMasks.Get()) + offset;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int c = coverage(first + x, y);
      // Vertical glyphs turn a quarter: top-down clockwise, bottom-up counter-clockwise.
      size_t at = !vertical ? static_cast<size_t>(y) * w + x
                  : bottomUp ? static_cast<size_t>(w - 1 - x) * h + y
                             : static_cast<size_t>(x) * h + (h - 1 - y);
      mask[at] = static_cast<unsigned char>(c);
    }
  PostProcess(mask, g->width, g->height);
  return true;
}

void RAST_CachedFont::PostProcess(unsigned char* mask, int w, int h) {
  if (mFlags & RAST_FONT_BLUR) Blur(mask, w, h);
  if (mFlags & RAST_FONT_MONO)
    for (int i = 0; i < w * h; ++i) mask[i] = mask[i] >= 128 ? 255 : 0;
  if (mFlags & RAST_FONT_OUTLINE) Outline(mask, w, h);
}

void RAST_CachedFont::DrawGlyph(RAST_IBitmap* bm, unsigned short code, int x, int y, const RECT* clip) {
  const Glyph* g = FindGlyph(code);
  if (!bm || !g || !g->width || !g->height || !bm->getBits()) return;
  if (mFlags & (RAST_FONT_VERTICAL | RAST_FONT_BOTTOM_UP)) {
    y -= g->trimmed;
  } else {
    x -= g->trimmed;
  }
  RECT area = Intersect(RECT{x, y, x + g->width, y + g->height}, RECT{0, 0, bm->getWidth(), bm->getHeight()});
  if (clip) area = Intersect(area, *clip);
  if (area.left >= area.right || area.top >= area.bottom) return;
  if (mBkMode == OPAQUE)
    RAST_FillRect(bm, area.left, area.top, area.right - area.left, area.bottom - area.top, mBkColor, mCombineAlpha,
                  mCombineMode & ~RAST_USE_SOURCE_ALPHA);
  const unsigned char* mask = static_cast<const unsigned char*>(mMasks.Get()) + g->maskOffset - 1;
  if (mFlags & RAST_FONT_SHADOW) {
    RECT shadow = Intersect(RECT{area.left + 1, area.top + 1, area.right + 1, area.bottom + 1},
                            RECT{0, 0, bm->getWidth(), bm->getHeight()});
    if (clip) shadow = Intersect(shadow, *clip);
    Composite(bm, *g, mask, x + 1, y + 1, shadow, mEffectColor, -1);
  }
  // Outline pixels take the effect colour, the rest the text colour.
  if (mFlags & RAST_FONT_OUTLINE) Composite(bm, *g, mask, x, y, area, mEffectColor, 128);
  Composite(bm, *g, mask, x, y, area, mTextColor, (mFlags & RAST_FONT_OUTLINE) ? -128 : -1);
}

// Combines colour by the mask over area (inside the glyph placed at x, y). select > 0 takes only
// mask values equal to it, select -128 all but those, -1 every value.
void RAST_CachedFont::Composite(RAST_IBitmap* bm, const Glyph& g, const unsigned char* mask, int x, int y,
                                const RECT& area, RAST_pixel colour, int select) {
  if (area.left >= area.right || area.top >= area.bottom) return;
  RAST_pixel* bits = bm->getBits();
  int span = bm->getRowSpan();
  bool flipped = bm->isFlipped();
  int height = bm->getHeight();
  auto row = [&](int py) { return bits + static_cast<ptrdiff_t>(flipped ? height - 1 - py : py) * span; };
  auto take = [select](int c) { return c > 0 && (select == -1 || (select > 0 ? c == select : c != 128)); };
  bool fullAlpha = mCombineAlpha == 1.0f;
  int weight = RAST_WeightFromAlpha(mCombineAlpha);
  if ((mFlags & RAST_FONT_MONO) && fullAlpha && mCombineMode == 0 && select == -1) {
    for (int py = area.top; py < area.bottom; ++py) {
      RAST_pixel* out = row(py);
      const unsigned char* m = mask + static_cast<size_t>(py - y) * g.width;
      for (int px = area.left; px < area.right; ++px)
        if (m[px - x]) out[px] = colour;
    }
    return;
  }
  // The colour's own alpha does not weigh: text is drawn at source alpha 255.
  RAST_pixel opaque = (colour & ~0xffu) | 0xffu;
  RAST_WithWeightedPaint(opaque, mCombineMode, [&](const auto& paint) {
    for (int py = area.top; py < area.bottom; ++py) {
      RAST_pixel* out = row(py);
      const unsigned char* m = mask + static_cast<size_t>(py - y) * g.width;
      for (int px = area.left; px < area.right; ++px) {
        int c = m[px - x];
        if (!take(c)) continue;
        paint(out + px, fullAlpha ? c + 1 : std::min(256, weight * c / 256));
      }
    }
  });
}
