#pragma once
// Inside of a font object: a FreeType face at one pixel size, with the metrics the text layer
// reports and the advances it has already looked up.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>
#include <unordered_map>

#include <korval_platform/osg_text.h>

struct OSG_GdiObject {
  virtual ~OSG_GdiObject() = default;
};

// The FreeType library, shared by every face made from it so that it outlives the last of them
// (fonts in process-wide caches are deleted at exit, in no particular order).
class OSG_FreeType;

struct OSG_Font : OSG_GdiObject {
  ~OSG_Font() override;

  std::shared_ptr<OSG_FreeType> library;
  FT_Face face = nullptr;
  int size = 10;
  int angle = 0;  // tenths of a degree; kept for callers, text is drawn level
  int quality = DEFAULT_QUALITY;
  int ascent = 0, descent = 0, leading = 0;
  // Advances in whole pixels by character.
  std::unordered_map<unsigned int, int> advances;

  // Puts the character's coverage (8-bit grey, or 1-bit for quality 3) in face->glyph; false
  // when FreeType cannot load it. Characters the face lacks give its missing-glyph shape.
  bool RenderGlyph(unsigned int code);
  int Advance(unsigned int code);
  // Pixels from one line's top to the next line's.
  int LinePitch() const { return ascent + descent + leading; }
};

// Where the font of a face name lives. The name cache keeps up to a few hundred names, so a
// stream of different names cannot grow it without bound.
struct OSG_FontFile {
  std::string path;
  int index = 0;
};
// The file for face in the given weight and slant, or the system's sans face when face does not
// name an installed family; an empty path when fontconfig finds no font at all.
OSG_FontFile OSG_FindFontFile(const std::string& face, bool bold, bool italic);
