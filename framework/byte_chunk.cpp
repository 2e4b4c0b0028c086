#include "framework/byte_chunk.h"

#include <climits>
#include <cstring>

int ByteChunk::PutBytes(const void* pSrc, int nBytesToCopy) {
  int n = Size();
  if (nBytesToCopy <= 0) return nBytesToCopy == 0 ? n : -1;
  if (nBytesToCopy > INT_MAX - n || !mBytes.Resize(n + nBytesToCopy)) return -1;
  std::memcpy(mBytes.Get() + n, pSrc, static_cast<size_t>(nBytesToCopy));
  return Size();
}

int ByteChunk::PutStr(const char* str) {
  if (!str) str = "";
  size_t len = std::strlen(str);
  if (len > static_cast<size_t>(INT_MAX)) return -1;
  int slen = static_cast<int>(len);
  int start = Size();
  if (Put(&slen) < 0) return -1;
  if (PutBytes(str, slen) < 0) {
    Resize(start);
    return -1;
  }
  return Size();
}

int ByteChunk::PutBool(bool b) {
  unsigned char byte = b ? 1 : 0;
  return PutBytes(&byte, 1);
}

int ByteChunk::PutChunk(const ByteChunk* pRHS) { return PutBytes(pRHS->GetBytes(), pRHS->Size()); }

int ByteChunk::GetBytes(void* pBuf, int nBytesToCopy, int startPos) const {
  if (startPos < 0 || nBytesToCopy < 0) return -1;
  long long endPos = static_cast<long long>(startPos) + nBytesToCopy;
  if (endPos > Size()) return -1;
  if (nBytesToCopy) std::memcpy(pBuf, mBytes.Get() + startPos, static_cast<size_t>(nBytesToCopy));
  return static_cast<int>(endPos);
}

int ByteChunk::GetStr(BRM_String* pStr, int startPos) const {
  int len = 0;
  int strStartPos = Get(&len, startPos);
  if (strStartPos < 0 || len < 0) return -1;
  long long endPos = static_cast<long long>(strStartPos) + len;
  if (endPos > INT_MAX) return -1;
  if (endPos <= Size() && len > 0) pStr->Set(reinterpret_cast<const char*>(mBytes.Get() + strStartPos), len);
  return static_cast<int>(endPos);
}

int ByteChunk::GetBool(bool* pB, int startPos) const {
  unsigned char byte = 0;
  int endPos = GetBytes(&byte, 1, startPos);
  if (endPos >= 0) *pB = byte != 0;
  return endPos;
}

int ByteChunk::Resize(int newSize) {
  int oldSize = Size();
  if (newSize < 0) newSize = 0;
  if (newSize > oldSize) {
    if (!mBytes.Resize(newSize)) return oldSize;
    std::memset(mBytes.Get() + oldSize, 0, static_cast<size_t>(newSize - oldSize));
  } else {
    mBytes.Resize(newSize);
  }
  return oldSize;
}
