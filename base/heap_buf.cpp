#include "base/heap_buf.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Under AddressSanitizer every block stays on the heap, where the sanitizer checks its bounds
// (clang tells of the sanitizer only through __has_feature).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORV_HEAP_BUF_UNDER_ASAN
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(KORV_HEAP_BUF_UNDER_ASAN)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif

bool IsMapped(size_t bytes) { return kMapLargeBlocks && bytes >= BRM_HeapBuf::kMappedBytes; }

size_t PageBytes(size_t bytes) {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

void* AllocateBlock(size_t bytes) {
  if (IsMapped(bytes)) {
    void* p = mmap(nullptr, PageBytes(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
  }
  const size_t align = BRM_HeapBuf::kAlignment;
  return std::aligned_alloc(align, (bytes + align - 1) / align * align);
}

void FreeBlock(void* block, size_t bytes) {
  if (!block) return;
  if (IsMapped(bytes)) munmap(block, PageBytes(bytes));
  else std::free(block);
}

// A block of newBytes (> 0) holding the first `keep` bytes of the old one, which is gone
// afterwards; null, with the old block kept, when there is no memory.
void* ReallocateBlock(void* block, size_t oldBytes, size_t newBytes, size_t keep) {
  if (block && IsMapped(oldBytes) && IsMapped(newBytes)) {
    if (PageBytes(oldBytes) == PageBytes(newBytes)) return block;
    // The pages move as they are, without a copy.
    void* p = mremap(block, PageBytes(oldBytes), PageBytes(newBytes), MREMAP_MAYMOVE);
    return p == MAP_FAILED ? nullptr : p;
  }
  void* p = AllocateBlock(newBytes);
  if (!p) return nullptr;
  if (block) std::memcpy(p, block, std::min({keep, oldBytes, newBytes}));
  FreeBlock(block, oldBytes);
  return p;
}

}  // namespace

BRM_HeapBuf::~BRM_HeapBuf() { FreeBlock(mBuf, static_cast<size_t>(mAllocated)); }

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
    p = ReallocateBlock(mBuf, static_cast<size_t>(mAllocated), static_cast<size_t>(bytes), static_cast<size_t>(mSize));
    if (!p) return false;
  } else {
    FreeBlock(mBuf, static_cast<size_t>(mAllocated));
  }
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
