#pragma once
// Text in raster bitmaps from system fonts. A cached font draws UTF-8 text either natively, by
// letting the system text layer draw into the bitmap's drawing context, or through its glyph
// cache: each character is rasterised once into an 8-bit coverage mask, then composited with the
// pixel combiners. Scratch bitmaps are process-wide: text drawing stays on one thread.
#include "base/heap_buf.h"
#include <korval_platform/osg_text.h>
#include "raster/rast_bitmap.h"

// Font flags (SetFromHFont).
enum {
  RAST_FONT_VERTICAL = 0x1,
  RAST_FONT_BOTTOM_UP = 0x2,
  RAST_FONT_PRERENDER_ASCII = 0x4,  // codes 0..127 at once, nothing above 127 on demand
  RAST_FONT_BLUR = 0x10,
  RAST_FONT_INVERT = 0x20,
  RAST_FONT_MONO = 0x40,
  RAST_FONT_SHADOW = 0x80,
  RAST_FONT_OUTLINE = 0x100,
  RAST_FONT_OWNS_HFONT = 0x200,
  RAST_FONT_FORCE_NATIVE = 0x400,
  // Flags the native path cannot honour.
  RAST_FONT_GLYPH_ONLY = 0x1f3,
};

// DrawText flags beyond the text layer's DT_ ones.
enum : unsigned int {
  RAST_DT_USE_TEXT_ALPHA = 0x40000000u,  // multiply the drawing alpha by the text colour's alpha
  RAST_DT_NEED_ALPHA = 0x80000000u,      // the bitmap's alpha must come out right
};

class RAST_IFont {
 public:
  virtual ~RAST_IFont() {}
  virtual void SetFromHFont(HFONT font, int flags = 0) = 0;
  // Each returns the previous value.
  virtual RAST_pixel SetTextColor(RAST_pixel colour) = 0;
  virtual RAST_pixel SetBkColor(RAST_pixel colour) = 0;
  virtual RAST_pixel SetEffectColor(RAST_pixel colour) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha = 1.0f) = 0;
  // Draws (or with DT_CALCRECT measures into *rect) the text; length -1 runs to the NUL, and a
  // NUL always ends the text. Returns the text's height.
  virtual int DrawText(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags) = 0;
  virtual RAST_pixel GetTextColor() = 0;
  virtual HFONT GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class RAST_CachedFont : public RAST_IFont {
 public:
  RAST_CachedFont();
  ~RAST_CachedFont() override;
  RAST_CachedFont(const RAST_CachedFont&) = delete;
  RAST_CachedFont& operator=(const RAST_CachedFont&) = delete;

  void SetFromHFont(HFONT font, int flags = 0) override;
  RAST_pixel SetTextColor(RAST_pixel colour) override;
  RAST_pixel SetBkColor(RAST_pixel colour) override;
  RAST_pixel SetEffectColor(RAST_pixel colour) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha = 1.0f) override;
  int DrawText(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags) override;
  RAST_pixel GetTextColor() override { return mTextColor; }
  HFONT GetHFont() override { return mFont; }
  int GetLineHeight() override { return mLineHeight; }

  // Draws one cached character with its pen at (x, y), inside clip.
  void DrawGlyph(RAST_IBitmap* bm, unsigned short code, int x, int y, const RECT* clip);
  void SetExtraLineSpacing(int pixels) { mExtraLineSpacing = pixels; }

  struct Glyph {
    int maskOffset;  // into the mask buffer, plus one; 0 = not rendered
    int width, height;
    int advance;
    unsigned short code;
    int trimmed;  // the pen is this far right of the mask's left edge
  };
  // Mask buffers beyond this size are started afresh, so texts naming every character there is
  // cannot make the cache grow without bound.
  static constexpr int kMaxMaskBytes = 32 << 20;

 private:
  const Glyph* FindGlyph(unsigned short code) const;
  // The cached glyph, rendering it first when it is missing; null when it cannot be had.
  const Glyph* GetGlyph(unsigned short code);
  bool RenderGlyph(unsigned short code);
  Glyph* StoreGlyph(unsigned short code);
  void ClearGlyphs();
  void PostProcess(unsigned char* mask, int w, int h);
  int DrawNative(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags);
  int DrawGlyphs(RAST_IBitmap* bm, const char* str, int length, RECT* rect, unsigned int flags);
  // Walks the text's glyphs from pen (0, 0), calling fn(glyph, x, y) for each one that has a
  // record (rendered or empty).
  template <class Fn>
  void ForEachGlyph(const char* str, int length, unsigned int flags, Fn&& fn);
  void Composite(RAST_IBitmap* bm, const Glyph& g, const unsigned char* mask, int x, int y, const RECT& area,
                 RAST_pixel colour, int select);

  RAST_pixel mTextColor = 0;
  RAST_pixel mBkColor = 0xffffffff;
  RAST_pixel mEffectColor = 0xffffffff;
  int mCombineMode = 0;
  float mCombineAlpha = 1.0f;
  int mBkMode = TRANSPARENT;
  int mFlags = 0;
  int mLineHeight = 0;
  int mExtraLineSpacing = 0;
  HFONT mFont = nullptr;
  Glyph mAscii[128];
  BRM_TypedBuf<Glyph> mExtended;  // sorted by code
  BRM_HeapBuf mMasks{65536};
};
