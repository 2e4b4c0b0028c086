#include "framework/byte_chunk.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ByteChunk, LayoutAndReadsThatFailAtMinusOne) {
  ByteChunk chunk;
  int i = -2;
  double d = 0.5;
  chunk.Put(&i);
  chunk.PutStr("abc");
  chunk.PutBool(true);
  EXPECT_EQ(chunk.Put(&d), 4 + 7 + 1 + 8);
  std::vector<unsigned char> expectedStart = {0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 'a', 'b', 'c', 1};
  EXPECT_EQ(std::vector<unsigned char>(chunk.GetBytes(), chunk.GetBytes() + 12), expectedStart);

  int i2 = 0;
  BRM_String s;
  bool b = false;
  double d2 = 0.0;
  int pos = chunk.Get(&i2, 0);
  pos = chunk.GetStr(&s, pos);
  pos = chunk.GetBool(&b, pos);
  pos = chunk.Get(&d2, pos);
  EXPECT_EQ(pos, chunk.Size());
  EXPECT_EQ(i2, -2);
  EXPECT_STREQ(s.Get(), "abc");
  EXPECT_TRUE(b);
  EXPECT_EQ(d2, 0.5);

  // Past the end, at -1, and everything after a failure fails too.
  EXPECT_EQ(chunk.Get(&d2, chunk.Size() - 7), -1);
  EXPECT_EQ(chunk.Get(&i2, -1), -1);
  EXPECT_EQ(chunk.GetBool(&b, chunk.Get(&d2, 1000)), -1);

  // A zero length leaves the string; a huge or negative one never reads past the end.
  ByteChunk strs;
  int zero = 0, huge = 0x7ffffff0, negative = -5;
  strs.Put(&zero);
  s.Set("kept");
  EXPECT_EQ(strs.GetStr(&s, 0), 4);
  EXPECT_STREQ(s.Get(), "kept");
  strs.Put(&huge);
  EXPECT_GT(strs.GetStr(&s, 4), strs.Size());
  EXPECT_STREQ(s.Get(), "kept");
  strs.Put(&negative);
  EXPECT_EQ(strs.GetStr(&s, 8), -1);

  EXPECT_EQ(chunk.Resize(30), 20);
  EXPECT_EQ(chunk.GetBytes()[29], 0);
  EXPECT_EQ(chunk.Resize(4), 30);
  EXPECT_EQ(chunk.Size(), 4);
}
