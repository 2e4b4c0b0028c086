#pragma once
// Hand-built PNG files for the decoder tests: chunks with real CRCs and zlib streams, so that
// each file is broken exactly where a test means it to be.
#include <cstdint>
#include <string>
#include <vector>

namespace png_craft {

typedef std::vector<uint8_t> Bytes;

Bytes Signature();
void AppendChunk(Bytes* out, const char* type, const Bytes& data);
Bytes Ihdr(uint32_t width, uint32_t height, int bitDepth, int colorType, int interlace = 0);
// zlib stream of the raw scanlines (each row starts with its filter byte).
Bytes Compress(const Bytes& raw);
// Signature, IHDR, PLTE when palette is not empty, one IDAT of raw, IEND.
Bytes MakePng(uint32_t width, uint32_t height, int bitDepth, int colorType, const Bytes& raw, const Bytes& palette = {});
// Offset of the first chunk of that type (its length field), or -1.
long FindChunk(const Bytes& png, const char* type);

bool WriteFile(const std::string& path, const Bytes& data);

}  // namespace png_craft
