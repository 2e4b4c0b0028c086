// Class-info dictionaries written to and read from .aupreset property-list files.
#include <AudioUnit/AudioUnit.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "platform_test_support.h"

using korv_platform_test::FileURL;
using korv_platform_test::TempDir;
using korv_platform_test::WriteFile;

namespace {

void PutNumber(CFMutableDictionaryRef dict, CFStringRef key, SInt32 value) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  CFDictionarySetValue(dict, key, number);
  CFRelease(number);
}

CFMutableDictionaryRef MakeClassInfo() {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  PutNumber(dict, CFSTR("version"), 65536);
  PutNumber(dict, CFSTR("type"), static_cast<SInt32>(kAudioUnitType_Effect));
  PutNumber(dict, CFSTR("subtype"), 0x4B6F7231);       // 'Kor1'
  PutNumber(dict, CFSTR("manufacturer"), 0x42726D6F);  // 'Brmo'
  CFDictionarySetValue(dict, CFSTR("name"), CFSTR(""));
  // Three doubles: 0.5, -12.25 and 0, with zero bytes that must survive.
  const double state[3] = {0.5, -12.25, 0.0};
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(state), sizeof state);
  CFDictionarySetValue(dict, CFSTR("data"), data);
  CFRelease(data);
  return dict;
}

bool WritePropertyList(const std::string& path, CFPropertyListRef plist) {
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, plist);
  if (!xml) return false;
  CFURLRef url = FileURL(path);
  SInt32 error = 1;
  const bool written = CFURLWriteDataAndPropertiesToResource(url, xml, nullptr, &error);
  EXPECT_EQ(error, written ? 0 : error);
  CFRelease(url);
  CFRelease(xml);
  return written;
}

// The file's property list, or null with the reason in errorText.
CFPropertyListRef ReadPropertyList(const std::string& path, std::string* errorText = nullptr) {
  CFURLRef url = FileURL(path);
  CFDataRef data = nullptr;
  SInt32 error = 0;
  const bool read = CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, &error);
  CFRelease(url);
  if (!read) return nullptr;
  CFStringRef reason = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &reason);
  CFRelease(data);
  if (reason) {
    char text[256];
    if (errorText && CFStringGetCString(reason, text, sizeof text, kCFStringEncodingUTF8)) *errorText = text;
    CFRelease(reason);
  }
  return plist;
}

TEST(AUPresetFile, ClassInfoSurvivesARoundTripThroughAFile) {
  TempDir dir;
  const std::string path = dir.Path() + "/state.aupreset";
  CFMutableDictionaryRef original = MakeClassInfo();
  ASSERT_TRUE(WritePropertyList(path, original));

  CFPropertyListRef restored = ReadPropertyList(path);
  ASSERT_EQ(CFGetTypeID(restored), CFDictionaryGetTypeID());
  EXPECT_TRUE(CFEqual(original, restored));

  CFDictionaryRef dict = CFDictionaryRef(restored);
  SInt32 subtype = 0;
  EXPECT_TRUE(CFNumberGetValue(CFNumberRef(CFDictionaryGetValue(dict, CFSTR("subtype"))), kCFNumberSInt32Type,
                               &subtype));
  EXPECT_EQ(subtype, 0x4B6F7231);
  CFDataRef data = CFDataRef(CFDictionaryGetValue(dict, CFSTR("data")));
  ASSERT_EQ(CFDataGetLength(data), 24);
  double state[3];
  CFDataGetBytes(data, CFRangeMake(0, 24), reinterpret_cast<UInt8*>(state));
  EXPECT_EQ(state[1], -12.25);
  // Read without mutable containers, the dictionary refuses changes.
  CFDictionaryRemoveValue(CFMutableDictionaryRef(dict), CFSTR("data"));
  EXPECT_EQ(CFDictionaryGetCount(dict), 6);

  CFRelease(restored);
  CFRelease(original);
}

