#pragma once
// Owned, growable byte array that values are appended to and read back from by position, in the
// machine's own (little-endian) byte order, without padding. A failed read returns -1, and every
// read at position -1 fails too, so a run of reads is checked once at the end.
#include <type_traits>

#include "base/brm_string.h"
#include "base/heap_buf.h"

class ByteChunk {
 public:
  ByteChunk() : mBytes(256) {}
  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // The appends return the new size, or -1 when the chunk could not grow (nothing is appended).
  template <class T>
  int Put(const T* pVal) {
    static_assert(std::is_trivially_copyable_v<T>);
    return PutBytes(pVal, sizeof(T));
  }
  int PutBytes(const void* pSrc, int nBytesToCopy);
  // A 32-bit length, then the bytes without terminator.
  int PutStr(const char* str);
  int PutBool(bool b);
  int PutChunk(const ByteChunk* pRHS);

  // The reads return the position after the value, or -1.
  template <class T>
  int Get(T* pVal, int startPos) const {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(pVal, sizeof(T), startPos);
  }
  int GetBytes(void* pBuf, int nBytesToCopy, int startPos) const;
  // A zero length leaves *pStr unchanged. A length running past the end returns a position past
  // the end, at which the next read fails; a negative length fails at once.
  int GetStr(BRM_String* pStr, int startPos) const;
  int GetBool(bool* pB, int startPos) const;

  int Size() const { return mBytes.GetSize(); }
  unsigned char* GetBytes() const { return mBytes.Get(); }
  // Keeps the existing bytes, zero-fills new ones; returns the old size.
  int Resize(int newSize);
  void Clear() { mBytes.Resize(0); }

 private:
  BRM_TypedBuf<unsigned char> mBytes;
};
