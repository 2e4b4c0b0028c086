#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/alloc_counter.h"

// The allocation tests elsewhere rely on this counter seeing every kind of allocation.
TEST(AllocationCounter, SeesNewAndMalloc) {
  korv_test::AllocationScope scope;
  auto p = std::make_unique<int[]>(16);
  EXPECT_GE(scope.Count(), 1);
  if (korv_test::CountsMalloc()) {
    korv_test::AllocationScope cScope;
    void* volatile m = std::malloc(32);  // volatile: keeps the pair from being optimised away
    EXPECT_EQ(cScope.Count(), 1);
    std::free(m);
  }
  korv_test::AllocationScope none;
  int local[4] = {1, 2, 3, 4};
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(local[3], 4);
}
