#include "effect/pictures/panel_font.h"

#include <cstdio>
#include <string>

#include <korval_platform/font_match.h>

namespace {

// The file of the best match for pattern, or "" when fontconfig finds none.
std::string FindFontFile(const char* pattern, int* faceIndex) {
  FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  OSG_FontMatch match;
  bool found = OSG_MatchFont(wanted, &match);
  if (wanted) FcPatternDestroy(wanted);
  *faceIndex = match.index;
  return found ? match.path : std::string();
}

}  // namespace

PanelFont::~PanelFont() {
  if (mFace) FT_Done_Face(mFace);
  if (mLibrary) FT_Done_FreeType(mLibrary);
}

bool PanelFont::Open(const char* pattern, int pixelSize) {
  int faceIndex = 0;
  std::string file = FindFontFile(pattern, &faceIndex);
  if (file.empty()) {
    std::fprintf(stderr, "no font matches \"%s\"\n", pattern);
    return false;
  }
  if (!mLibrary && FT_Init_FreeType(&mLibrary)) {
    std::fprintf(stderr, "FreeType cannot start\n");
    return false;
  }
  if (mFace) FT_Done_Face(mFace);
  mFace = nullptr;
  if (FT_New_Face(mLibrary, file.c_str(), faceIndex, &mFace) || FT_Set_Pixel_Sizes(mFace, 0, pixelSize)) {
    std::fprintf(stderr, "cannot open font file %s\n", file.c_str());
    return false;
  }
  return true;
}

int PanelFont::TextWidth(const char* text, int tracking) {
  int width = 0;
  for (const char* p = text; *p; ++p) {
    if (FT_Load_Char(mFace, static_cast<unsigned char>(*p), FT_LOAD_NO_HINTING)) continue;
    width += static_cast<int>(mFace->glyph->advance.x >> 6) + (p[1] ? tracking : 0);
  }
  return width;
}

int PanelFont::CapHeight() {
  if (FT_Load_Char(mFace, 'H', FT_LOAD_NO_HINTING)) return 0;
  return static_cast<int>(mFace->glyph->metrics.horiBearingY >> 6);
}

void PanelFont::Draw(RAST_IBitmap* bmp, const char* text, int x, int y, TextAlign align, Rgb c, float alpha,
                     int tracking) {
  if (align == TextAlign::kCentre) x -= TextWidth(text, tracking) / 2;
  if (align == TextAlign::kRight) x -= TextWidth(text, tracking);
  for (const char* p = text; *p; ++p) {
    if (FT_Load_Char(mFace, static_cast<unsigned char>(*p), FT_LOAD_RENDER | FT_LOAD_NO_HINTING)) continue;
    const FT_GlyphSlot glyph = mFace->glyph;
    const FT_Bitmap& coverage = glyph->bitmap;
    int left = x + glyph->bitmap_left, top = y - glyph->bitmap_top;
    ForEachPixel(bmp, static_cast<float>(left), static_cast<float>(top), left + coverage.width - 1.0f,
                 top + coverage.rows - 1.0f, [&](int px, int py) {
                   unsigned char cover = coverage.buffer[(py - top) * coverage.pitch + (px - left)];
                   if (cover) BlendPixel(bmp, px, py, c, alpha * cover / 255.0f);
                 });
    x += static_cast<int>(glyph->advance.x >> 6) + tracking;
  }
}
