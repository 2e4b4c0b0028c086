#include <CoreFoundation/CFURLAccess.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string PathOf(CFURLRef url) {
  UInt8 path[4096];
  if (!CFURLGetFileSystemRepresentation(url, true, path, sizeof path)) return {};
  return reinterpret_cast<const char*>(path);
}

void SetCode(SInt32* errorCode, SInt32 code) {
  if (errorCode) *errorCode = code;
}

bool WriteAll(int fd, const UInt8* bytes, size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url, CFDataRef* resourceData,
                                                 CFDictionaryRef* properties, CFArrayRef desiredProperties,
                                                 SInt32* errorCode) {
  if (resourceData) *resourceData = nullptr;
  const std::string path = PathOf(url);
  if (path.empty() || properties || desiredProperties) {
    SetCode(errorCode, kCFURLImproperArgumentsError);
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  struct stat info;
  if (!file || fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    if (file) std::fclose(file);
    SetCode(errorCode, kCFURLResourceNotFoundError);
    return false;
  }
  std::vector<UInt8> bytes;
  UInt8 chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  const bool readError = std::ferror(file) != 0;
  std::fclose(file);
  if (readError) {
    SetCode(errorCode, kCFURLUnknownError);
    return false;
  }
  if (resourceData) {
    *resourceData = CFDataCreate(alloc, bytes.data(), static_cast<CFIndex>(bytes.size()));
    if (!*resourceData) {
      SetCode(errorCode, kCFURLUnknownError);
      return false;
    }
  }
  SetCode(errorCode, 0);
  return true;
}

Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite, CFDictionaryRef propertiesToWrite,
                                              SInt32* errorCode) {
  const std::string path = PathOf(url);
  if (path.empty() || propertiesToWrite || CFGetTypeID(dataToWrite) != CFDataGetTypeID()) {
    SetCode(errorCode, kCFURLImproperArgumentsError);
    return false;
  }
  // Written beside the target and renamed over it, so a failure never leaves a partial file.
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    SetCode(errorCode, kCFURLUnknownError);
    return false;
  }
  const bool written =
      WriteAll(fd, CFDataGetBytePtr(dataToWrite), static_cast<size_t>(CFDataGetLength(dataToWrite))) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || fchmodat(AT_FDCWD, temporary.c_str(), 0644, 0) != 0 ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    SetCode(errorCode, kCFURLUnknownError);
    return false;
  }
  SetCode(errorCode, 0);
  return true;
}
