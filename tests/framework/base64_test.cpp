#include "framework/base64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

TEST(Base64, PaddingCapacityAndStopCharacters) {
  const unsigned char data[] = {0xFB, 0xFF, 0x01};
  const char* expected[] = {"+w==", "+/8=", "+/8B"};
  for (int n = 1; n <= 3; ++n) {
    char text[Base64EncodedSize(3)];
    base64encode(data, text, n);
    EXPECT_STREQ(text, expected[n - 1]);
    unsigned char decoded[3] = {};
    EXPECT_EQ(base64decode(text, decoded, 3), n);
    EXPECT_EQ(std::memcmp(decoded, data, n), 0);
  }
  unsigned char two[2] = {};
  EXPECT_EQ(base64decode("+/8B", two, 2), 2);
  EXPECT_EQ(base64decode("+/8 B", two, 2), 2);
  EXPECT_EQ(base64decode("", two, 2), 0);

  std::mt19937 rng(7);
  for (int n = 0; n < 200; n += 7) {
    std::vector<unsigned char> raw(n);
    for (auto& c : raw) c = static_cast<unsigned char>(rng());
    std::vector<char> text(static_cast<size_t>(Base64EncodedSize(n)));
    base64encode(raw.data(), text.data(), n);
    std::vector<unsigned char> back(n + 3);
    EXPECT_EQ(base64decode(text.data(), back.data(), n + 3), n);
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), back.begin()));
  }
}
