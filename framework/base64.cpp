#include "framework/base64.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

void base64encode(const unsigned char* in, char* out, int nBytes) {
  int i = 0;
  for (; i + 3 <= nBytes; i += 3) {
    unsigned v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
    *out++ = kAlphabet[(v >> 18) & 63];
    *out++ = kAlphabet[(v >> 12) & 63];
    *out++ = kAlphabet[(v >> 6) & 63];
    *out++ = kAlphabet[v & 63];
  }
  int rest = nBytes - i;
  if (rest > 0) {
    unsigned v = (in[i] << 16) | (rest == 2 ? in[i + 1] << 8 : 0);
    *out++ = kAlphabet[(v >> 18) & 63];
    *out++ = kAlphabet[(v >> 12) & 63];
    *out++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    *out++ = '=';
  }
  *out = 0;
}

int base64decode(const char* src, unsigned char* dest, int capacity) {
  int written = 0;
  unsigned accumulator = 0;
  int bits = 0;
  for (; *src && written < capacity; ++src) {
    int sextet = SextetOf(*src);
    if (sextet < 0) break;
    accumulator = (accumulator << 6) | static_cast<unsigned>(sextet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      dest[written++] = static_cast<unsigned char>(accumulator >> bits);
      accumulator &= (1u << bits) - 1;
    }
  }
  return written;
}