TEST(AUPresetFile, NestedValuesNegativeNumbersAndMutableReadsRoundTrip) {
  CFMutableDictionaryRef dict = MakeClassInfo();
  PutNumber(dict, CFSTR("negative"), -5);
  const double real = 0.125;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberDoubleType, &real);
  CFTypeRef items[2] = {number, CFSTR("text <&> \xC3\xA9")};
  CFArrayRef array = CFArrayCreate(nullptr, items, 2, &kCFTypeArrayCallBacks);
  CFDictionarySetValue(dict, CFSTR("list"), array);

  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, dict);
  ASSERT_NE(xml, nullptr);
  CFPropertyListRef restored = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListMutableContainers, nullptr);
  EXPECT_TRUE(CFEqual(dict, restored));
  CFDictionarySetValue(CFMutableDictionaryRef(restored), CFSTR("added"), CFSTR("yes"));
  EXPECT_EQ(CFDictionaryGetCount(CFDictionaryRef(restored)), CFDictionaryGetCount(dict) + 1);

  for (CFTypeRef object : {CFTypeRef(restored), CFTypeRef(xml), CFTypeRef(array), CFTypeRef(number), CFTypeRef(dict)})
    CFRelease(object);
}

TEST(AUPresetFile, DamagedOrMissingFilesGiveNullAndAReason) {
  TempDir dir;
  std::string reason;
  EXPECT_EQ(ReadPropertyList(dir.Path() + "/missing.aupreset"), nullptr);

  const std::string notPlist = dir.Path() + "/text.aupreset";
  WriteFile(notPlist, "this is not a property list");
  EXPECT_EQ(ReadPropertyList(notPlist, &reason), nullptr);
  EXPECT_FALSE(reason.empty());

  const std::string truncated = dir.Path() + "/truncated.aupreset";
  WriteFile(truncated, "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>version</key><integer>1");
  EXPECT_EQ(ReadPropertyList(truncated), nullptr);

  const std::string unsupported = dir.Path() + "/bool.aupreset";
  WriteFile(unsupported, "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>on</key><true/></dict></plist>");
  reason.clear();
  EXPECT_EQ(ReadPropertyList(unsupported, &reason), nullptr);
  EXPECT_FALSE(reason.empty());

  const std::string empty = dir.Path() + "/empty.aupreset";
  WriteFile(empty, "");
  EXPECT_EQ(ReadPropertyList(empty), nullptr);

  EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, CFDataRef(CFSTR("x")), 0, nullptr), nullptr);

  CFURLRef directory = FileURL(dir.Path());
  CFDataRef data = nullptr;
  SInt32 error = 0;
  EXPECT_FALSE(CFURLCreateDataAndPropertiesFromResource(nullptr, directory, &data, nullptr, nullptr, &error));
  EXPECT_EQ(error, kCFURLResourceNotFoundError);
  EXPECT_EQ(data, nullptr);
  CFRelease(directory);
}

TEST(AUPresetFile, OnlyPropertyListKindsCanBeWritten) {
  const SInt32 one = 1;
  CFNumberRef numberKey = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dict, numberKey, CFSTR("value"));
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, dict), nullptr);

  CFURLRef url = FileURL("/tmp");
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, url), nullptr);
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, nullptr), nullptr);
  CFRelease(url);
  CFRelease(dict);
  CFRelease(numberKey);
}

TEST(AUPresetFile, AFailedWriteKeepsThePreviousFile) {
  TempDir dir;
  const std::string path = dir.Path() + "/keep.aupreset";
  CFMutableDictionaryRef first = MakeClassInfo();
  ASSERT_TRUE(WritePropertyList(path, first));

  EXPECT_FALSE(WritePropertyList(dir.Path() + "/no/such/dir.aupreset", first));
  CFURLRef url = FileURL(path);
  SInt32 error = 0;
  EXPECT_FALSE(CFURLWriteDataAndPropertiesToResource(url, CFDataRef(CFSTR("not data")), nullptr, &error));
  EXPECT_EQ(error, kCFURLImproperArgumentsError);
  CFRelease(url);

  CFPropertyListRef kept = ReadPropertyList(path);
  EXPECT_TRUE(CFEqual(kept, first));
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  CFRelease(kept);
  CFRelease(first);
}

