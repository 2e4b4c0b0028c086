#include "host/files/preset_file.h"

#include <cstdio>
#include <map>
#include <vector>

#include "base/file_writer.h"
#include "host/files/property_list_file.h"
#include "host/unit/hosted_unit.h"

namespace korval_host {

namespace {

std::string DescribeValue(const std::string& key, CFTypeRef value) {
  const CFTypeID type = CFGetTypeID(value);
  if (type == CFNumberGetTypeID()) {
    SInt64 number = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &number);
    if (key == "type" || key == "subtype" || key == "manufacturer")
      return std::string("'").append(FourCharCodeText(static_cast<OSType>(number))) + "' (" + std::to_string(number) + ")";
    return std::to_string(number);
  }
  if (type == CFStringGetTypeID()) return std::string("\"").append(ToUtf8(static_cast<CFStringRef>(value))) + "\"";
  if (type == CFDataGetTypeID()) {
    auto data = static_cast<CFDataRef>(value);
    const CFIndex length = CFDataGetLength(data);
    std::string text = std::to_string(length) + " bytes";
    const UInt8* bytes = CFDataGetBytePtr(data);
    for (CFIndex i = 0; i < length; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%s%02x", i % 8 ? "" : " ", bytes[i]);
      text += hex;
    }
    return text;
  }
  return "(a value of another kind)";
}

}  // namespace

std::string WritePresetFile(const std::string& path, CFPropertyListRef state) {
  CFRef<CFDataRef> xml(CFPropertyListCreateXMLData(nullptr, state));
  if (!xml) return "the unit's state cannot be written as a property list";
  // Written as the platform writes a resource, but with the reason for a failure to tell the user.
  std::string reason;
  if (!BRM_WriteWholeFile(path, CFDataGetBytePtr(xml.Get()), static_cast<size_t>(CFDataGetLength(xml.Get())), &reason))
    return "cannot write " + path + ": " + reason;
  return {};
}

std::string ReadPresetFile(const std::string& path, CFRef<CFPropertyListRef>* state) {
  return ReadDictionaryFile(path, "a preset file", FileSource::kFileOrStream, state);
}

std::string DescribePreset(CFPropertyListRef state) {
  auto dictionary = static_cast<CFDictionaryRef>(state);
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  // Dictionaries keep no order; sorted keys make the listing stable.
  std::map<std::string, std::string> lines;
  for (CFIndex i = 0; i < count; ++i) {
    const std::string key = CFGetTypeID(keys[i]) == CFStringGetTypeID() ? ToUtf8(static_cast<CFStringRef>(keys[i]))
                                                                        : std::string("(key of another kind)");
    lines[key] = DescribeValue(key, values[i]);
  }
  std::string text;
  for (const auto& [key, value] : lines) text += "  " + key + ": " + value + "\n";
  return text;
}

}  // namespace korval_host
