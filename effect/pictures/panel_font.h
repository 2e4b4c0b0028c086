#pragma once
// Text for the front panel: a font found through fontconfig, rendered by FreeType and mixed
// into a bitmap by its glyph coverage.
#include <ft2build.h>
#include FT_FREETYPE_H

#include "effect/pictures/supersampled_canvas.h"

enum class TextAlign { kLeft, kCentre, kRight };

class PanelFont {
 public:
  PanelFont() = default;
  ~PanelFont();
  PanelFont(const PanelFont&) = delete;
  PanelFont& operator=(const PanelFont&) = delete;

  // pattern is a fontconfig name such as "DejaVu Sans:bold"; false (with a message on stderr)
  // when no font file can be found or opened.
  bool Open(const char* pattern, int pixelSize);

  // Width of the text with tracking extra pixels between letters.
  int TextWidth(const char* text, int tracking = 0);
  // Height of a capital letter above the baseline.
  int CapHeight();
  // Draws text on the baseline y; x is its left edge, middle or right edge by align.
  void Draw(RAST_IBitmap* bmp, const char* text, int x, int y, TextAlign align, Rgb c, float alpha = 1.0f,
            int tracking = 0);

 private:
  FT_Library mLibrary = nullptr;
  FT_Face mFace = nullptr;
};
