#include "base/heap_buf.h"

#include <algorithm>
#include <cstdlib>

BRM_HeapBuf::~BRM_HeapBuf() { std::free(mBuf); }

long long BRM_HeapBuf::GrowthAllocation(long long n, int granularity) {
  long long want = n + std::max<long long>(n / 2, granularity);
  if (granularity > 4095) {
    // Large buffers fill whole pages together with the allocator's bookkeeping.
    const long long page = 4096, overhead = 96;
    want = (want + overhead + page - 1) / page * page - overhead;
  }
  return want;
}

bool BRM_HeapBuf::Reallocate(long long bytes) {
  if (bytes > 0x7fffffffLL) return false;
  void* p = nullptr;
  if (bytes > 0) {
    size_t rounded = static_cast<size_t>((bytes + kAlignment - 1) / kAlignment * kAlignment);
    p = std::aligned_alloc(kAlignment, rounded);
    if (!p) return false;
    if (mBuf) std::memcpy(p, mBuf, std::min<long long>(mSize, bytes));
  }
  std::free(mBuf);
  mBuf = p;
  mAllocated = static_cast<int>(bytes);
  return true;
}

bool BRM_HeapBuf::Reserve(int n) {
  if (n <= mAllocated) return true;
  return Reallocate(GrowthAllocation(n, mGranularity));
}

void* BRM_HeapBuf::Resize(int newSize, bool shrink) {
  if (newSize < 0) newSize = 0;
  if (newSize > mAllocated) {
    if (!Reallocate(GrowthAllocation(newSize, mGranularity))) return nullptr;
  } else if (shrink && newSize < mAllocated) {
    if (!Reallocate(newSize)) return nullptr;
  }
  mSize = newSize;
  return Get();
}

void BRM_HeapBuf::CopyFrom(const BRM_HeapBuf& other) {
  if (&other == this) return;
  if (Resize(other.mSize) && other.mSize) std::memcpy(mBuf, other.mBuf, other.mSize);
}
