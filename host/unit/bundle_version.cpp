#include "host/unit/bundle_version.h"

#include <AudioUnit/AudioUnitCarbonView.h>

#include <cstdio>

#include "host/files/property_list_file.h"

namespace korval_host {

namespace {

CFTypeRef Lookup(CFDictionaryRef dictionary, const char* key, CFTypeID type) {
  CFRef<CFStringRef> name = MakeCFString(key);
  CFTypeRef value = CFDictionaryGetValue(dictionary, name.Get());
  return value && CFGetTypeID(value) == type ? value : nullptr;
}

// False unless the entry's value is four characters.
bool ReadCode(CFDictionaryRef entry, const char* key, OSType* code) {
  const std::string text = ToUtf8(static_cast<CFStringRef>(Lookup(entry, key, CFStringGetTypeID())));
  OSType listed = 0;
  for (unsigned char c : text) listed = listed << 8 | c;
  *code = listed;
  return text.size() == 4;
}

bool HasCode(CFDictionaryRef entry, const char* key, OSType code) {
  OSType listed = 0;
  return ReadCode(entry, key, &listed) && listed == code;
}

std::string ReadComponents(const std::string& path, CFRef<CFPropertyListRef>* list, CFArrayRef* components,
                           bool* damaged) {
  std::string error = ReadDictionaryFile(path, "a bundle's Info.plist", FileSource::kRegularFile, list, damaged);
  if (!error.empty()) return error;
  *components = static_cast<CFArrayRef>(
      Lookup(static_cast<CFDictionaryRef>(list->Get()), "AudioComponents", CFArrayGetTypeID()));
  return {};
}

bool Describes(CFDictionaryRef entry, const ComponentDescription& component) {
  return HasCode(entry, "type", component.componentType) && HasCode(entry, "subtype", component.componentSubType) &&
         HasCode(entry, "manufacturer", component.componentManufacturer);
}

}  // namespace

namespace {

// Calls visit with each dictionary the bundle's Info.plist lists under AudioComponents until visit
// returns true. Empty when one did, else why not (fallback when the file is read but none did, which
// makes the bundle damaged too).
template <typename Visit>
std::string VisitListedEntries(const std::string& bundleDir, const std::string& fallback, bool* damaged,
                               Visit visit) {
  const std::string path = bundleDir + "/Contents/Info.plist";
  CFRef<CFPropertyListRef> list;
  CFArrayRef components = nullptr;
  std::string error = ReadComponents(path, &list, &components, damaged);
  if (!error.empty()) return error;
  for (CFIndex i = 0; components && i < CFArrayGetCount(components); ++i) {
    const auto entry = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(components, i));
    if (CFGetTypeID(entry) == CFDictionaryGetTypeID() && visit(entry, path, &error)) return error;
  }
  if (damaged) *damaged = true;
  return path + fallback;
}

// Calls read with the bundle's entry for the component; empty on success, else why not (what names the
// value read takes from the entry).
template <typename Read>
std::string ReadListedEntry(const std::string& bundleDir, const ComponentDescription& component, const char* what,
                            Read read) {
  return VisitListedEntries(bundleDir, " lists no component " + ComponentCodesText(component), nullptr,
                            [&](CFDictionaryRef entry, const std::string& path, std::string* error) {
                              if (!Describes(entry, component)) return false;
                              if (!read(entry))
                                *error = path + " lists no " + what + " for " + ComponentCodesText(component);
                              return true;
                            });
}

}  // namespace

std::string ReadListedVersion(const std::string& bundleDir, const ComponentDescription& component, UInt32* version) {
  return ReadListedEntry(bundleDir, component, "version", [version](CFDictionaryRef entry) {
    const auto number = static_cast<CFNumberRef>(Lookup(entry, "version", CFNumberGetTypeID()));
    SInt64 value = -1;
    if (!number || !CFNumberGetValue(number, kCFNumberSInt64Type, &value) || value < 0 || value > 0xFFFFFFFFll)
      return false;
    *version = static_cast<UInt32>(value);
    return true;
  });
}

std::string ReadListedName(const std::string& bundleDir, const ComponentDescription& component, std::string* name) {
  return ReadListedEntry(bundleDir, component, "name", [name](CFDictionaryRef entry) {
    *name = ToUtf8(static_cast<CFStringRef>(Lookup(entry, "name", CFStringGetTypeID())));
    return !name->empty();
  });
}

std::string ReadListedUnit(const std::string& bundleDir, ComponentDescription* component, bool* damaged) {
  return VisitListedEntries(bundleDir, " lists no unit", damaged, [component](CFDictionaryRef entry,
                                                                              const std::string&, std::string*) {
    ComponentDescription listed{};
    if (!ReadCode(entry, "type", &listed.componentType) || !ReadCode(entry, "subtype", &listed.componentSubType) ||
        !ReadCode(entry, "manufacturer", &listed.componentManufacturer) ||
        listed.componentType == kAudioUnitCarbonViewComponentType)
      return false;
    *component = listed;
    return true;
  });
}

std::string VersionText(UInt32 version) {
  char text[40];
  std::snprintf(text, sizeof text, "%u.%u.%u (0x%08X)", version >> 16, (version >> 8) & 0xFF, version & 0xFF, version);
  return text;
}

}  // namespace korval_host
