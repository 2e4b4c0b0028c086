// Large buffers made and freed over and over while the host keeps small records of its own, as a
// host that reloads units all day does: the process must not grow.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/heap_buf.h"
#include "support/resident_memory.h"

namespace {

constexpr long kMaxGrowth = 4 << 20;

// Filled, so that its pages count as resident.
void Fill(BRM_HeapBuf* buf, int bytes) {
  if (void* p = buf->Resize(bytes)) std::memset(p, 1, static_cast<size_t>(bytes));
}

// Exits with 0 when the process grew by less than kMaxGrowth.
[[noreturn]] void ChurnAndExit() {
  // Once the host has freed a large block of its own, the C library keeps blocks up to that size
  // on its heap instead of mapping them.
  void* volatile hostBlock = std::malloc(32 << 20);
  std::free(hostBlock);
  std::vector<std::unique_ptr<char[]>> hostRecords;
  const long before = korv_test::ResidentBytes();
  for (int round = 0; round < 300; ++round) {
    // A unit's buffers, grown in steps as they are filled, of sizes that change from unit to unit
    // as they would at another rate.
    std::vector<std::unique_ptr<BRM_HeapBuf>> unit;
    for (int b = 0; b < 6; ++b) {
      unit.push_back(std::make_unique<BRM_HeapBuf>());
      const int bytes = (96 << 10) * (b + 1) + (round % 5) * 8192;
      for (int step = 1; step <= 3; ++step) Fill(unit.back().get(), bytes * step / 3);
    }
    // What the host keeps meanwhile: a record of a few small pieces, as a saved state is.
    for (int piece = 0; piece < 8; ++piece) hostRecords.emplace_back(new char[64 + 16 * piece]);
  }
  const long growth = korv_test::ResidentBytes() - before;
  std::fprintf(stderr, "grew by %ld bytes\n", growth);
  std::_Exit(growth < kMaxGrowth ? 0 : 1);
}

TEST(HeapBuf, LargeBuffersFreedAmongTheHostsSmallAllocationsGiveTheirMemoryBack) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "resident memory means nothing under a sanitizer, whose allocator keeps freed blocks";
#endif
  // In a process of its own, whose heap no other test has shaped.
  EXPECT_EXIT(ChurnAndExit(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
