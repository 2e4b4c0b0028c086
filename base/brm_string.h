#pragma once
// Owned, growable, NUL-terminated 8-bit text.
#include <cstdarg>

#include "base/heap_buf.h"

class BRM_String {
 public:
  BRM_String() : mBuf(128) {}
  explicit BRM_String(const char* s, int maxLen = -1) : mBuf(128) { Set(s, maxLen); }
  BRM_String(const BRM_String& other) : mBuf(128) { Set(other.Get()); }
  BRM_String& operator=(const BRM_String& other) {
    if (this != &other) Set(other.Get());
    return *this;
  }

  // Never null: "" when empty.
  const char* Get() const;
  int GetLength() const;

  // maxLen < 0 takes the whole of s; a null s counts as "".
  void Set(const char* s, int maxLen = -1);
  void Append(const char* s, int maxLen = -1);
  void Insert(const char* s, int position, int maxLen = -1);
  void DeleteSub(int position, int count);
  // Cuts to newLength characters (no-op when already shorter).
  void SetLength(int newLength);

  void SetFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

  bool operator==(const char* s) const;

 private:
  void AppendFormattedV(int maxLen, const char* fmt, va_list args);
  char* Writable() const { return static_cast<char*>(mBuf.Get()); }

  BRM_HeapBuf mBuf;
};