// A binary list of the given objects, the first being the top one: header, objects, a table of
// one-byte offsets and the trailer (one-byte references).
std::string BinaryListOf(std::initializer_list<std::string> objects) {
  std::string list = "bplist00", table;
  for (const std::string& object : objects) {
    table += static_cast<char>(list.size());
    list += object;
  }
  const size_t tableOffset = list.size();
  list += table;
  std::string trailer(6, '\0');
  trailer += "\x01\x01";
  for (uint64_t value : {uint64_t{objects.size()}, uint64_t{0}, uint64_t{tableOffset}})
    for (int shift = 56; shift >= 0; shift -= 8) trailer += static_cast<char>((value >> shift) & 0xFF);
  return list + trailer;
}

// The list the bytes hold, or null with the reason in *reason (when given).
CFPropertyListRef ParseBytes(const std::string& bytes, std::string* reason = nullptr) {
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), static_cast<CFIndex>(bytes.size()));
  CFStringRef why = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &why);
  CFRelease(data);
  if (why && reason) {
    char text[256] = {};
    CFStringGetCString(why, text, sizeof text, kCFStringEncodingUTF8);
    *reason = text;
  }
  if (why) CFRelease(why);
  return plist;
}

// Strings that are not text (a NUL inside, bytes that are not UTF-8) are refused with a reason,
// from either form of the list; unpaired surrogates are dropped. None may stop the process.
TEST(PropertyListText, StringsThatAreNotTextAreRefused) {
  using namespace std::string_literals;
  const std::string refused[] = {
      BinaryListOf({"\x61\x00\x00"s}),          // U+0000
      BinaryListOf({"\x62\x00\x41\x00\x00"s}),  // "A" U+0000
      BinaryListOf({"\x51\xFF"s}),              // not UTF-8
      BinaryListOf({"\xD1\x01\x02"s, "\x52\x61\x00"s, "\x51\x78"s}),          // a key with a NUL
      BinaryListOf({"\xD1\x01\x02"s, "\x62\x00\x61\x00\x00"s, "\x51\x78"s}),  // the same in UTF-16
      "<plist version=\"1.0\"><string>a\xC3\x28</string></plist>",
      "<plist version=\"1.0\"><string>a&#0;b</string></plist>",
      "<plist version=\"1.0\"><dict><key>k</key><string>\xED\xA0\x80</string></dict></plist>",
  };
  EXPECT_EQ(44u, refused[0].size());
  for (const std::string& bytes : refused) {
    std::string reason;
    CFPropertyListRef plist = ParseBytes(bytes, &reason);
    EXPECT_EQ(nullptr, plist) << bytes;
    EXPECT_FALSE(reason.empty()) << bytes;
    if (plist) CFRelease(plist);
  }
  const std::pair<std::string, const char*> read[] = {
      {BinaryListOf({"\x62\x00\x41\x00\xE9"s}), "A\xC3\xA9"},
      {BinaryListOf({"\x62\xD8\x00\x00\x41"s}), "A"},
      {BinaryListOf({"\x61\xDC\x01"s}), ""},
  };
  for (const auto& [bytes, expected] : read) {
    CFPropertyListRef plist = ParseBytes(bytes);
    ASSERT_NE(nullptr, plist) << bytes;
    char text[8] = {};
    EXPECT_TRUE(CFStringGetCString(CFStringRef(plist), text, sizeof text, kCFStringEncodingUTF8));
    EXPECT_STREQ(expected, text);
    CFRelease(plist);
  }
  CFPropertyListRef dictionary = ParseBytes(BinaryListOf({"\xD1\x01\x02"s, "\x51\x6B"s, "\x51\x78"s}));
  ASSERT_NE(nullptr, dictionary);
  EXPECT_NE(nullptr, CFDictionaryGetValue(CFDictionaryRef(dictionary), CFSTR("k")));
  CFRelease(dictionary);
}

}  // namespace
