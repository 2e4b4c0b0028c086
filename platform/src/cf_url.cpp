#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

struct URLObject {
  ObjectHeader header;
  std::string path;
  bool isDirectory = false;
  CFStringRef string = nullptr;
};

void FinalizeURL(CFTypeRef cf) {
  CFRelease(static_cast<const URLObject*>(cf)->string);
  DestroyObject<URLObject>(cf);
}

Boolean EqualURLs(CFTypeRef a, CFTypeRef b) {
  return static_cast<const URLObject*>(a)->path == static_cast<const URLObject*>(b)->path;
}

CFHashCode HashURL(CFTypeRef cf) {
  const std::string& path = static_cast<const URLObject*>(cf)->path;
  return HashBytes(path.data(), path.size());
}

CFStringRef DescribeURL(CFTypeRef cf) { return CFStringRef(CFRetain(static_cast<const URLObject*>(cf)->string)); }

const ClassInfo kURLClass = {kURLTypeID, "CFURL", FinalizeURL, EqualURLs, HashURL, DescribeURL};

std::string AbsolutePath(std::string_view path) {
  if (!path.empty() && path[0] == '/') return std::string(path);
  char cwd[4096];
  std::string base = getcwd(cwd, sizeof cwd) ? cwd : "/";
  if (base.back() != '/') base += '/';
  return base + std::string(path);
}

// Keeps a directory's trailing slash, as the platform does in URL strings.
CFURLRef CreateURL(CFAllocatorRef allocator, std::string_view path, bool isDirectory) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return nullptr;
  std::string absolute = AbsolutePath(path);
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  const std::string urlText = "file://" + absolute + (isDirectory && absolute != "/" ? "/" : "");
  CFStringRef string = CreateStringFromUTF8(allocator, urlText);
  if (!string) return nullptr;
  auto* url = CreateObject<URLObject>(allocator, &kURLClass);
  if (!url) {
    CFRelease(string);
    return nullptr;
  }
  url->path = std::move(absolute);
  url->isDirectory = isDirectory;
  url->string = string;
  return reinterpret_cast<CFURLRef>(url);
}

const URLObject* AsURL(CFTypeRef cf) { return As<URLObject>(cf, kURLTypeID); }

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

CFTypeID CFURLGetTypeID(void) { return kURLTypeID; }

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
  if (!buffer || bufLen <= 0) return nullptr;
  return CreateURL(allocator, std::string_view(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen)),
                   isDirectory);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory) {
  if (pathStyle != kCFURLPOSIXPathStyle || CFGetTypeID(filePath) != CFStringGetTypeID()) return nullptr;
  return CreateURL(allocator, StringView(filePath), isDirectory);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  const URLObject* object = AsURL(url);
  if (!object || !buffer || maxBufLen <= 0) return false;
  if (object->path.size() + 1 > static_cast<size_t>(maxBufLen)) return false;
  std::memcpy(buffer, object->path.c_str(), object->path.size() + 1);
  return true;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
  const URLObject* object = AsURL(anURL);
  if (!object || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return CreateStringFromUTF8(nullptr, object->path);
}

CFStringRef CFURLGetString(CFURLRef anURL) {
  const URLObject* object = AsURL(anURL);
  return object ? object->string : nullptr;
}
