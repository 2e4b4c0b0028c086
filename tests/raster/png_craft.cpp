#include "png_craft.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace png_craft {

namespace {
void PutU32(Bytes* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}
}  // namespace

Bytes Signature() { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}; }

void AppendChunk(Bytes* out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<uint32_t>(data.size()));
  size_t typeAt = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  uLong crc = crc32(0, out->data() + typeAt, static_cast<uInt>(4 + data.size()));
  PutU32(out, static_cast<uint32_t>(crc));
}

Bytes Ihdr(uint32_t width, uint32_t height, int bitDepth, int colorType, int interlace) {
  Bytes d;
  PutU32(&d, width);
  PutU32(&d, height);
  d.push_back(static_cast<uint8_t>(bitDepth));
  d.push_back(static_cast<uint8_t>(colorType));
  d.push_back(0);
  d.push_back(0);
  d.push_back(static_cast<uint8_t>(interlace));
  return d;
}

Bytes Compress(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

Bytes MakePng(uint32_t width, uint32_t height, int bitDepth, int colorType, const Bytes& raw, const Bytes& palette) {
  Bytes png = Signature();
  AppendChunk(&png, "IHDR", Ihdr(width, height, bitDepth, colorType));
  if (!palette.empty()) AppendChunk(&png, "PLTE", palette);
  AppendChunk(&png, "IDAT", Compress(raw));
  AppendChunk(&png, "IEND", {});
  return png;
}

long FindChunk(const Bytes& png, const char* type) {
  size_t at = 8;
  while (at + 8 <= png.size()) {
    uint32_t length = static_cast<uint32_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    if (std::memcmp(&png[at + 4], type, 4) == 0) return static_cast<long>(at);
    at += 12 + static_cast<size_t>(length);
  }
  return -1;
}

bool WriteFile(const std::string& path, const Bytes& data) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), fp) == data.size();
  return std::fclose(fp) == 0 && ok;
}

}  // namespace png_craft
