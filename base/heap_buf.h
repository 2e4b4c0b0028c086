#pragma once
// Owned, growable byte blocks. Growth leaves headroom so that repeated appends stay cheap;
// shrinking keeps the allocation unless asked, so a buffer sized once stays put on the audio path.
//
// Blocks of kMappedBytes or more are mapped page by page and unmapped when freed, so their memory
// goes back to the system at once. On the heap, a freed large block leaves a hole that the host's
// small allocations split up; the next unit's blocks then no longer fit, and a host that opens
// units and editors all day keeps growing.
#include <cstddef>
#include <cstring>

class BRM_HeapBuf {
 public:
  static const int kAlignment = 64;
  static const int kMappedBytes = 64 * 1024;

  explicit BRM_HeapBuf(int granularity = 4096) : mGranularity(granularity > 0 ? granularity : 1) {}
  ~BRM_HeapBuf();
  BRM_HeapBuf(const BRM_HeapBuf&) = delete;
  BRM_HeapBuf& operator=(const BRM_HeapBuf&) = delete;

  void* Get() const { return mSize ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAllocated; }
  int GetGranularity() const { return mGranularity; }

  // Sets the size to newSize bytes (negative is treated as 0), keeping the prefix. Returns the
  // block, or null when newSize is 0 or the allocation failed (the old contents are then kept).
  void* Resize(int newSize, bool shrink = false);
  // Ensures room for at least n bytes without changing the size; false if the allocation failed.
  bool Reserve(int n);
  void CopyFrom(const BRM_HeapBuf& other);

  // The allocation a growth to n bytes asks for, under the granularity rules.
  static long long GrowthAllocation(long long n, int granularity);

 private:
  bool Reallocate(long long bytes);

  void* mBuf = nullptr;
  int mSize = 0;
  int mAllocated = 0;
  int mGranularity;
};

template <class T>
class BRM_TypedBuf {
 public:
  explicit BRM_TypedBuf(int granularity = 4096) : mHeap(granularity) {}
  T* Get() const { return static_cast<T*>(mHeap.Get()); }
  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T)); }
  T* Resize(int n, bool shrink = false) {
    if (n < 0) n = 0;
    if (static_cast<long long>(n) * sizeof(T) > 0x7fffffffLL) return nullptr;
    return static_cast<T*>(mHeap.Resize(n * static_cast<int>(sizeof(T)), shrink));
  }
  bool Reserve(int n) { return n >= 0 && static_cast<long long>(n) * sizeof(T) <= 0x7fffffffLL && mHeap.Reserve(n * static_cast<int>(sizeof(T))); }
  void Zero() {
    if (Get()) std::memset(static_cast<void*>(Get()), 0, mHeap.GetSize());
  }
  void CopyFrom(const BRM_TypedBuf<T>& other) { mHeap.CopyFrom(other.mHeap); }

 private:
  BRM_HeapBuf mHeap;
};
