#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dsp/fast_queue.h"
#include "support/alloc_counter.h"

namespace {

std::vector<unsigned char> Pattern(int n, int seed) {
  std::vector<unsigned char> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 7 + seed);
  return v;
}

std::vector<unsigned char> ReadAll(const BRM_FastQueue& q) {
  std::vector<unsigned char> v(q.Available());
  EXPECT_EQ(q.GetToBuf(0, v.data(), static_cast<int>(v.size())), q.Available());
  return v;
}

TEST(FastQueue, DataStaysContiguousAcrossBlocks) {
  BRM_FastQueue q(100, -1);
  const auto a = Pattern(60, 1), b = Pattern(60, 2), big = Pattern(250, 3);
  unsigned char* pa = static_cast<unsigned char*>(q.Add(a.data(), 60));
  unsigned char* pb = static_cast<unsigned char*>(q.Add(b.data(), 60));
  unsigned char* pbig = static_cast<unsigned char*>(q.Add(big.data(), 250));
  ASSERT_TRUE(pa && pb && pbig);
  EXPECT_EQ(std::memcmp(pb, b.data(), 60), 0) << "a run that does not fit starts a new block";
  EXPECT_EQ(std::memcmp(pbig, big.data(), 250), 0) << "an oversized run gets a block of its own";
  EXPECT_EQ(q.Available(), 370);

  void* run = nullptr;
  EXPECT_EQ(q.GetPtr(10, &run), 50);
  EXPECT_EQ(run, pa + 10);
  EXPECT_EQ(q.GetPtr(370, &run), 0);
  EXPECT_EQ(run, nullptr);
  EXPECT_EQ(q.GetPtr(-1, &run), 0);

  std::vector<unsigned char> want(a);
  want.insert(want.end(), b.begin(), b.end());
  want.insert(want.end(), big.begin(), big.end());
  EXPECT_EQ(ReadAll(q), want);
  std::vector<unsigned char> middle(100);
  EXPECT_EQ(q.GetToBuf(50, middle.data(), 100), 100);
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), want.begin() + 50));
  EXPECT_EQ(q.GetToBuf(300, middle.data(), 100), 70);

  q.Advance(70);
  EXPECT_EQ(q.Available(), 300);
  EXPECT_EQ(ReadAll(q), std::vector<unsigned char>(want.begin() + 70, want.end()));
  q.Advance(-5);
  EXPECT_EQ(q.Available(), 300);
  q.Advance(1000);
  EXPECT_EQ(q.Available(), 0);
  EXPECT_EQ(q.GetPtr(0, &run), 0);
}

TEST(FastQueue, NullDataAppendsZerosAndEmptyAddsNothing) {
  BRM_FastQueue q(64, 0);
  EXPECT_EQ(q.Add(nullptr, 0), nullptr);
  EXPECT_EQ(q.Add("x", -3), nullptr);
  q.Add("abc", 3);
  q.Add(nullptr, 5);
  EXPECT_EQ(ReadAll(q), std::vector<unsigned char>({'a', 'b', 'c', 0, 0, 0, 0, 0}));
  q.Clear();
  EXPECT_EQ(q.Available(), 0);
  q.Add("d", 1);
  EXPECT_EQ(ReadAll(q), std::vector<unsigned char>({'d'}));
}

// Emptied blocks come back through the cache, so a steady stream stops allocating.
TEST(FastQueue, SteadyStreamReusesCachedBlocks) {
  BRM_FastQueue q(1024, -1);
  const auto chunk = Pattern(200, 4);
  std::vector<unsigned char> first(200);
  auto cycle = [&] {
    for (int i = 0; i < 20; ++i) q.Add(chunk.data(), 200);
    q.GetToBuf(0, first.data(), 200);
    EXPECT_EQ(first, chunk);
    q.Advance(4000);
  };
  cycle();
  korv_test::AllocationScope scope;
  for (int i = 0; i < 50; ++i) cycle();
  EXPECT_EQ(scope.Count(), 0);
}

TEST(FastQueue, ReservedBlocksServeLaterAppends) {
  BRM_FastQueue q(512, -1);
  ASSERT_TRUE(q.ReserveBlocks(4, 1000));
  const auto data = Pattern(1000, 5);
  korv_test::AllocationScope scope;
  for (int i = 0; i < 4; ++i) q.Add(data.data(), 1000);
  EXPECT_EQ(scope.Count(), 0);
  EXPECT_EQ(q.Available(), 4000);
}

TEST(FastQueue, CacheKeepsAtMostItsLimit) {
  if (!korv_test::CountsMalloc()) GTEST_SKIP() << "block allocations are only visible when malloc is counted";
  BRM_FastQueue q(32, 1);
  for (int i = 0; i < 5; ++i) q.Add(nullptr, 32);
  q.Advance(5 * 32);
  korv_test::AllocationScope scope;
  q.Add(nullptr, 32);
  EXPECT_EQ(scope.Count(), 0);
  q.Add(nullptr, 32);
  EXPECT_EQ(scope.Count(), 1);
}

}  // namespace
