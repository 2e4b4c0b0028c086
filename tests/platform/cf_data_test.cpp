// Byte buffers.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

namespace {

TEST(CFData, CopiesBytesAndRefusesBadRanges) {
  UInt8 bytes[4] = {1, 2, 3, 4};
  CFDataRef data = CFDataCreate(nullptr, bytes, 4);
  bytes[0] = 9;
  EXPECT_EQ(CFDataGetLength(data), 4);
  EXPECT_EQ(CFDataGetBytePtr(data)[0], 1);
  UInt8 out[2] = {0, 0};
  CFDataGetBytes(data, CFRangeMake(2, 2), out);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[1], 4);
  CFDataGetBytes(data, CFRangeMake(3, 2), out);
  CFDataGetBytes(data, CFRangeMake(-1, 1), out);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 3), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, bytes, -1), nullptr);
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  EXPECT_EQ(CFDataGetLength(empty), 0);
  CFRelease(empty);
  CFRelease(data);
}

}  // namespace
