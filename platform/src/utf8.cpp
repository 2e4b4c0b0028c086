#include "platform/src/utf8.h"

#include <cstdint>

namespace korv_cf {
namespace {

// Decodes one character at text[pos]; its byte length, or 0 when the bytes there are not valid UTF-8.
size_t DecodeOne(std::string_view text, size_t pos, uint32_t& codePoint) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  size_t length;
  uint32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(i) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::optional<size_t> UTF16LengthOfUTF8(std::string_view text) {
  size_t units = 0;
  for (size_t pos = 0; pos < text.size();) {
    uint32_t codePoint;
    const size_t length = DecodeOne(text, pos, codePoint);
    if (length == 0) return std::nullopt;
    units += codePoint >= 0x10000 ? 2 : 1;
    pos += length;
  }
  return units;
}

size_t WholeCharacterPrefix(std::string_view text, size_t maxBytes) {
  size_t pos = 0;
  while (pos < text.size()) {
    uint32_t codePoint;
    const size_t length = DecodeOne(text, pos, codePoint);
    if (length == 0 || pos + length > maxBytes) break;
    pos += length;
  }
  return pos;
}

std::string Latin1ToUTF8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

std::optional<std::string> UTF8ToLatin1(std::string_view utf8) {
  std::string latin1;
  for (size_t pos = 0; pos < utf8.size();) {
    uint32_t codePoint;
    const size_t length = DecodeOne(utf8, pos, codePoint);
    if (length == 0 || codePoint > 0xFF) return std::nullopt;
    latin1 += static_cast<char>(codePoint);
    pos += length;
  }
  return latin1;
}

}  // namespace korv_cf
