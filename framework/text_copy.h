#pragma once
// Copies into fixed-size name arrays; text that does not fit is cut, never written past the array.
#include <cstddef>
#include <cstring>

template <size_t N>
void CopyTextCut(char (&dest)[N], const char* src) {
  size_t n = src ? strnlen(src, N - 1) : 0;
  std::memcpy(dest, src ? src : "", n);
  dest[n] = 0;
}
