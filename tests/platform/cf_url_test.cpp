// File URLs and their paths.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <vector>

#include "platform_test_support.h"

using korv_platform_test::Consume;
using korv_platform_test::Text;

namespace {

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

}  // namespace
