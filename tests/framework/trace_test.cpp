#include "framework/trace.h"

#include <gtest/gtest.h>

#include <string>

TEST(Timestamps, CompileStampsAndCurrentTimeShape) {
  BRM_String stamp;
  CompileTimestamp("Jan  5 2024", "17:05:33", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Jan 5 17:05]");
  CompileTimestamp("Jan 15 2024", "17:05:33", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Jan15 17:05]");
  EXPECT_STREQ(AppendTimestamp("Jan  5 2024", "17:05:33", "build"), "build [Jan 5 17:05]");

  std::string now = CurrentTime();
  ASSERT_EQ(now.size(), 20u) << now;
  EXPECT_EQ(now[8], ' ');
  EXPECT_EQ(now[11], ':');
  EXPECT_TRUE(now[15] == '+' || now[15] == '-');
}
