#include "framework/fx_version.h"

#include <gtest/gtest.h>

TEST(Version, PartsDecimalAndText) {
  int major, minor, patch;
  GetVersionParts(0x0102030, &major, &minor, &patch);
  EXPECT_EQ(major, 0x10);
  EXPECT_EQ(minor, 0x20);
  EXPECT_EQ(patch, 0x30);
  EXPECT_EQ(GetDecimalVersion(0x10000), 10000);
  EXPECT_EQ(GetDecimalVersion(0x020103), 20103);
  char text[kVersionStrLen];
  GetVersionStr(0x10000, text);
  EXPECT_STREQ(text, "v1.0.0");
  GetVersionStr(-1, text);
  EXPECT_STREQ(text, "v65535.255.255");
}
