#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/brm_string.h"

TEST(String, EditingAndFormatting) {
  BRM_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set("hello world", 5);
  EXPECT_STREQ(s.Get(), "hello");
  s.Append(", there");
  s.Insert(">>", 0);
  EXPECT_STREQ(s.Get(), ">>hello, there");
  s.DeleteSub(0, 2);
  s.DeleteSub(5, 100);
  EXPECT_STREQ(s.Get(), "hello");
  s.AppendFormatted(64, " %d-%s", 42, "x");
  EXPECT_STREQ(s.Get(), "hello 42-x");
  s.SetFormatted(4, "%d", 1234567);
  EXPECT_STREQ(s.Get(), "1234");
  s.SetLength(2);
  EXPECT_TRUE(s == "12");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
}

TEST(String, AppendOfItselfAndLongText) {
  BRM_String s("ab");
  s.Append(s.Get());
  EXPECT_STREQ(s.Get(), "abab");
  std::string big(1000, 'q');
  s.Set(big.c_str());
  EXPECT_EQ(s.GetLength(), 1000);
  BRM_String copy(s);
  EXPECT_EQ(std::strcmp(copy.Get(), big.c_str()), 0);
}
