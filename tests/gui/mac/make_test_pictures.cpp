// Writes the Mac editor tests' pictures with the raster library's PNG writer:
// make_test_pictures OUTPUT_DIR (writes bg.png and knob.png there).
#include <cstdio>
#include <string>

#include "raster/rast_png.h"
#include "test_pictures.h"

using namespace mac_test;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  RAST_MemBitmap background(kEditorW, kEditorH);
  for (int y = 0; y < kEditorH; ++y)
    for (int x = 0; x < kEditorW; ++x) background.getBits()[y * background.getRowSpan() + x] = BackgroundPixel(x, y);
  RAST_MemBitmap knob(kKnobSide, kKnobSide * kKnobFrames);
  for (int frame = 1; frame <= kKnobFrames; ++frame)
    for (int y = 0; y < kKnobSide; ++y)
      for (int x = 0; x < kKnobSide; ++x)
        knob.getBits()[((frame - 1) * kKnobSide + y) * knob.getRowSpan() + x] = KnobFramePixel(frame);
  const RAST_PNGFormat rgb{RAST_PNG_RGB};
  if (!RAST_WritePNG((dir + "/bg.png").c_str(), &background, rgb) || !RAST_WritePNG((dir + "/knob.png").c_str(), &knob, rgb)) {
    std::fprintf(stderr, "cannot write the pictures into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
