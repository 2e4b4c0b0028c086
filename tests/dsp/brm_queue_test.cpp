#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dsp/brm_queue.h"

namespace {

std::vector<unsigned char> Pattern(int n, int seed) {
  std::vector<unsigned char> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 7 + seed);
  return v;
}

TEST(Queue, AddGetAdvanceCompact) {
  BRM_Queue q;
  EXPECT_EQ(q.Get(), nullptr);
  const char text[] = "abcdefgh";
  ASSERT_NE(q.Add(text, 8), nullptr);
  char* region = static_cast<char*>(q.Add(nullptr, 4));
  ASSERT_NE(region, nullptr);
  std::memcpy(region, "ijkl", 4);
  EXPECT_EQ(q.Available(), 12);
  EXPECT_EQ(std::memcmp(q.Get(), "abcdefghijkl", 12), 0);

  q.Advance(5);
  q.Compact();
  EXPECT_EQ(std::memcmp(q.Get(), "fghijkl", 7), 0) << "less than half consumed: nothing moves";
  q.Advance(2);
  q.Compact();
  EXPECT_EQ(q.Available(), 5);
  EXPECT_EQ(std::memcmp(q.Get(), "hijkl", 5), 0);

  q.Advance(-100);
  EXPECT_EQ(q.Available(), 5) << "the position never moves before the start";
  q.Advance(100);
  EXPECT_EQ(q.Available(), 0);
  EXPECT_EQ(q.Get(), nullptr);
  ASSERT_NE(q.Add("z", 1), nullptr);
  EXPECT_EQ(q.Available(), 1) << "a fully read queue starts over";
  EXPECT_EQ(*static_cast<char*>(q.Get()), 'z');
  EXPECT_EQ(q.Add("z", -1), nullptr);
  q.Clear();
  EXPECT_EQ(q.Available(), 0);
}

TEST(Queue, ForcedCompactMovesEvenASmallConsumedPrefix) {
  BRM_Queue q;
  q.Add("0123456789", 10);
  q.Advance(1);
  q.Compact(false, true);
  EXPECT_EQ(q.Available(), 9);
  EXPECT_EQ(std::memcmp(q.Get(), "123456789", 9), 0);
}

TEST(Queue, CompactWhenCheapMovesFewBytesOrMakesRoom) {
  const struct {
    int read;
    int append;
    bool moves;
  } cases[] = {{600, 100, false}, {900, 100, true}, {600, 1 << 20, true}};
  for (const auto& c : cases) {
    BRM_Queue q;
    ASSERT_TRUE(q.Reserve(4096));
    const std::vector<unsigned char> data = Pattern(1000, 3);
    const void* front = q.Add(data.data(), 1000);
    q.Advance(c.read);
    q.CompactWhenCheap(c.append);
    EXPECT_EQ(q.Get() == front, c.moves) << c.read << " read, " << c.append << " to append";
    ASSERT_EQ(q.Available(), 1000 - c.read);
    EXPECT_EQ(std::memcmp(q.Get(), data.data() + c.read, 1000 - c.read), 0);
  }
}

}  // namespace
