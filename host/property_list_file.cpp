#include "host/property_list_file.h"

namespace korval_host {

CFRef<CFURLRef> FileURL(const std::string& path) {
  return CFRef<CFURLRef>(CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.data()), static_cast<CFIndex>(path.size()), false));
}

std::string ReadDictionaryFile(const std::string& path, const std::string& kind, CFRef<CFPropertyListRef>* dictionary) {
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
