#pragma once
// The editor's front panel: brushed dark metal, the product and maker names, and a seat, track,
// scale and name for every knob of the layout.
#include "raster/rast_bitmap.h"

// Draws the panel at kSupersample times the editor's size into panel (resized); false (with a
// message on stderr) when the lettering's fonts cannot be found.
bool PaintFrontPanel(RAST_IBitmap* panel);
