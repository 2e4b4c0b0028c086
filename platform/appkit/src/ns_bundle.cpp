#include <sys/stat.h>

#include <map>
#include <memory>

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/NSBundle.h>

namespace {

// Core Foundation strings made and released in one place.
struct CFStringHolder {
  explicit CFStringHolder(const NSString& text)
      : ref(CFStringCreateWithCString(nullptr, text.UTF8String(), kCFStringEncodingUTF8)) {}
  ~CFStringHolder() {
    if (ref) CFRelease(ref);
  }
  CFStringHolder(const CFStringHolder&) = delete;
  CFStringHolder& operator=(const CFStringHolder&) = delete;
  CFStringRef ref;
};

NSString StringFrom(CFStringRef text) {
  if (!text) return NSString();
  CFIndex capacity = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::string buffer(static_cast<size_t>(capacity), '\0');
  if (!CFStringGetCString(text, buffer.data(), capacity, kCFStringEncodingUTF8)) return NSString();
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return NSString(std::move(buffer));
}

NSString PathOfURL(CFURLRef url) {
  if (!url) return NSString();
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  NSString result = StringFrom(path);
  if (path) CFRelease(path);
  return result;
}

bool IsRegularFile(const NSString& path) {
  struct stat info;
  return !path.utf8().empty() && stat(path.UTF8String(), &info) == 0 && S_ISREG(info.st_mode);
}

// Bundles live as long as the process, one object per Core Foundation bundle.
NSBundle* Wrap(CFBundleRef bundle, NSBundle* (*make)(CFBundleRef)) {
  static std::map<CFBundleRef, std::unique_ptr<NSBundle, void (*)(NSBundle*)>> s_bundles;
  if (!bundle) return nullptr;
  auto at = s_bundles.find(bundle);
  if (at == s_bundles.end()) {
    at = s_bundles.emplace(bundle, std::unique_ptr<NSBundle, void (*)(NSBundle*)>(
                                       make(bundle), [](NSBundle* b) { b->release(); }))
             .first;
  }
  return at->second.get();
}

}  // namespace

NSBundle* NSBundle::bundleWithIdentifier(const NSString& identifier) {
  CFStringHolder name(identifier);
  if (!name.ref) return nullptr;
  return Wrap(CFBundleGetBundleWithIdentifier(name.ref), [](CFBundleRef b) { return new NSBundle(b); });
}

NSBundle* NSBundle::mainBundle() {
  return Wrap(CFBundleGetMainBundle(), [](CFBundleRef b) { return new NSBundle(b); });
}

NSString NSBundle::bundleIdentifier() const {
  return StringFrom(CFBundleGetIdentifier(static_cast<CFBundleRef>(const_cast<void*>(mBundle))));
}

NSString NSBundle::bundlePath() const {
  CFURLRef url = CFBundleCopyBundleURL(static_cast<CFBundleRef>(const_cast<void*>(mBundle)));
  NSString path = PathOfURL(url);
  if (url) CFRelease(url);
  return path;
}

NSString NSBundle::executablePath() const {
  NSString contents = bundlePath().stringByAppendingPathComponent("Contents");
  CFStringHolder plistPath(contents.stringByAppendingPathComponent("Info.plist"));
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, plistPath.ref, kCFURLPOSIXPathStyle, false);
  CFDataRef data = nullptr;
  SInt32 error = 0;
  NSString executable;
  if (url && CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, &error) && data) {
    CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, nullptr);
    if (plist && CFGetTypeID(plist) == CFDictionaryGetTypeID()) {
      CFStringHolder key("CFBundleExecutable");
      const void* value = CFDictionaryGetValue(static_cast<CFDictionaryRef>(plist), key.ref);
      if (value && CFGetTypeID(value) == CFStringGetTypeID()) executable = StringFrom(static_cast<CFStringRef>(value));
    }
    if (plist) CFRelease(plist);
  }
  if (data) CFRelease(data);
  if (url) CFRelease(url);
  // A name with a path in it would leave the bundle.
  if (executable.utf8().empty() || executable.containsString("/") || executable == "." || executable == "..")
    return NSString();
  NSString path = contents.stringByAppendingPathComponent("MacOS").stringByAppendingPathComponent(executable);
  return IsRegularFile(path) ? path : NSString();
}

NSString NSBundle::pathForResource(const NSString& name, const NSString& type) const {
  if (name.utf8().empty()) return NSString();
  CFStringHolder resource(name);
  CFStringHolder extension(type);
  CFURLRef url = CFBundleCopyResourceURL(static_cast<CFBundleRef>(const_cast<void*>(mBundle)), resource.ref,
                                         type.utf8().empty() ? nullptr : extension.ref, nullptr);
  NSString path = PathOfURL(url);
  if (url) CFRelease(url);
  return path;
}
