#pragma once
// Helpers shared by the platform tests.
#include <CoreFoundation/CoreFoundation.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace korv_platform_test {

// A fresh directory under /tmp, removed with its contents when the object goes away.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/korv_platform_XXXXXX";
    const char* made = mkdtemp(pattern);
    mPath = made ? made : "";
  }
  ~TempDir() {
    if (!mPath.empty()) std::system(("rm -rf '" + mPath + "'").c_str());
  }
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
};

inline void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

// UTF-8 text of a string object.
inline std::string Text(CFStringRef string) {
  char buffer[1024];
  return CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "<not text>";
}

// Takes ownership of a created string and gives its text.
inline std::string Consume(CFStringRef string) {
  std::string text = string ? Text(string) : "<null>";
  CFRelease(string);
  return text;
}

inline CFURLRef FileURL(const std::string& path) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                 static_cast<CFIndex>(path.size()), false);
}

}  // namespace korv_platform_test
