#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "raster/rast_png.h"
#include "raster/rast_surface.h"

namespace {

bool DepthAllowed(int colorType, int depth) {
  switch (colorType) {
    case RAST_PNG_GRAY: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case RAST_PNG_PALETTE: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case RAST_PNG_RGB:
    case RAST_PNG_GRAY_ALPHA:
    case RAST_PNG_RGBA: return depth == 8 || depth == 16;
    default: return false;
  }
}

struct Palette {
  RAST_pixel colours[256];
  int count = 0;

  int Find(RAST_pixel key) const {
    for (int i = 0; i < count; ++i) {
      if (colours[i] == key) return i;
    }
    return -1;
  }
};

struct Encoding {
  RAST_Surface image;
  RAST_PNGFormat format;
  Palette palette;

  // Palette entries ignore alpha unless it is written.
  RAST_pixel PaletteKey(RAST_pixel p) const { return format.transparency ? p : p | 0xff; }

  bool BuildPalette() {
    int limit = 1 << format.bitDepth;
    for (int y = 0; y < image.height; ++y) {
      const RAST_pixel* row = image.Row(y);
      for (int x = 0; x < image.width; ++x) {
        RAST_pixel key = PaletteKey(row[x]);
        if (palette.Find(key) >= 0) continue;
        if (palette.count == limit) return false;
        palette.colours[palette.count++] = key;
      }
    }
    return true;
  }

  // An 8-bit value at the image's depth (one byte per sample below 8 bits; libpng packs them).
  int Scaled(int v) const { return format.bitDepth < 8 ? v >> (8 - format.bitDepth) : format.bitDepth == 16 ? v * 257 : v; }

  unsigned char* PutSample(unsigned char* out, int v) const {
    if (format.bitDepth == 16) {
      *out++ = static_cast<unsigned char>(v);
      *out++ = static_cast<unsigned char>(v);
    } else {
      *out++ = static_cast<unsigned char>(Scaled(v));
    }
    return out;
  }

  void ConvertRow(int y, unsigned char* out) const {
    const RAST_pixel* row = image.Row(y);
    for (int x = 0; x < image.width; ++x) {
      RAST_pixel p = row[x];
      switch (format.colorType) {
        case RAST_PNG_PALETTE: *out++ = static_cast<unsigned char>(palette.Find(PaletteKey(p))); break;
        case RAST_PNG_GRAY: out = PutSample(out, RAST_GETR(p)); break;
        case RAST_PNG_GRAY_ALPHA:
          out = PutSample(out, RAST_GETR(p));
          out = PutSample(out, RAST_GETA(p));
          break;
        case RAST_PNG_RGB:
        case RAST_PNG_RGBA:
          out = PutSample(out, RAST_GETR(p));
          out = PutSample(out, RAST_GETG(p));
          out = PutSample(out, RAST_GETB(p));
          if (format.colorType == RAST_PNG_RGBA) out = PutSample(out, RAST_GETA(p));
          break;
      }
    }
  }

  void WriteHeader(png_structp png, png_infop info) const {
    const RAST_PNGFormat& f = format;
    png_set_IHDR(png, info, image.width, image.height, f.bitDepth, f.colorType,
                 f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (f.colorType == RAST_PNG_PALETTE) {
      png_color entries[256];
      png_byte alphas[256];
      for (int i = 0; i < palette.count; ++i) {
        RAST_pixel c = palette.colours[i];
        entries[i] = png_color{static_cast<png_byte>(RAST_GETR(c)), static_cast<png_byte>(RAST_GETG(c)),
                               static_cast<png_byte>(RAST_GETB(c))};
        alphas[i] = static_cast<png_byte>(RAST_GETA(c));
      }
      png_set_PLTE(png, info, entries, palette.count);
      if (f.transparency) png_set_tRNS(png, info, alphas, palette.count, nullptr);
    } else if (f.transparency && (f.colorType == RAST_PNG_GRAY || f.colorType == RAST_PNG_RGB)) {
      png_color_16 key{};
      key.gray = static_cast<png_uint_16>(Scaled(RAST_GETR(f.transparentColor)));
      key.red = static_cast<png_uint_16>(Scaled(RAST_GETR(f.transparentColor)));
      key.green = static_cast<png_uint_16>(Scaled(RAST_GETG(f.transparentColor)));
      key.blue = static_cast<png_uint_16>(Scaled(RAST_GETB(f.transparentColor)));
      png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    if (f.bitDepth < 8) png_set_packing(png);
  }
};

void AppendToBuffer(png_structp png, png_bytep data, size_t length) {
  BRM_HeapBuf* out = static_cast<BRM_HeapBuf*>(png_get_io_ptr(png));
  int size = out->GetSize();
  if (length > static_cast<size_t>(0x7fffffff - size)) png_error(png, "image too large");
  if (!out->Resize(size + static_cast<int>(length))) png_error(png, "out of memory");
  std::memcpy(static_cast<unsigned char*>(out->Get()) + size, data, length);
}

void FlushNothing(png_structp) {}

// Holds the error recovery point, so it keeps no objects that need destructors.
bool WriteImage(png_structp png, png_infop info, const Encoding& enc, BRM_HeapBuf* out) {
  unsigned char* volatile row = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    std::free(row);
    return false;
  }
  png_set_write_fn(png, out, AppendToBuffer, FlushNothing);
  enc.WriteHeader(png, info);
  row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(enc.image.width) * 8));
  if (!row) return false;
  int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < enc.image.height; ++y) {
      enc.ConvertRow(y, row);
      png_write_row(png, row);
    }
  }
  png_write_end(png, info);
  std::free(row);
  return true;
}

}  // namespace

bool RAST_EncodePNG(RAST_IBitmap* bmp, const RAST_PNGFormat& format, BRM_HeapBuf* out) {
  Encoding enc;
  enc.format = format;
  bool ok = out && RAST_GetSurface(bmp, &enc.image) && DepthAllowed(format.colorType, format.bitDepth) &&
            static_cast<unsigned>(enc.image.width) <= PNG_USER_WIDTH_MAX &&
            static_cast<unsigned>(enc.image.height) <= PNG_USER_HEIGHT_MAX &&
            (format.colorType != RAST_PNG_PALETTE || enc.BuildPalette());
  if (ok) {
    out->Resize(0);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    ok = info && WriteImage(png, info, enc, out);
    png_destroy_write_struct(&png, &info);
    if (!ok) out->Resize(0);
  }
  return ok;
}

bool RAST_WritePNG(const char* filename, RAST_IBitmap* bmp, const RAST_PNGFormat& format) {
  BRM_HeapBuf encoded(65536);
  if (!filename || !RAST_EncodePNG(bmp, format, &encoded)) return false;
  FILE* fp = std::fopen(filename, "wb");
  if (!fp) return false;
  bool ok = std::fwrite(encoded.Get(), 1, static_cast<size_t>(encoded.GetSize()), fp) == static_cast<size_t>(encoded.GetSize());
  ok = std::fclose(fp) == 0 && ok;
  if (!ok) std::remove(filename);
  return ok;
}
