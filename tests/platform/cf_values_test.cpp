// Strings, formatting, numbers, data and URLs.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Text(CFStringRef string) {
  char buffer[1024];
  return CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "<not text>";
}

// Takes ownership of a created string and gives its text.
std::string Consume(CFStringRef string) {
  std::string text = string ? Text(string) : "<null>";
  CFRelease(string);
  return text;
}

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

TEST(CFURL, GivesItsPathOnlyIntoABufferLargeEnough) {
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/some dir/"), kCFURLPOSIXPathStyle, true);
  UInt8 path[64];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, path, sizeof path));
  EXPECT_STREQ(reinterpret_cast<char*>(path), "/tmp/some dir");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, path, 13));
  EXPECT_EQ(Text(CFURLGetString(url)), "file:///tmp/some dir/");
  EXPECT_EQ(Consume(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle)), "/tmp/some dir");
  CFRelease(url);

  // A relative path resolves against the working directory, however deep that lies.
  url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>("relative"), 8, false);
  std::vector<UInt8> resolved(PATH_MAX + 16);
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, resolved.data(), static_cast<CFIndex>(resolved.size())));
  EXPECT_EQ(reinterpret_cast<char*>(resolved.data()), std::filesystem::current_path().string() + "/relative");
  CFRelease(url);
  EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(nullptr, nullptr, 3, false), nullptr);
}

TEST(CFUserNotification, AnswersWithTheDefaultButton) {
  CFOptionFlags response = 99;
  EXPECT_EQ(CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr,
                                           CFSTR("Caption"), CFSTR("Text"), nullptr, CFSTR("Cancel"), nullptr,
                                           &response),
            0);
  EXPECT_EQ(response, kCFUserNotificationDefaultResponse);
  EXPECT_EQ(CFUserNotificationDisplayAlert(0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr),
            0);
}

}  // namespace
