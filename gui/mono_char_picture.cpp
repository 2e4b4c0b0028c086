#include "gui/mono_char_picture.h"

#include "raster/rast_blit.h"
#include "raster/rast_font.h"

namespace {
constexpr const char* kMonoFace = "DejaVu Sans Mono";
}

bool MakeMonoCharPicture(RAST_IBitmap* out, int charWidth, int charHeight) {
  if (!out || charWidth <= 0 || charHeight <= 0) return false;
  out->resize(charWidth, charHeight * kMonoCharFrames);
  if (!out->getBits() || out->getHeight() != charHeight * kMonoCharFrames) return false;
  RAST_ClearRect(out, 0, 0, charWidth, out->getHeight(), 0, RAST_RGBA(255, 255, 255, 0));
  RAST_CachedFont font;
  // The largest size whose lines fit a frame.
  for (int size = charHeight; size >= 2; --size) {
    font.SetFromHFont(CreateFont(size, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, kMonoFace),
                      RAST_FONT_OWNS_HFONT);
    if (!font.GetHFont()) return false;
    if (font.GetLineHeight() <= charHeight) break;
  }
  font.SetTextColor(RAST_RGBA(255, 255, 255, 255));
  for (int i = 0; i < kMonoCharFrames; ++i) {
    char text[2] = {static_cast<char>(' ' + i), 0};
    RECT cell{0, i * charHeight, charWidth, (i + 1) * charHeight};
    font.DrawText(out, text, 1, &cell, DT_CENTER | DT_VCENTER);
  }
  return true;
}
