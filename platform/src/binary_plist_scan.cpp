#include "platform/src/binary_plist_scan.h"

#include <cstring>

namespace korv_cf {
namespace {

constexpr size_t kTrailerSize = 32;
// Bytes of string looked at per byte of the list before the list counts as hostile.
constexpr size_t kScanBudgetPerByte = 16;

uint64_t BigEndian(const uint8_t* p, size_t n) {
  uint64_t value = 0;
  for (size_t i = 0; i < n; ++i) value = value << 8 | p[i];
  return value;
}

// The string object at offset: its first character and its length in bytes. False when the object
// is not a string or runs past the object area.
bool StringAt(const uint8_t* bytes, size_t end, uint64_t offset, size_t* start, size_t* length, bool* wide) {
  if (offset >= end) return false;
  const uint8_t marker = bytes[offset];
  if ((marker & 0xF0) != 0x50 && (marker & 0xF0) != 0x60) return false;
  *wide = (marker & 0xF0) == 0x60;
  uint64_t count = marker & 0x0F;
  size_t pos = static_cast<size_t>(offset) + 1;
  if (count == 0x0F) {
    // The count follows as an integer object of 1, 2, 4 or 8 bytes.
    if (pos >= end || (bytes[pos] & 0xF0) != 0x10) return false;
    const size_t width = size_t{1} << (bytes[pos] & 0x0F);
    if (width > 8 || end - pos - 1 < width) return false;
    count = BigEndian(bytes + pos + 1, width);
    pos += 1 + width;
  }
  const uint64_t unit = *wide ? 2 : 1;
  if (count > (end - pos) / unit) return false;
  *start = pos;
  *length = static_cast<size_t>(count * unit);
  return true;
}

bool HoldsNul(const uint8_t* text, size_t length, bool wide) {
  if (!wide) return std::memchr(text, 0, length) != nullptr;
  for (size_t i = 0; i + 1 < length; i += 2)
    if (text[i] == 0 && text[i + 1] == 0) return true;
  return false;
}

}  // namespace

bool BinaryListStringsAreText(const uint8_t* bytes, size_t size) {
  if (size < 8 + kTrailerSize || std::memcmp(bytes, "bplist", 6) != 0) return true;
  const size_t end = size - kTrailerSize;
  const uint8_t* trailer = bytes + end;
  const size_t offsetWidth = trailer[6];
  const uint64_t objects = BigEndian(trailer + 8, 8);
  const uint64_t tableOffset = BigEndian(trailer + 24, 8);
  if (offsetWidth < 1 || offsetWidth > 8 || tableOffset > end || objects > (end - tableOffset) / offsetWidth)
    return true;
  const size_t budget = kScanBudgetPerByte * size;
  size_t scanned = 0;
  for (uint64_t i = 0; i < objects; ++i) {
    const uint64_t offset = BigEndian(bytes + tableOffset + i * offsetWidth, offsetWidth);
    size_t start = 0, length = 0;
    bool wide = false;
    if (!StringAt(bytes, end, offset, &start, &length, &wide)) continue;
    scanned += length;
    if (scanned > budget || HoldsNul(bytes + start, length, wide)) return false;
  }
  return true;
}

}  // namespace korv_cf
