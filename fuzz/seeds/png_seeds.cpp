// PNG files of every colour type and depth the encoder writes, with and without transparency and
// interlacing, each loaded both into a new bitmap and into a given one.
#include <cstdlib>
#include <string>

#include "fuzz/seeds/seed_writer.h"
#include "raster/rast_png.h"

namespace {
// Alpha in bits 0-7, then red, green and blue.
const RAST_pixel kColours[] = {0x000000ff, 0xffffffff, 0x4080c0ff, 0x20406080};

struct Case {
  const char* name;
  RAST_PNGFormat format;
};

const Case kCases[] = {
    {"grey1", {RAST_PNG_GRAY, 1}},
    {"grey2", {RAST_PNG_GRAY, 2}},
    {"grey4", {RAST_PNG_GRAY, 4}},
    {"grey8-trns", {RAST_PNG_GRAY, 8, true, 0xffffffff}},
    {"grey16", {RAST_PNG_GRAY, 16}},
    {"rgb8-interlaced", {RAST_PNG_RGB, 8, false, 0, true}},
    {"rgb16-trns", {RAST_PNG_RGB, 16, true, 0x000000ff}},
    {"palette1", {RAST_PNG_PALETTE, 1}},
    {"palette2-trns", {RAST_PNG_PALETTE, 2, true}},
    {"palette8", {RAST_PNG_PALETTE, 8}},
    {"grey-alpha8", {RAST_PNG_GRAY_ALPHA, 8}},
    {"grey-alpha16", {RAST_PNG_GRAY_ALPHA, 16}},
    {"rgba8", {RAST_PNG_RGBA, 8}},
    {"rgba16-interlaced", {RAST_PNG_RGBA, 16, false, 0, true}},
};
}  // namespace

void WritePngSeeds(const SeedWriter& seeds) {
  for (const Case& c : kCases) {
    // Depths below 8 hold only black and white, which every such format can carry.
    const int nColours = c.format.bitDepth < 8 ? 2 : 4;
    RAST_MemBitmap bitmap(7, 5);
    for (int y = 0; y < bitmap.getHeight(); ++y)
      for (int x = 0; x < bitmap.getWidth(); ++x)
        bitmap.getBits()[y * bitmap.getRowSpan() + x] = kColours[(x + 2 * y) % nColours];
    BRM_HeapBuf encoded;
    if (!RAST_EncodePNG(&bitmap, c.format, &encoded)) std::abort();
    const auto* bytes = static_cast<const uint8_t*>(encoded.Get());
    const Bytes png(bytes, bytes + encoded.GetSize());
    seeds.Add("png", std::string(c.name) + "-new", 0, png);
    seeds.Add("png", std::string(c.name) + "-given", 1, png);
  }
}
