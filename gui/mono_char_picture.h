#pragma once
// The character picture bitmap mono text draws from: the printable ASCII characters, space to
// '~', one per frame, frames stacked top to bottom, white with the glyph coverage as alpha.
#include "raster/rast_bitmap.h"

inline constexpr int kMonoCharFrames = 95;
inline constexpr int kMonoCharWidth = 9;
inline constexpr int kMonoCharHeight = 16;
inline constexpr const char* kMonoCharPicture = "resources/img/monochars.png";

// Resizes out to charWidth by charHeight * kMonoCharFrames and draws the characters, each centred
// in its frame, in the monospaced face sized to fit; false when no font can be had.
bool MakeMonoCharPicture(RAST_IBitmap* out, int charWidth = kMonoCharWidth, int charHeight = kMonoCharHeight);
