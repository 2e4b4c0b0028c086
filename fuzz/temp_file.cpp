#include "fuzz/temp_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/korv-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
      std::perror("korv fuzz: cannot make a temporary directory");
      std::abort();
    }
    mPath = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
  }
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
};
}  // namespace

std::string WriteTempFile(const char* name, const uint8_t* data, size_t size) {
  static TempDir dir;
  const std::string path = dir.Path() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}
