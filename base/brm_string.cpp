#include "base/brm_string.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int ClampedLength(const char* s, int maxLen) {
  if (!s) return 0;
  if (maxLen < 0) return static_cast<int>(std::strlen(s));
  const void* nul = std::memchr(s, 0, static_cast<size_t>(maxLen));
  return nul ? static_cast<int>(static_cast<const char*>(nul) - s) : maxLen;
}
}  // namespace

const char* BRM_String::Get() const { return mBuf.GetSize() ? Writable() : ""; }

int BRM_String::GetLength() const { return mBuf.GetSize() ? mBuf.GetSize() - 1 : 0; }

void BRM_String::Set(const char* s, int maxLen) {
  SetLength(0);
  Append(s, maxLen);
}

void BRM_String::Append(const char* s, int maxLen) { Insert(s, GetLength(), maxLen); }

void BRM_String::Insert(const char* s, int position, int maxLen) {
  int add = ClampedLength(s, maxLen);
  int len = GetLength();
  if (position < 0) position = 0;
  if (position > len) position = len;
  if (add == 0) return;
  // s may point into this string; copy it before the buffer moves.
  std::vector<char> copy(s, s + add);
  if (!mBuf.Resize(len + add + 1)) return;
  char* p = Writable();
  std::memmove(p + position + add, p + position, static_cast<size_t>(len - position));
  std::memcpy(p + position, copy.data(), static_cast<size_t>(add));
  p[len + add] = 0;
}

void BRM_String::DeleteSub(int position, int count) {
  int len = GetLength();
  if (position < 0 || position >= len || count <= 0) return;
  if (count > len - position) count = len - position;
  char* p = Writable();
  std::memmove(p + position, p + position + count, static_cast<size_t>(len - position - count + 1));
  mBuf.Resize(len - count + 1);
}

void BRM_String::SetLength(int newLength) {
  int len = GetLength();
  if (newLength < 0) newLength = 0;
  if (newLength >= len) return;
  if (newLength == 0) {
    mBuf.Resize(0);
    return;
  }
  Writable()[newLength] = 0;
  mBuf.Resize(newLength + 1);
}

void BRM_String::AppendFormattedV(int maxLen, const char* fmt, va_list args) {
  if (!fmt || maxLen == 0) return;
  va_list probe;
  va_copy(probe, args);
  int need = std::vsnprintf(nullptr, 0, fmt, probe);
  va_end(probe);
  if (need <= 0) return;
  if (maxLen > 0 && need > maxLen) need = maxLen;
  int len = GetLength();
  if (!mBuf.Resize(len + need + 1)) return;
  std::vsnprintf(Writable() + len, static_cast<size_t>(need) + 1, fmt, args);
}

void BRM_String::SetFormatted(int maxLen, const char* fmt, ...) {
  SetLength(0);
  va_list args;
  va_start(args, fmt);
  AppendFormattedV(maxLen, fmt, args);
  va_end(args);
}

void BRM_String::AppendFormatted(int maxLen, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  AppendFormattedV(maxLen, fmt, args);
  va_end(args);
}

bool BRM_String::operator==(const char* s) const { return std::strcmp(Get(), s ? s : "") == 0; }
