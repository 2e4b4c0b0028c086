// Strings and the text formatted into them.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform_test_support.h"

using korv_platform_test::Consume;
using korv_platform_test::Text;

namespace {

TEST(CFString, CountsUTF16UnitsAndRefusesInvalidUTF8) {
  CFStringRef string = CFStringCreateWithCString(nullptr, "a\xC3\xA9\xF0\x9F\x8E\xB5", kCFStringEncodingUTF8);
  EXPECT_EQ(CFStringGetLength(string), 4);  // a, e-acute, and a surrogate pair
  EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8), 7);
  CFRelease(string);

  for (const char* invalid : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
    EXPECT_EQ(CFStringCreateWithCString(nullptr, invalid, kCFStringEncodingUTF8), nullptr) << invalid;
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "x", 0x1234), nullptr);
}

TEST(CFString, ConvertsBetweenEncodings) {
  CFStringRef latin = CFStringCreateWithCString(nullptr, "caf\xE9", kCFStringEncodingISOLatin1);
  EXPECT_EQ(Text(latin), "caf\xC3\xA9");
  char buffer[16];
  EXPECT_FALSE(CFStringGetCString(latin, buffer, sizeof buffer, kCFStringEncodingASCII));
  EXPECT_TRUE(CFStringGetCString(latin, buffer, sizeof buffer, kCFStringEncodingISOLatin1));
  EXPECT_STREQ(buffer, "caf\xE9");
  EXPECT_EQ(CFStringGetCStringPtr(latin, kCFStringEncodingASCII), nullptr);
  CFRelease(latin);
}

TEST(CFString, ShortBufferGetsAWholeCharacterPrefixAndFalse) {
  CFStringRef string = CFStringCreateWithCString(nullptr, "ab\xC3\xA9z", kCFStringEncodingUTF8);
  char buffer[4];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_FALSE(CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "ab");  // the two-byte character does not fit and is not split
  EXPECT_FALSE(CFStringGetCString(string, nullptr, 10, kCFStringEncodingUTF8));
  EXPECT_FALSE(CFStringGetCString(string, buffer, 0, kCFStringEncodingUTF8));
  CFRelease(string);
}

TEST(CFString, CopiesAreIndependentAndCompareByContent) {
  CFStringRef original = CFStringCreateWithCString(nullptr, "Preset", kCFStringEncodingUTF8);
  CFStringRef copy = CFStringCreateCopy(nullptr, original);
  EXPECT_TRUE(CFEqual(original, copy));
  EXPECT_EQ(CFHash(original), CFHash(copy));
  CFRelease(original);
  EXPECT_EQ(Text(copy), "Preset");
  EXPECT_EQ(CFStringCompare(copy, CFSTR("preset"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(copy, CFSTR("preset"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(copy, CFSTR("Preset2"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("b"), CFSTR("a"), 0), kCFCompareGreaterThan);
  CFRelease(copy);
  EXPECT_EQ(CFStringCreateCopy(nullptr, CFStringRef(nullptr)), nullptr);
}

TEST(CFString, NoCopyCreationFreesAHandedOverBufferButNotAKeptOne) {
  char* handedOver = static_cast<char*>(std::malloc(6));
  std::memcpy(handedOver, "hello", 6);
  EXPECT_EQ(Consume(CFStringCreateWithCStringNoCopy(nullptr, handedOver, kCFStringEncodingUTF8, kCFAllocatorMalloc)),
            "hello");
  char kept[] = "kept";
  EXPECT_EQ(Consume(CFStringCreateWithCStringNoCopy(nullptr, kept, kCFStringEncodingUTF8, kCFAllocatorNull)), "kept");
  EXPECT_STREQ(kept, "kept");
}

TEST(CFString, FormatsCConversionsAndObjectDescriptions) {
  CFStringRef name = CFSTR("Wet");
  const SInt32 value = -3;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  EXPECT_EQ(Consume(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                             2, name)),
            "AUPreset:\npreset number = 2\npreset name = Wet");
  EXPECT_EQ(Consume(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s|%@|%@|%5.2f|%x|%%|%lld|%-3d|%*d|%c"), "c",
                                             number, nullptr, 1.5, 255u, 1ll << 40, 7, 3, 4, 'z')),
            "c|-3|(null)| 1.50|ff|%|1099511627776|7  |  4|z");
  std::string longText(300, 'q');
  EXPECT_EQ(Consume(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%s>"), longText.c_str())),
            "<" + longText + ">");
  // %n never writes, an unknown conversion is kept as text and a trailing % is kept.
  int untouched = 5;
  EXPECT_EQ(Consume(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("a%nb%kc%"), &untouched)), "ab%kc%");
  EXPECT_EQ(untouched, 5);
  EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, CFStringRef(number)), nullptr);
  CFRelease(number);
}

}  // namespace
