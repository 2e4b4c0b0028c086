#include <CoreFoundation/CFURLAccess.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "base/file_writer.h"

namespace {

std::string PathOf(CFURLRef url) {
  UInt8 path[4096];
  if (!CFURLGetFileSystemRepresentation(url, true, path, sizeof path)) return {};
  return reinterpret_cast<const char*>(path);
}

void SetCode(SInt32* errorCode, SInt32 code) {
  if (errorCode) *errorCode = code;
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
  // A resource is a regular file. Opened without waiting, so that a FIFO is refused at once instead of
  // holding the caller until some writer comes.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info;
  FILE* file = nullptr;
  if (descriptor < 0 || fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
      !(file = fdopen(descriptor, "rb"))) {
    if (descriptor >= 0) close(descriptor);
    SetCode(errorCode, kCFURLResourceNotFoundError);
    return false;
  }
  std::vector<UInt8> bytes;
  UInt8 chunk[65536];
  size_t got;
  bool readError = false;
  try {
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    readError = std::ferror(file) != 0;
  } catch (const std::bad_alloc&) {
    readError = true;  // a file larger than the memory there is: the caller hears of it, nothing throws
  }
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
  // A failure never leaves a partial file, and a link, device or read-only file is not replaced.
  std::string reason;
  if (!BRM_WriteWholeFile(path, CFDataGetBytePtr(dataToWrite), static_cast<size_t>(CFDataGetLength(dataToWrite)),
                          &reason)) {
    SetCode(errorCode, kCFURLUnknownError);
    return false;
  }
  SetCode(errorCode, 0);
  return true;
}
