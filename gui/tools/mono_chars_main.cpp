// Draws the character picture of bitmap mono text: korv_monochars OUTPUT.png.
#include <cstdio>

#include "gui/mono_char_picture.h"
#include "raster/rast_png.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  RAST_MemBitmap picture;
  if (!MakeMonoCharPicture(&picture)) {
    std::fprintf(stderr, "no monospaced font to draw the characters with\n");
    return 1;
  }
  RAST_PNGFormat format;
  format.colorType = RAST_PNG_RGBA;
  if (!RAST_WritePNG(argv[1], &picture, format)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
