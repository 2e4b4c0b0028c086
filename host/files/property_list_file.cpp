#include "host/files/property_list_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace korval_host {

namespace {

std::string TooLarge(const std::string& howMuch) {
  return howMuch + "more than the " + std::to_string(kLargestPropertyListFile >> 20) + " MiB such a file can have";
}

// Reads to the end of the open file, at most one byte past the largest file taken. Empty on success,
// else why not; *tooLarge when the file holds more than that.
std::string ReadToEnd(int descriptor, std::vector<UInt8>* bytes, bool* tooLarge) {
  UInt8 chunk[65536];
  for (;;) {
    const ssize_t got = read(descriptor, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::strerror(errno);
    if (got == 0) return {};
    bytes->insert(bytes->end(), chunk, chunk + got);
    if (bytes->size() > kLargestPropertyListFile) {
      *tooLarge = true;
      return {};
    }
  }
}

// The whole file's bytes; empty on success, else why not, with *damaged set when the file is there but
// is no file of this kind.
std::string ReadWholeFile(const std::string& path, const std::string& kind, FileSource source,
                          std::vector<UInt8>* bytes, bool* damaged) {
  const auto notOfKind = [&](const std::string& why) {
    *damaged = true;
    return path + " is not " + kind + ": " + why;
  };
  struct stat info;
  const bool regularOnly = source == FileSource::kRegularFile;
  if (regularOnly && stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    return notOfKind("it is not a regular file");
  // A stream is waited for, as any reader of a pipe does; a regular file never makes anyone wait, and
  // without waiting a FIFO put in its place since the check above is refused below.
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0));
  if (descriptor < 0) return "cannot read " + path + ": " + std::strerror(errno);
  std::string error;
  bool tooLarge = false;
  if (fstat(descriptor, &info) != 0) {
    error = "cannot read " + path + ": " + std::strerror(errno);
  } else if (S_ISDIR(info.st_mode) || (regularOnly && !S_ISREG(info.st_mode))) {
    error = notOfKind(S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
  } else if (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > kLargestPropertyListFile) {
    error = notOfKind(TooLarge("it has " + std::to_string(info.st_size) + " bytes, "));
  } else {
    error = ReadToEnd(descriptor, bytes, &tooLarge);
    if (!error.empty()) error = "cannot read " + path + ": " + error;
    if (tooLarge) error = notOfKind(TooLarge("it holds "));
  }
  close(descriptor);
  return error;
}

}  // namespace

std::string ReadDictionaryFile(const std::string& path, const std::string& kind, FileSource source,
                               CFRef<CFPropertyListRef>* dictionary, bool* damaged) {
  bool unusable = false;
  if (!damaged) damaged = &unusable;
  *damaged = false;
  std::vector<UInt8> bytes;
  const std::string error = ReadWholeFile(path, kind, source, &bytes, damaged);
  if (!error.empty()) return error;
  CFRef<CFDataRef> xml(CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size())));
  if (!xml) return "cannot read " + path + ": out of memory";
  CFStringRef why = nullptr;
  CFRef<CFPropertyListRef> list(CFPropertyListCreateFromXMLData(nullptr, xml.Get(), kCFPropertyListImmutable, &why));
  CFRef<CFStringRef> reason(why);
  if (!list || CFGetTypeID(list.Get()) != CFDictionaryGetTypeID()) {
    *damaged = true;
    return path + " is not " + kind + ": " +
           (list ? "it holds no dictionary" : reason ? ToUtf8(reason.Get()) : "not a property list");
  }
  *dictionary = std::move(list);
  return {};
}

}  // namespace korval_host
