// Font objects: CreateFont opens a FreeType face for the resolved file, and contexts carry the
// selected font and the colours text is drawn in.
#include <cstdlib>
#include <mutex>
#include <new>

#include "platform/osg/osg_context.h"
#include "platform/osg/osg_font.h"

class OSG_FreeType {
 public:
  OSG_FreeType() {
    if (FT_Init_FreeType(&mLibrary)) mLibrary = nullptr;
  }
  ~OSG_FreeType() {
    if (mLibrary) FT_Done_FreeType(mLibrary);
  }
  FT_Library Get() const { return mLibrary; }
  // Creating and freeing faces touches the library's shared state.
  std::mutex& Mutex() { return mMutex; }

 private:
  FT_Library mLibrary = nullptr;
  std::mutex mMutex;
};

namespace {

constexpr int kMinSize = 2, kMaxSize = 8192, kDefaultSize = 10;

std::shared_ptr<OSG_FreeType> SharedFreeType() {
  static std::mutex creation;
  static std::shared_ptr<OSG_FreeType> library;
  std::lock_guard<std::mutex> lock(creation);
  if (!library) library = std::make_shared<OSG_FreeType>();
  return library->Get() ? library : nullptr;
}

int Trunc26_6(FT_Pos v) { return static_cast<int>(v / 64); }

bool OpenFace(OSG_Font* font, const OSG_FontFile& file) {
  std::lock_guard<std::mutex> lock(font->library->Mutex());
  if (FT_New_Face(font->library->Get(), file.path.c_str(), file.index, &font->face)) {
    font->face = nullptr;
    return false;
  }
  if (FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(font->size))) {
    FT_Done_Face(font->face);
    font->face = nullptr;
    return false;
  }
  return true;
}

}  // namespace

OSG_Font::~OSG_Font() {
  if (!face) return;
  std::lock_guard<std::mutex> lock(library->Mutex());
  FT_Done_Face(face);
}

bool OSG_Font::RenderGlyph(unsigned int code) {
  FT_UInt index = FT_Get_Char_Index(face, code);
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT)) return false;
  FT_Render_Mode mode = quality == NONANTIALIASED_QUALITY ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
  return FT_Render_Glyph(face->glyph, mode) == 0;
}

int OSG_Font::Advance(unsigned int code) {
  auto found = advances.find(code);
  if (found != advances.end()) return found->second;
  int advance = 0;
  if (!FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT))
    advance = static_cast<int>((face->glyph->advance.x + 32) / 64);
  // A text can name every character there is; the table stays small by starting again.
  if (advances.size() >= 4096) advances.clear();
  advances.emplace(code, advance);
  return advance;
}

HFONT CreateFont(int height, int width, int, int orientation, int weight, int italic, int, int, int, int, int,
                 int quality, int, const char* face) {
  long long size = height ? std::llabs(static_cast<long long>(height)) : std::llabs(static_cast<long long>(width));
  if (size < kMinSize || size > kMaxSize) size = kDefaultSize;
  std::string name = face ? std::string(face, strnlen(face, kOSGMaxFaceName)) : std::string();

  std::shared_ptr<OSG_FreeType> library = SharedFreeType();
  if (!library) return nullptr;
  OSG_Font* font = new (std::nothrow) OSG_Font;
  if (!font) return nullptr;
  font->library = library;
  font->size = static_cast<int>(size);
  font->angle = orientation;
  font->quality = quality == NONANTIALIASED_QUALITY || quality == ANTIALIASED_QUALITY ? quality : DEFAULT_QUALITY;
  bool bold = weight >= FW_BOLD, slanted = italic != 0;
  if (!OpenFace(font, OSG_FindFontFile(name, bold, slanted)) && !OpenFace(font, OSG_FindFontFile("", bold, slanted))) {
    delete font;
    return nullptr;
  }
  const FT_Size_Metrics& m = font->face->size->metrics;
  font->ascent = Trunc26_6(m.ascender);
  font->descent = Trunc26_6(-m.descender);
  FT_Pos leading = m.height - m.ascender + m.descender;
  font->leading = leading > 0 ? Trunc26_6(leading) : 0;
  return font;
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj) {
  if (!ctx) return nullptr;
  OSG_Font* previous = ctx->font;
  if (!obj) {
    ctx->font = nullptr;
  } else if (OSG_Font* font = dynamic_cast<OSG_Font*>(obj)) {
    ctx->font = font;
  }
  return previous;
}

bool DeleteObject(HGDIOBJ obj) {
  if (!obj) return false;
  delete obj;
  return true;
}

COLORREF SetTextColor(HDC ctx, COLORREF colour) {
  if (!ctx) return 0;
  COLORREF previous = ctx->textColour;
  ctx->textColour = colour & 0xffffff;
  return previous;
}

COLORREF SetBkColor(HDC ctx, COLORREF colour) {
  if (!ctx) return 0;
  COLORREF previous = ctx->bkColour;
  ctx->bkColour = colour & 0xffffff;
  return previous;
}

int SetBkMode(HDC ctx, int mode) {
  if (!ctx) return 0;
  int previous = ctx->bkMode;
  ctx->bkMode = mode == OPAQUE ? OPAQUE : TRANSPARENT;
  return previous;
}

bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm) {
  if (!tm) return false;
  if (!ctx || !ctx->font) {
    *tm = TEXTMETRIC{16, 12, 4, 3, 10};
    return false;
  }
  const OSG_Font* font = ctx->font;
  int height = font->LinePitch();
  if (height) ++height;
  *tm = TEXTMETRIC{height, font->ascent, font->descent, font->leading, height * 2 / 3};
  return true;
}
