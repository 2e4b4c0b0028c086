#pragma once
// Text drawn with FreeType directly, for comparing the text layers against: the face comes from
// fontconfig, glyphs are loaded with default hinting and laid out at whole-pixel advances.
#include <functional>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace ft_reference {

class Face {
 public:
  // family is a fontconfig family name; IsOpen() tells whether it was found.
  Face(const char* family, int pixelSize, bool bold = false);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  bool IsOpen() const { return mFace != nullptr; }
  const std::string& File() const { return mFile; }
  FT_Face Handle() const { return mFace; }
  // Whole pixels above the baseline, as the line box counts them.
  int Ascent() const;
  int Advance(unsigned int code);
  // Calls put(x, y, coverage) for every covered pixel of the text, pen starting at (penX,
  // baseline), glyph after glyph.
  void Draw(const char* ascii, int penX, int baseline, bool mono,
            const std::function<void(int, int, int)>& put);

 private:
  FT_Library mLibrary = nullptr;
  FT_Face mFace = nullptr;
  std::string mFile;
};

}  // namespace ft_reference
