#pragma once
// The pictures of the Mac editor tests: a background whose every pixel tells its position, and a
// knob strip whose every frame has its own flat colour.
#include "raster/rast_bitmap.h"

namespace mac_test {

constexpr int kEditorW = 203, kEditorH = 621;
constexpr int kKnobSide = 48, kKnobFrames = 101;

inline RAST_pixel BackgroundPixel(int x, int y) { return RAST_RGBA(x & 0xff, y & 0xff, (x + y) & 0x3f, 255); }
// Frames count from 1.
inline RAST_pixel KnobFramePixel(int frame) { return RAST_RGBA(2 * frame, 255 - 2 * frame, 200, 255); }

}  // namespace mac_test
