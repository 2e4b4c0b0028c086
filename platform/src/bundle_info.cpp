#include "platform/src/bundle_info.h"

#include <AudioUnit/AUComponent.h>
#include <CoreFoundation/CoreFoundation.h>
#include <sys/stat.h>

#include "platform/src/cf_runtime.h"

namespace korv_cm {
namespace {

using korv_cf::ScopedRef;

CFTypeRef Lookup(CFDictionaryRef dict, const char* key, CFTypeID type) {
  ScopedRef keyString(CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8));
  CFTypeRef value = CFDictionaryGetValue(dict, keyString.get());
  return CFGetTypeID(value) == type ? value : nullptr;
}

bool ReadText(CFDictionaryRef dict, const char* key, std::string& text) {
  CFTypeRef value = Lookup(dict, key, CFStringGetTypeID());
  if (!value) return false;
  text = korv_cf::StringView(CFStringRef(value));
  return !text.empty();
}

bool ReadCode(CFDictionaryRef dict, const char* key, OSType& code) {
  std::string text;
  if (!ReadText(dict, key, text) || text.size() != 4) return false;
  code = 0;
  for (unsigned char c : text) code = (code << 8) | c;
  return true;
}

bool ReadComponent(CFTypeRef item, ComponentEntry& entry) {
  if (CFGetTypeID(item) != CFDictionaryGetTypeID()) return false;
  CFDictionaryRef dict = CFDictionaryRef(item);
  CFTypeRef version = Lookup(dict, "version", CFNumberGetTypeID());
  SInt64 versionValue = 0;
  if (!version || !CFNumberGetValue(CFNumberRef(version), kCFNumberSInt64Type, &versionValue) || versionValue < 0 ||
      versionValue > 0xFFFFFFFFll)
    return false;
  entry.version = static_cast<UInt32>(versionValue);
  return ReadCode(dict, "type", entry.description.componentType) &&
         ReadCode(dict, "subtype", entry.description.componentSubType) &&
         ReadCode(dict, "manufacturer", entry.description.componentManufacturer) &&
         ReadText(dict, "name", entry.name) && ReadText(dict, "factoryFunction", entry.entrySymbol);
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

}  // namespace

OSStatus ReadBundleInfo(const std::string& bundlePath, BundleInfo& info) {
  const std::string plistPath = bundlePath + "/Contents/Info.plist";
  ScopedRef url(CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(plistPath.data()),
                                                    static_cast<CFIndex>(plistPath.size()), false));
  CFDataRef rawData = nullptr;
  if (!url || !CFURLCreateDataAndPropertiesFromResource(nullptr, CFURLRef(url.get()), &rawData, nullptr, nullptr,
                                                        nullptr)) {
    // Something there that is no regular file (a FIFO, a folder) is a damaged bundle, not a missing one.
    struct stat info;
    if (stat(plistPath.c_str(), &info) == 0) return kAudioUnitErr_InvalidFile;
    return fnfErr;
  }
  ScopedRef data(rawData);
  ScopedRef plist(CFPropertyListCreateFromXMLData(nullptr, rawData, kCFPropertyListImmutable, nullptr));
  if (CFGetTypeID(plist.get()) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidFile;
  CFDictionaryRef root = CFDictionaryRef(plist.get());

  std::string executable;
  if (!ReadText(root, "CFBundleIdentifier", info.identifier) || !ReadText(root, "CFBundleExecutable", executable) ||
      !IsPlainFileName(executable))
    return kAudioUnitErr_InvalidFile;
  info.executablePath = bundlePath + "/Contents/MacOS/" + executable;

  CFArrayRef components = CFArrayRef(Lookup(root, "AudioComponents", CFArrayGetTypeID()));
  if (!components || CFArrayGetCount(components) == 0) return kAudioUnitErr_InvalidFile;
  for (CFIndex i = 0; i < CFArrayGetCount(components); ++i) {
    ComponentEntry entry;
    if (!ReadComponent(CFArrayGetValueAtIndex(components, i), entry)) return kAudioUnitErr_InvalidFile;
    info.components.push_back(entry);
  }
  return noErr;
}

}  // namespace korv_cm
