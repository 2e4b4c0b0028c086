// Text layout and drawing into memory contexts: the text is cleaned, split into lines, measured
// with the font's whole-pixel advances (no kerning, so a text measures the same as the sum of its
// characters, which is how the glyph cache above this layer lays text out) and drawn glyph by
// glyph from FreeType's coverage.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/brm_utf8.h"
#include "platform/osg/osg_context.h"
#include "platform/osg/osg_font.h"

namespace {

constexpr int kMaxTextBytes = 4095;

struct Line {
  size_t begin, end;  // into the code list
  int width;
};

struct Layout {
  std::vector<unsigned int> codes;
  std::vector<Line> lines;
  int width = 0;
  int height = 0;
};

// Decodes and cleans the text: carriage returns dropped, '&' prefixes removed unless noPrefix,
// line feeds turned into spaces when singleLine, otherwise ending lines.
void LayOut(OSG_Font* font, const char* text, int length, int flags, Layout* out) {
  size_t limit = length < 0 ? kMaxTextBytes : static_cast<size_t>(std::min(length, kMaxTextBytes));
  size_t n = text ? strnlen(text, limit) : 0;
  bool noPrefix = flags & DT_NOPREFIX, singleLine = flags & DT_SINGLELINE;
  size_t lineStart = 0;
  for (size_t i = 0; i < n;) {
    unsigned int code;
    i += static_cast<size_t>(utf8char(text + i, static_cast<int>(n - i), &code));
    if (code == '\r') continue;
    if (code == '&' && !noPrefix) {
      // "&&" stands for one '&'; a single '&' only marks the next character.
      if (i < n && text[i] == '&') {
        ++i;
      } else {
        continue;
      }
    }
    if (code == '\n') {
      if (singleLine) {
        code = ' ';
      } else {
        out->lines.push_back(Line{lineStart, out->codes.size(), 0});
        lineStart = out->codes.size();
        continue;
      }
    }
    out->codes.push_back(code);
  }
  // Every line feed has ended a line, an empty one too; a final one does not open another, and a
  // text without characters or line feeds has no line at all.
  if (lineStart < out->codes.size()) out->lines.push_back(Line{lineStart, out->codes.size(), 0});
  for (Line& line : out->lines) {
    for (size_t i = line.begin; i < line.end; ++i) line.width += font->Advance(out->codes[i]);
    out->width = std::max(out->width, line.width);
  }
  out->height = static_cast<int>(out->lines.size()) * font->LinePitch();
  if (out->height) ++out->height;
}

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

unsigned char* PixelAt(HDC ctx, int x, int y) {
  return static_cast<unsigned char*>(ctx->pixels) + (static_cast<size_t>(y) * ctx->width + x) * 4;
}

// Pixels hold bytes a, r, g, b; the alpha byte is not part of what the context draws.
void Blend(unsigned char* p, COLORREF colour, int coverage) {
  const int channels[3] = {static_cast<int>((colour >> 16) & 0xff), static_cast<int>((colour >> 8) & 0xff),
                           static_cast<int>(colour & 0xff)};
  for (int c = 0; c < 3; ++c) p[1 + c] = static_cast<unsigned char>((channels[c] * coverage + p[1 + c] * (255 - coverage) + 127) / 255);
}

void FillRect(HDC ctx, RECT r, COLORREF colour) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) Blend(PixelAt(ctx, x, y), colour, 255);
}

// Puts FreeType's coverage bitmap with its top-left corner at (x, y).
void DrawCoverage(HDC ctx, const FT_Bitmap& bitmap, int x, int y, const RECT& clip, COLORREF colour) {
  RECT area = Intersect(clip, RECT{x, y, x + static_cast<int>(bitmap.width), y + static_cast<int>(bitmap.rows)});
  if (IsEmpty(area) || !bitmap.buffer) return;
  bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  for (int py = area.top; py < area.bottom; ++py) {
    const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(py - y) * bitmap.pitch;
    for (int px = area.left; px < area.right; ++px) {
      int col = px - x;
      int coverage = mono ? ((row[col >> 3] >> (7 - (col & 7))) & 1) * 255 : row[col];
      if (coverage) Blend(PixelAt(ctx, px, py), colour, coverage);
    }
  }
}

}  // namespace

int OSG_DrawText(HDC ctx, const char* text, int length, RECT* r, int flags) {
  if (!ctx || !r || !ctx->font) return 0;
  OSG_Font* font = ctx->font;
  Layout layout;
  LayOut(font, text, length, flags, &layout);
  if (flags & DT_CALCRECT) {
    r->right = r->left + layout.width;
    r->bottom = r->top + layout.height;
    return layout.height;
  }
  if (layout.lines.empty()) return 0;

  int x = r->left, y = r->top;
  if (flags & DT_RIGHT) {
    x = r->right - layout.width;
  } else if (flags & DT_CENTER) {
    x = r->left + (r->right - r->left - layout.width) / 2;
  }
  if (flags & DT_BOTTOM) {
    y = r->bottom - layout.height;
  } else if (flags & DT_VCENTER) {
    y = r->top + (r->bottom - r->top - layout.height) / 2;
  }
  RECT clip = Intersect(ctx->clip, RECT{0, 0, ctx->width, ctx->height});
  if (!(flags & DT_NOCLIP)) clip = Intersect(clip, *r);
  if (IsEmpty(clip)) return layout.height;
  if (ctx->bkMode == OPAQUE) {
    RECT box = Intersect(clip, RECT{x, y, x + layout.width, y + layout.height});
    if (!IsEmpty(box)) FillRect(ctx, box, ctx->bkColour);
  }
  int pitch = font->LinePitch();
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const Line& line = layout.lines[i];
    int baseline = y + font->ascent + static_cast<int>(i) * pitch;
    // Lines and glyphs wholly outside the clip are not rasterised: a glyph reaches at most about
    // an em beyond its pen position and advance.
    if (baseline + font->descent + font->size < clip.top || baseline - font->ascent - font->size >= clip.bottom) continue;
    int pen = x;
    for (size_t c = line.begin; c < line.end && pen - font->size < clip.right; ++c) {
      unsigned int code = layout.codes[c];
      bool visible = pen + 2 * font->size >= clip.left;
      if (visible && font->RenderGlyph(code)) {
        FT_GlyphSlot slot = font->face->glyph;
        DrawCoverage(ctx, slot->bitmap, pen + slot->bitmap_left, baseline - slot->bitmap_top, clip, ctx->textColour);
      }
      pen += font->Advance(code);
    }
  }
  return layout.height;
}

void OSG_PushClipRegion(HDC ctx, const RECT* r) {
  if (!ctx) return;
  constexpr size_t kMaxDepth = 256;
  if (ctx->clipStack.size() >= kMaxDepth) {
    ++ctx->clipOverflow;
  } else {
    ctx->clipStack.push_back(ctx->clip);
  }
  if (r) ctx->clip = Intersect(ctx->clip, *r);
}

void OSG_SetClipRegion(HDC ctx, const RECT* r) {
  if (!ctx) return;
  ctx->clip = r ? Intersect(*r, RECT{0, 0, ctx->width, ctx->height}) : RECT{0, 0, ctx->width, ctx->height};
}

void OSG_PopClipRegion(HDC ctx) {
  if (!ctx) return;
  if (ctx->clipOverflow) {
    --ctx->clipOverflow;
    return;
  }
  if (ctx->clipStack.empty()) return;
  ctx->clip = ctx->clipStack.back();
  ctx->clipStack.pop_back();
}
