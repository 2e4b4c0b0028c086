#pragma once
// Pictures drawn by the host written out as PNG files.
#include <string>

#include "raster/rast_bitmap.h"

namespace korval_host {

// Writes the picture's colours (without alpha); an existing file is only replaced by a complete
// one. Empty on success, else why not.
std::string WritePictureFile(const std::string& path, RAST_IBitmap* picture);

}  // namespace korval_host
