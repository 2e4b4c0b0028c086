// Draws the editor's pictures: korv_picturegen ROOT writes ROOT/resources/img/{bg,DI,EM,OUT}.png.
// Every knob frame carries the panel behind the knob, so the frames are opaque and join the
// background without a seam.
#include <cstdio>
#include <string>

#include "effect/korvaline_editor.h"
#include "effect/pictures/front_panel.h"
#include "effect/pictures/knob_painter.h"
#include "raster/rast_blit.h"
#include "raster/rast_png.h"

namespace {

// Frames are reduced with a border of this many pixels, so that their edge pixels average the
// same neighbourhood as the background's pixels at the same place.
constexpr int kBorder = 1;

bool WritePicture(const std::string& root, const char* name, RAST_IBitmap* bmp) {
  RAST_PNGFormat format;
  format.colorType = RAST_PNG_RGB;
  std::string path = root + "/" + name;
  if (RAST_WritePNG(path.c_str(), bmp, format)) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

bool DrawKnobStrip(RAST_IBitmap* panel, const KorvalineKnobLayout& knob, RAST_IBitmap* strip) {
  const int side = knob.frameSide, bordered = side + 2 * kBorder;
  strip->resize(side, side * kKorvalineKnobFrames);
  if (strip->getHeight() != side * kKorvalineKnobFrames || !strip->getBits()) return false;
  RAST_MemBitmap work(bordered * kSupersample, bordered * kSupersample);
  RAST_MemBitmap frame;
  const int left = (knob.x - kBorder) * kSupersample, top = (knob.y - kBorder) * kSupersample;
  const float centre = (kBorder + 0.5f * side) * kSupersample;
  for (int i = 0; i < kKorvalineKnobFrames; ++i) {
    RAST_Blit(&work, panel, 0, 0, left, top, work.getWidth(), work.getHeight(), 1.0f, RAST_MODE_COPY);
    PaintKnob(&work, centre, centre, static_cast<float>(side * kSupersample),
              static_cast<double>(i) / (kKorvalineKnobFrames - 1));
    ReduceSupersampled(&frame, bordered, bordered, &work, 0, 0);
    RAST_Blit(strip, &frame, 0, i * side, kBorder, kBorder, side, side, 1.0f, RAST_MODE_COPY);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_ROOT\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];

  RAST_MemBitmap panel;
  if (!PaintFrontPanel(&panel)) return 1;
  RAST_MemBitmap background;
  ReduceSupersampled(&background, kKorvalineEditorWidth, kKorvalineEditorHeight, &panel, 0, 0);
  if (!WritePicture(root, kKorvalineBackgroundPicture, &background)) return 1;

  for (const KorvalineKnobLayout& knob : kKorvalineKnobs) {
    RAST_MemBitmap strip;
    if (!DrawKnobStrip(&panel, knob, &strip) || !WritePicture(root, knob.picture, &strip)) return 1;
  }
  return 0;
}
