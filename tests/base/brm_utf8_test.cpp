#include <gtest/gtest.h>

#include <string>

#include "base/brm_utf8.h"

namespace {

TEST(UTF8, DecodesValidTextAndStepsOverEachBadByteWithAReplacement) {
  const struct {
    std::string text;
    unsigned int code;
    int length;
  } cases[] = {
      {"A", 'A', 1},
      {"\xC3\xA9", 0xE9, 2},
      {"\xE2\x82\xAC", 0x20AC, 3},
      {"\xF0\x9F\x98\x80", 0x1F600, 4},
      {"\xC0\xAF", kUTF8Replacement, 1},          // overlong
      {"\xED\xA0\x80", kUTF8Replacement, 1},      // surrogate
      {"\xF4\x90\x80\x80", kUTF8Replacement, 1},  // above U+10FFFF
      {"\xE2\x82", kUTF8Replacement, 1},          // cut short by the NUL
      {"\x80", kUTF8Replacement, 1},
      {"\xFF", kUTF8Replacement, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned int code;
    EXPECT_EQ(utf8char(c.text.c_str(), -1, &code), c.length);
    EXPECT_EQ(code, c.code);
  }
  unsigned int code;
  EXPECT_EQ(utf8char("\xE2\x82\xAC", 2, &code), 1);  // cut short by the length
  EXPECT_EQ(code, kUTF8Replacement);
  EXPECT_EQ(utf8char("x", 0, &code), 0);
}

TEST(UTF8, EncodingRoundTripsAndReplacesWhatCannotBeEncoded) {
  for (unsigned int code : {0x41u, 0xE9u, 0x20ACu, 0x1F600u, 0xD800u, 0x110000u}) {
    char out[4];
    int n = utf8encode(code, out);
    unsigned int back;
    EXPECT_EQ(utf8char(out, n, &back), n);
    EXPECT_EQ(back, code == 0xD800u || code == 0x110000u ? kUTF8Replacement : code);
  }
}

}  // namespace
