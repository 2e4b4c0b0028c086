#include "host/picture_file.h"

#include <cstdio>

#include "raster/rast_png.h"

namespace korval_host {

std::string WritePictureFile(const std::string& path, RAST_IBitmap* picture) {
  RAST_PNGFormat format;
  format.colorType = RAST_PNG_RGB;
  BRM_HeapBuf encoded;
  if (!RAST_EncodePNG(picture, format, &encoded)) return "the picture could not be encoded as PNG";
  const std::string partial = path + ".partial";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return "cannot write " + path;
  const bool written = std::fwrite(encoded.Get(), 1, encoded.GetSize(), file) == static_cast<size_t>(encoded.GetSize());
  if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    return "cannot write " + path;
  }
  return {};
}

}  // namespace korval_host
