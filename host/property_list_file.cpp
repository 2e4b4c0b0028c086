#include "host/property_list_file.h"

#include <sys/stat.h>

namespace korval_host {

CFRef<CFURLRef> FileURL(const std::string& path) {
  return CFRef<CFURLRef>(CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), static_cast<CFIndex>(path.size()), false));
}

std::string ReadDictionaryFile(const std::string& path, const std::string& kind, CFRef<CFPropertyListRef>* dictionary) {
  // Read whole into memory, so a file of any size must not reach the reader.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && static_cast<uint64_t>(info.st_size) > kLargestPropertyListFile)
    return path + " is not " + kind + ": it has " + std::to_string(info.st_size) + " bytes, more than the " +
           std::to_string(kLargestPropertyListFile >> 20) + " MiB such a file can have";
  CFRef<CFURLRef> url = FileURL(path);
  CFDataRef contents = nullptr;
  SInt32 error = 0;
  if (!url || !CFURLCreateDataAndPropertiesFromResource(nullptr, url.Get(), &contents, nullptr, nullptr, &error))
    return "cannot read " + path + " (error " + std::to_string(error) + ")";
  CFRef<CFDataRef> xml(contents);
  CFStringRef why = nullptr;
  CFRef<CFPropertyListRef> list(CFPropertyListCreateFromXMLData(nullptr, xml.Get(), kCFPropertyListImmutable, &why));
  CFRef<CFStringRef> reason(why);
  if (!list) return path + " is not " + kind + ": " + (reason ? ToUtf8(reason.Get()) : "not a property list");
  if (CFGetTypeID(list.Get()) != CFDictionaryGetTypeID()) return path + " is not " + kind + ": it holds no dictionary";
  *dictionary = std::move(list);
  return {};
}

}  // namespace korval_host
