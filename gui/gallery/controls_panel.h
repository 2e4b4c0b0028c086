#pragma once
// A panel that shows the editor's text and shape primitives and its text controls at work: text
// in several sizes, alignments and styles, a caption of a parameter's value, a line knob, arcs,
// circles, round rects, filled shapes and bitmap mono text.
#include <string>

#include "raster/rast_bitmap.h"

inline constexpr int kControlsPanelWidth = 520;
inline constexpr int kControlsPanelHeight = 400;

// Draws the panel into out (resized to the panel's size); false with the reason in *error.
bool DrawControlsPanel(RAST_IBitmap* out, std::string* error);
