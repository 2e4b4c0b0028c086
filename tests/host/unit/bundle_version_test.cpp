// The version a bundle's Info.plist lists for a component, and how it is shown.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "host/unit/bundle_version.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

TEST(BundleVersion, TheListedVersionIsTheOneOfTheComponentAsked) {
  const ComponentDescription effect{kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0};
  auto entry = [](const char* subtype, const std::string& version) {
    return std::string("<dict><key>type</key><string>aufx</string><key>subtype</key><string>") + subtype +
           "</string><key>manufacturer</key><string>Brmo</string><key>version</key>" + version + "</dict>";
  };
  auto plist = [](const std::string& components) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>AudioComponents</key><array>" + components +
           "</array></dict></plist>";
  };
  const struct {
    std::string contents;
    UInt32 version;
    const char* error;
  } cases[] = {
      {plist(entry("Kor0", "<integer>7</integer>") + entry("Kor1", "<integer>65794</integer>")), 0x10102, ""},
      {plist(entry("Kor1", "<string>1.0.0</string>")), 0, "lists no version for aufx:Kor1:Brmo"},
      {plist(entry("Kor1", "<integer>-1</integer>")), 0, "lists no version for aufx:Kor1:Brmo"},
      {plist(entry("Kor10", "<integer>1</integer>")), 0, "lists no component aufx:Kor1:Brmo"},
      {plist("<string>aufx</string>"), 0, "lists no component aufx:Kor1:Brmo"},
      {"<plist><array/></plist>", 0, "is not a bundle's Info.plist: it holds no dictionary"},
  };
  TempDir dir;
  mkdir(dir.Path("Contents").c_str(), 0700);
  for (const auto& c : cases) {
    WriteBytes(dir.Path("Contents/Info.plist"), c.contents);
    UInt32 version = 0;
    const std::string error = ReadListedVersion(dir.Path(""), effect, &version);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(error.empty(), *c.error == '\0') << error;
    EXPECT_EQ(version, c.version) << c.contents;
  }
  std::remove(dir.Path("Contents/Info.plist").c_str());
  rmdir(dir.Path("Contents").c_str());
  UInt32 version = 0;
  EXPECT_NE(ReadListedVersion(dir.Path("missing"), effect, &version).find("cannot read"), std::string::npos);
}

TEST(BundleVersion, ShownDottedAndInHex) {
  EXPECT_EQ(VersionText(0x00010000), "1.0.0 (0x00010000)");
  EXPECT_EQ(VersionText(0x0102030A), "258.3.10 (0x0102030A)");
}

}  // namespace
