#include <gtest/gtest.h>

#include "framework/codes_and_samples.h"

// Codes whose bytes go above 0x7F are where a signed char would spill into the bytes before it.
TEST(FourCC, PutsEachCharacterInItsOwnByte) {
  static_assert(FourCC("Kor1") == 0x4B6F7231, "usable where a constant is needed");
  const struct {
    const char (&code)[5];
    unsigned expected;
  } cases[] = {{"Kor1", 0x4B6F7231u}, {"\xE9t\xE9!", 0xE974E921u}, {"\x80\x80\x80\x80", 0x80808080u},
               {"\xFF\xFF\xFF\xFF", 0xFFFFFFFFu}, {"a\xFF" "b\xFF", 0x61FF62FFu}};
  for (const auto& c : cases) EXPECT_EQ(static_cast<unsigned>(FourCC(c.code)), c.expected) << std::hex << c.expected;
}
