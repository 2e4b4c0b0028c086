#include "host/files/picture_file.h"

#include "base/file_writer.h"
#include "raster/rast_png.h"

namespace korval_host {

std::string WritePictureFile(const std::string& path, RAST_IBitmap* picture) {
  RAST_PNGFormat format;
  format.colorType = RAST_PNG_RGB;
  BRM_HeapBuf encoded;
  if (!RAST_EncodePNG(picture, format, &encoded)) return "the picture could not be encoded as PNG";
  std::string reason;
  if (!BRM_WriteWholeFile(path, encoded.Get(), static_cast<size_t>(encoded.GetSize()), &reason))
    return "cannot write " + path + ": " + reason;
  return {};
}

}  // namespace korval_host
