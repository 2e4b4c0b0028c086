#pragma once
// Decoding UTF-8 text that comes from hosts and users, where any byte sequence is possible.

// The replacement character that stands for a sequence that is not valid UTF-8.
inline constexpr unsigned int kUTF8Replacement = 0xFFFD;

// Decodes the character at str (at most avail bytes; avail < 0 means the text is NUL-terminated)
// into *code and returns the bytes it takes (at least 1 when avail != 0; 0 at the end of the
// text). Invalid, overlong, surrogate, truncated and out-of-range sequences give
// kUTF8Replacement and take one byte, so decoding always moves on.
int utf8char(const char* str, int avail, unsigned int* code);

// Writes code as UTF-8 into out (at least 4 bytes) and returns the length; codes that cannot be
// encoded write the replacement character.
int utf8encode(unsigned int code, char* out);
