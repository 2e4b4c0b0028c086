#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "base/heap_buf.h"
#include "support/alloc_counter.h"

// The allocation tests elsewhere rely on this counter seeing every kind of allocation.
TEST(AllocationCounter, SeesNewMallocAndMappings) {
  korv_test::AllocationScope scope;
  auto p = std::make_unique<int[]>(16);
  EXPECT_GE(scope.Count(), 1);
  if (korv_test::CountsMalloc()) {
    korv_test::AllocationScope cScope;
    void* volatile m = std::malloc(32);  // volatile: keeps the pair from being optimised away
    EXPECT_EQ(cScope.Count(), 1);
    std::free(m);
    // Large buffers are mapped and grown by remapping, not taken from malloc.
    korv_test::AllocationScope mapScope;
    BRM_HeapBuf big;
    big.Resize(BRM_HeapBuf::kMappedBytes);
    big.Resize(4 * BRM_HeapBuf::kMappedBytes);
    EXPECT_EQ(mapScope.Count(), 2);
  }
  korv_test::AllocationScope none;
  int local[4] = {1, 2, 3, 4};
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(local[3], 4);
}
