#pragma once
// Base64 text with the standard alphabet and padding.

// Base64 characters needed for n bytes, terminator included.
constexpr long long Base64EncodedSize(long long nBytes) { return (nBytes + 2) / 3 * 4 + 1; }

// out must hold Base64EncodedSize(nBytes) characters; the text is NUL-terminated.
void base64encode(const unsigned char* in, char* out, int nBytes);
// Decodes until the terminator or the first character outside the alphabet ("=", white space),
// writing at most capacity bytes. Returns the number of bytes written.
int base64decode(const char* src, unsigned char* dest, int capacity);
