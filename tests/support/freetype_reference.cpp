#include "freetype_reference.h"

#include <korval_platform/font_match.h>

namespace ft_reference {

namespace {

std::string FindFile(const char* family, bool bold, int* index) {
  FcPattern* wanted = FcPatternCreate();
  FcPatternAddString(wanted, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(wanted, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  OSG_FontMatch match;
  bool found = OSG_MatchFont(wanted, &match);
  FcPatternDestroy(wanted);
  *index = match.index;
  return found ? match.path : std::string();
}

}  // namespace

Face::Face(const char* family, int pixelSize, bool bold) {
  int index = 0;
  mFile = FindFile(family, bold, &index);
  if (mFile.empty() || FT_Init_FreeType(&mLibrary)) return;
  if (FT_New_Face(mLibrary, mFile.c_str(), index, &mFace) || FT_Set_Pixel_Sizes(mFace, 0, pixelSize)) {
    if (mFace) FT_Done_Face(mFace);
    mFace = nullptr;
  }
}

Face::~Face() {
  if (mFace) FT_Done_Face(mFace);
  if (mLibrary) FT_Done_FreeType(mLibrary);
}

int Face::Ascent() const { return static_cast<int>(mFace->size->metrics.ascender / 64); }

int Face::Advance(unsigned int code) {
  if (FT_Load_Char(mFace, code, FT_LOAD_DEFAULT)) return 0;
  return static_cast<int>((mFace->glyph->advance.x + 32) / 64);
}

void Face::Draw(const char* ascii, int penX, int baseline, bool mono, const std::function<void(int, int, int)>& put) {
  for (const char* p = ascii; *p; ++p) {
    unsigned int code = static_cast<unsigned char>(*p);
    if (FT_Load_Char(mFace, code, FT_LOAD_DEFAULT) ||
        FT_Render_Glyph(mFace->glyph, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL))
      continue;
    const FT_Bitmap& b = mFace->glyph->bitmap;
    int left = penX + mFace->glyph->bitmap_left, top = baseline - mFace->glyph->bitmap_top;
    for (unsigned y = 0; y < b.rows; ++y)
      for (unsigned x = 0; x < b.width; ++x) {
        const unsigned char* row = b.buffer + static_cast<long>(y) * b.pitch;
        int c = mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
        if (c) put(left + static_cast<int>(x), top + static_cast<int>(y), c);
      }
    penX += static_cast<int>((mFace->glyph->advance.x + 32) / 64);
  }
}

}  // namespace ft_reference
