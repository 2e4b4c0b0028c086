#include <png.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "raster/rast_png.h"

RAST_ImageLoader* RAST_ImageLoader_list = nullptr;

namespace {

// The libpng version the loader is written against; any 1.6 library accepts it.
const char kPngVersion[] = "1.6.19";

struct MemoryReader {
  const unsigned char* next;
  size_t left;
};

// Past the end the reader gives zeros, which libpng rejects as a corrupt stream. A read that starts
// past the end fails at once: libpng would otherwise skip through all of a chunk's claimed length
// (up to 2 GB of zeros) before noticing.
void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
  MemoryReader* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (r->left == 0 && length > 0) png_error(png, "read past the end of the data");
  std::memset(out, 0, length);
  size_t n = length < r->left ? length : r->left;
  std::memcpy(out, r->next, n);
  r->next += n;
  r->left -= n;
}

// Every colour type and depth becomes 8-bit alpha, red, green, blue per pixel. Palette images
// arrive as one index byte per pixel instead and are expanded by ExpandPaletteRows, which can
// refuse indices the palette does not define (libpng would quietly show them as black).
void RequestPixelLayout(png_structp png, png_infop info, int colorType, int bitDepth) {
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    if (bitDepth < 8) png_set_packing(png);
    return;
  }
  bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    hasAlpha = true;
  }
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (hasAlpha) png_set_swap_alpha(png);
  else png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
}

// Turns each row's leading index bytes into pixels, from the right so that no index is
// overwritten before it is read. False when an index lies past the palette.
bool ExpandPaletteRows(png_structp png, png_infop info, png_bytep* rows, png_uint_32 width, png_uint_32 height) {
  png_colorp palette = nullptr;
  int entries = 0;
  png_get_PLTE(png, info, &palette, &entries);
  png_bytep alphas = nullptr;
  int numAlphas = 0;
  png_get_tRNS(png, info, &alphas, &numAlphas, nullptr);
  RAST_pixel table[256];
  for (int i = 0; i < entries && i < 256; ++i) {
    int a = alphas && i < numAlphas ? alphas[i] : 255;
    table[i] = RAST_RGBA(palette[i].red, palette[i].green, palette[i].blue, a);
  }
  for (png_uint_32 y = 0; y < height; ++y) {
    png_bytep row = rows[y];
    for (png_uint_32 x = width; x-- > 0;) {
      int index = row[x];
      if (index >= entries) return false;
      RAST_pixel p = table[index];
      std::memcpy(row + 4 * static_cast<size_t>(x), &p, sizeof p);
    }
  }
  return true;
}

// Reads the image whose source is already attached to png. Holds the error recovery point, so
// it keeps no objects that need destructors; what it made itself is freed when libpng fails.
RAST_IBitmap* ReadImage(png_structp png, png_infop info, RAST_IBitmap* given) {
  RAST_IBitmap* volatile created = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    delete created;
    std::free(rows);
    return nullptr;
  }
  png_set_user_limits(png, kRastMaxPNGSide, kRastMaxPNGSide);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  if (static_cast<unsigned long long>(width) * height > kRastMaxPNGPixels) return nullptr;
  RequestPixelLayout(png, info, colorType, bitDepth);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  bool palette = colorType == PNG_COLOR_TYPE_PALETTE;
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * (palette ? 1 : 4)) return nullptr;

  RAST_IBitmap* bmp = given;
  if (bmp) {
    bmp->resize(static_cast<int>(width), static_cast<int>(height));
  } else {
    bmp = new (std::nothrow) RAST_MemBitmap(static_cast<int>(width), static_cast<int>(height), 4);
    if (!bmp) return nullptr;
    created = bmp;
  }
  RAST_pixel* bits = bmp->getBits();
  int span = bmp->getRowSpan();
  if (!bits || bmp->getWidth() != static_cast<int>(width) || bmp->getHeight() != static_cast<int>(height) ||
      span < static_cast<int>(width)) {
    delete created;
    return nullptr;
  }
  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (!rows) {
    delete created;
    return nullptr;
  }
  bool flipped = bmp->isFlipped();
  for (png_uint_32 y = 0; y < height; ++y) {
    size_t row = flipped ? height - 1 - y : y;
    rows[y] = reinterpret_cast<png_bytep>(bits + row * static_cast<size_t>(span));
  }
  png_read_image(png, rows);
  bool expanded = !palette || ExpandPaletteRows(png, info, rows, width, height);
  std::free(rows);
  rows = nullptr;
  if (!expanded) {
    delete created;
    return nullptr;
  }
  return bmp;
}

png_structp CreateReader(png_infop* info) {
  png_structp png = png_create_read_struct(kPngVersion, nullptr, nullptr, nullptr);
  if (!png) return nullptr;
  *info = png_create_info_struct(png);
  if (!*info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  return png;
}

}  // namespace

RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp) {
  if (!filename) return nullptr;
  FILE* fp = std::fopen(filename, "rb");
  if (!fp) return nullptr;
  png_infop info = nullptr;
  png_structp png = CreateReader(&info);
  RAST_IBitmap* result = nullptr;
  if (png) {
    png_init_io(png, fp);
    result = ReadImage(png, info, bmp);
    png_destroy_read_struct(&png, &info, nullptr);
  }
  std::fclose(fp);
  return result;
}

RAST_IBitmap* RAST_LoadPNGFromMemory(const void* data, int length, RAST_IBitmap* bmp) {
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8)) return nullptr;
  png_infop info = nullptr;
  png_structp png = CreateReader(&info);
  if (!png) return nullptr;
  MemoryReader reader{static_cast<const unsigned char*>(data), static_cast<size_t>(length)};
  png_set_read_fn(png, &reader, ReadFromMemory);
  RAST_IBitmap* result = ReadImage(png, info, bmp);
  png_destroy_read_struct(&png, &info, nullptr);
  return result;
}

RAST_IBitmap* RAST_LoadPNGFromResource(int, RAST_IBitmap*) { return nullptr; }

RAST_PNGLoader::RAST_PNGLoader() : mRecord{loadfunc, get_extlist, RAST_ImageLoader_list} { RAST_ImageLoader_list = &mRecord; }

RAST_IBitmap* RAST_PNGLoader::loadfunc(const char* filename, bool checkFileName, RAST_IBitmap* bmp) {
  if (!filename) return nullptr;
  if (checkFileName) {
    const char* ext = nullptr;
    for (const char* p = filename; *p; ++p) {
      if (*p == '.') ext = p;
      else if (*p == '/' || *p == '\\') ext = nullptr;
    }
    if (!ext || std::strlen(ext) != 4) return nullptr;
    for (int i = 0; i < 4; ++i) {
      if (std::tolower(static_cast<unsigned char>(ext[i])) != ".png"[i]) return nullptr;
    }
  }
  return RAST_LoadPNG(filename, bmp);
}

const char* RAST_PNGLoader::get_extlist() { return "PNG files (*.PNG)\0*.PNG\0"; }

static RAST_PNGLoader RAST_pngldr;
