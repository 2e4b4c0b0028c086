// Numbers of every type.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "platform_test_support.h"

using korv_platform_test::Consume;

namespace {

TEST(CFNumber, ConvertsBetweenTypesAndReportsLoss) {
  const double real = 3.75;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberFloat64Type, &real);
  SInt32 integer = 0;
  EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt32Type, &integer));
  EXPECT_EQ(integer, 3);
  Float32 single = 0;
  EXPECT_TRUE(CFNumberGetValue(number, kCFNumberFloat32Type, &single));
  EXPECT_EQ(single, 3.75f);
  EXPECT_TRUE(CFNumberIsFloatType(number));
  CFRelease(number);

  const SInt64 big = 1ll << 40;
  number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
  EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt32Type, &integer));
  EXPECT_EQ(integer, INT32_MAX);
  double widened = 0;
  EXPECT_TRUE(CFNumberGetValue(number, kCFNumberDoubleType, &widened));
  EXPECT_EQ(widened, 1099511627776.0);
  EXPECT_EQ(CFNumberGetType(number), kCFNumberSInt64Type);
  EXPECT_EQ(CFNumberGetByteSize(number), 8);
  CFRelease(number);

  const double huge = 1e300;
  number = CFNumberCreate(nullptr, kCFNumberDoubleType, &huge);
  SInt8 small = 0;
  EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt8Type, &small));
  EXPECT_EQ(small, 127);
  CFRelease(number);

  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);
  EXPECT_EQ(CFNumberCreate(nullptr, 0, &integer), nullptr);
}

TEST(CFNumber, EqualValuesAreEqualWhateverTheirType) {
  const int five = 5;
  const double fiveReal = 5.0, half = 5.5;
  CFNumberRef a = CFNumberCreate(nullptr, kCFNumberIntType, &five);
  CFNumberRef b = CFNumberCreate(nullptr, kCFNumberDoubleType, &fiveReal);
  CFNumberRef c = CFNumberCreate(nullptr, kCFNumberDoubleType, &half);
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFHash(a), CFHash(b));
  EXPECT_FALSE(CFEqual(a, c));
  EXPECT_EQ(Consume(CFCopyDescription(c)), "5.5");
  for (CFTypeRef n : {CFTypeRef(a), CFTypeRef(b), CFTypeRef(c)}) CFRelease(n);
}

}  // namespace
