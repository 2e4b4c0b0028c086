#include "base/brm_utf8.h"

namespace {

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

int utf8char(const char* str, int avail, unsigned int* code) {
  *code = 0;
  if (!str || avail == 0) return 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(str);
  unsigned char c = s[0];
  if (c < 0x80) {
    *code = c;
    return 1;
  }
  int len;
  unsigned int value, minimum;
  if ((c & 0xE0) == 0xC0) {
    len = 2, value = c & 0x1F, minimum = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3, value = c & 0x0F, minimum = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4, value = c & 0x07, minimum = 0x10000;
  } else {
    *code = kUTF8Replacement;
    return 1;
  }
  // Each continuation byte is checked before the next is read, so a NUL ends the text safely.
  for (int i = 1; i < len; ++i) {
    if ((avail >= 0 && i >= avail) || !Continuation(s[i])) {
      *code = kUTF8Replacement;
      return 1;
    }
    value = (value << 6) | (s[i] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    *code = kUTF8Replacement;
    return 1;
  }
  *code = value;
  return len;
}

int utf8encode(unsigned int code, char* out) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = kUTF8Replacement;
  unsigned char* o = reinterpret_cast<unsigned char*>(out);
  if (code < 0x80) {
    o[0] = static_cast<unsigned char>(code);
    return 1;
  }
  if (code < 0x800) {
    o[0] = static_cast<unsigned char>(0xC0 | (code >> 6));
    o[1] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    o[0] = static_cast<unsigned char>(0xE0 | (code >> 12));
    o[1] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
    o[2] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 3;
  }
  o[0] = static_cast<unsigned char>(0xF0 | (code >> 18));
  o[1] = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
  o[2] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
  o[3] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  return 4;
}
