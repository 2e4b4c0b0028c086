// .aupreset files as the host writes and reads them.
#include <gtest/gtest.h>

#include <string>

#include "host/files/preset_file.h"
#include "host/unit/hosted_unit.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

TEST(PresetFile, OnlyPropertyListsHoldingADictionaryAreRead) {
  TempDir dir;
  CFRef<CFPropertyListRef> state;
  EXPECT_NE(ReadPresetFile(dir.Path("missing.aupreset"), &state).find("cannot read"), std::string::npos);
  WriteBytes(dir.Path("array.aupreset"),
             "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>");
  EXPECT_NE(ReadPresetFile(dir.Path("array.aupreset"), &state).find("holds no dictionary"), std::string::npos);
  WriteBytes(dir.Path("binary.aupreset"), std::string("\0\1\2\3", 4));
  EXPECT_NE(ReadPresetFile(dir.Path("binary.aupreset"), &state).find("not a preset file"), std::string::npos);
  EXPECT_FALSE(state);
}

TEST(PresetFile, WrittenDictionaryReadsBackAndDescribesItself) {
  TempDir dir;
  const SInt32 subtype = static_cast<SInt32>(MakeFourCharCode("Kor1"));
  CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &subtype));
  const UInt8 bytes[3] = {0xAB, 0x01, 0xFF};
  CFRef<CFDataRef> data(CFDataCreate(nullptr, bytes, sizeof bytes));
  CFRef<CFStringRef> name = MakeCFString("Warm room");
  CFRef<CFStringRef> subtypeKey = MakeCFString("subtype"), dataKey = MakeCFString("data"), nameKey = MakeCFString("name");
  const void* keys[] = {subtypeKey.Get(), dataKey.Get(), nameKey.Get()};
  const void* values[] = {number.Get(), data.Get(), name.Get()};
  CFRef<CFDictionaryRef> dictionary(CFDictionaryCreate(nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks));

  ASSERT_EQ(WritePresetFile(dir.Path("p.aupreset"), dictionary.Get()), "");
  CFRef<CFPropertyListRef> state;
  ASSERT_EQ(ReadPresetFile(dir.Path("p.aupreset"), &state), "");
  EXPECT_TRUE(CFEqual(state.Get(), dictionary.Get()));
  EXPECT_EQ(DescribePreset(state.Get()),
            "  data: 3 bytes ab01ff\n"
            "  name: \"Warm room\"\n"
            "  subtype: 'Kor1' (1265594929)\n");
  EXPECT_NE(WritePresetFile("/nonexistent-directory/p.aupreset", dictionary.Get()), "");
}

}  // namespace
