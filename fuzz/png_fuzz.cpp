// PNG images from memory, the way the editor's pictures are decoded. The first byte picks whether
// the loader makes its own bitmap or resizes one it is given; every pixel of a loaded image is read.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "raster/rast_png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool given = data[0] & 1;
  std::unique_ptr<RAST_MemBitmap> own(given ? new RAST_MemBitmap(3, 2) : nullptr);
  RAST_IBitmap* bitmap = RAST_LoadPNGFromMemory(data + 1, static_cast<int>(size - 1), own.get());
  std::unique_ptr<RAST_IBitmap> made(bitmap != own.get() ? bitmap : nullptr);
  if (!bitmap) return 0;
  if (bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) __builtin_trap();
  RAST_pixel sum = 0;
  for (int y = 0; y < bitmap->getHeight(); ++y) {
    const RAST_pixel* row = bitmap->getBits() + static_cast<ptrdiff_t>(y) * bitmap->getRowSpan();
    for (int x = 0; x < bitmap->getWidth(); ++x) sum += row[x];
  }
  // Keeps the reads, and so their checks, from being optimised away.
  static volatile RAST_pixel sink;
  sink = sum;
  return 0;
}
