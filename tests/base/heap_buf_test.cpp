#include <gtest/gtest.h>

#include <cstring>

#include "base/heap_buf.h"

TEST(HeapBuf, GrowthFollowsGranularityAndKeepsPrefix) {
  BRM_HeapBuf small(16);
  auto* p = static_cast<unsigned char*>(small.Resize(10));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(small.GetAllocated(), 10 + 16);  // n/2 = 5 is below the granularity
  for (int i = 0; i < 10; ++i) p[i] = static_cast<unsigned char>(i);
  p = static_cast<unsigned char*>(small.Resize(100));
  EXPECT_EQ(small.GetAllocated(), 150);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(p[i], i);

  // A shrink without asking keeps the allocation; asking releases it.
  small.Resize(4);
  EXPECT_EQ(small.GetAllocated(), 150);
  small.Resize(4, true);
  EXPECT_EQ(small.GetAllocated(), 4);
  EXPECT_EQ(static_cast<unsigned char*>(small.Get())[3], 3);

  EXPECT_EQ(small.Resize(0), nullptr);
  EXPECT_EQ(small.Get(), nullptr);
  EXPECT_EQ(small.Resize(-5), nullptr);
  EXPECT_EQ(small.GetSize(), 0);

  // Into mapped sizes, between them, and back to the heap with a shrink.
  BRM_HeapBuf big;
  std::memset(big.Resize(1000), 7, 1000);
  const struct {
    int size;
    bool shrink;
  } kSteps[] = {{100000, false}, {300000, false}, {5000, true}};
  for (const auto& step : kSteps) {
    auto* q = static_cast<unsigned char*>(big.Resize(step.size, step.shrink));
    ASSERT_NE(q, nullptr) << step.size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(q) % BRM_HeapBuf::kAlignment, 0u) << step.size;
    EXPECT_EQ(q[0], 7) << step.size;
    EXPECT_EQ(q[999], 7) << step.size;
    q[step.size - 1] = 1;  // the whole of the new size is usable
  }
  EXPECT_EQ(big.GetAllocated(), 5000);
}

TEST(HeapBuf, LargeGranularityFillsWholePages) {
  for (long long n : {1LL, 5000LL, 100000LL}) {
    long long a = BRM_HeapBuf::GrowthAllocation(n, 8192);
    EXPECT_EQ((a + 96) % 4096, 0) << n;
    EXPECT_GE(a, n + std::max(n / 2, 8192LL)) << n;
  }
  BRM_HeapBuf big(8192);
  ASSERT_NE(big.Resize(1), nullptr);
  EXPECT_EQ(big.GetAllocated(), 12288 - 96);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(big.Get()) % BRM_HeapBuf::kAlignment, 0u);
}

TEST(HeapBuf, RefusesSizesBeyondIntRangeWithoutLosingContents) {
  BRM_TypedBuf<double> buf;
  double* d = buf.Resize(3);
  d[0] = 1.5;
  EXPECT_EQ(buf.Resize(0x7fffffff / 4), nullptr);
  EXPECT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf.Get()[0], 1.5);
}

TEST(TypedBuf, SizesInElements) {
  BRM_TypedBuf<int> buf(4);
  int* p = buf.Resize(7);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(buf.GetSize(), 7);
  buf.Zero();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(p[i], 0);
  BRM_TypedBuf<int> copy;
  p[6] = 42;
  copy.CopyFrom(buf);
  EXPECT_EQ(copy.GetSize(), 7);
  EXPECT_EQ(copy.Get()[6], 42);
}
