// Conversion between property-list objects and their XML or binary form, through libplist.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFString.h>

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "platform/src/binary_plist_scan.h"
#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Nesting beyond this is refused, so a hostile file cannot exhaust the stack.
constexpr int kMaxDepth = 512;

plist_t ToPlist(CFTypeRef cf, int depth);

plist_t NumberToPlist(CFNumberRef number) {
  if (CFNumberIsFloatType(number)) {
    double value = 0;
    CFNumberGetValue(number, kCFNumberFloat64Type, &value);
    return plist_new_real(value);
  }
  int64_t value = 0;
  CFNumberGetValue(number, kCFNumberSInt64Type, &value);
  return plist_new_uint(static_cast<uint64_t>(value));
}

struct DictionaryConversion {
  plist_t node;
  int depth;
  bool ok;
};

void AddDictionaryEntry(const void* key, const void* value, void* context) {
  auto* conversion = static_cast<DictionaryConversion*>(context);
  if (!conversion->ok) return;
  plist_t item = CFGetTypeID(key) == CFStringGetTypeID() ? ToPlist(value, conversion->depth + 1) : nullptr;
  if (!item) {
    conversion->ok = false;
    return;
  }
  plist_dict_set_item(conversion->node, std::string(StringView(CFStringRef(key))).c_str(), item);
}

plist_t ToPlist(CFTypeRef cf, int depth) {
  if (!cf || depth > kMaxDepth) return nullptr;
  const CFTypeID type = CFGetTypeID(cf);
  if (type == CFStringGetTypeID()) return plist_new_string(std::string(StringView(CFStringRef(cf))).c_str());
  if (type == CFNumberGetTypeID()) return NumberToPlist(CFNumberRef(cf));
  if (type == CFDataGetTypeID()) {
    return plist_new_data(reinterpret_cast<const char*>(CFDataGetBytePtr(CFDataRef(cf))),
                          static_cast<uint64_t>(CFDataGetLength(CFDataRef(cf))));
  }
  if (type == CFArrayGetTypeID()) {
    PlistPtr node(plist_new_array());
    for (CFIndex i = 0; i < CFArrayGetCount(CFArrayRef(cf)); ++i) {
      plist_t item = ToPlist(CFArrayGetValueAtIndex(CFArrayRef(cf), i), depth + 1);
      if (!item) return nullptr;
      plist_array_append_item(node.get(), item);
    }
    return node.release();
  }
  if (type == CFDictionaryGetTypeID()) {
    DictionaryConversion conversion{plist_new_dict(), depth, true};
    PlistPtr owner(conversion.node);
    CFDictionaryApplyFunction(CFDictionaryRef(cf), AddDictionaryEntry, &conversion);
    return conversion.ok ? owner.release() : nullptr;
  }
  return nullptr;
}

CFTypeRef FromPlist(CFAllocatorRef allocator, plist_t node, bool mutableContainers, int depth);

// The string is read by pointer and length: a file's string may hold a NUL (which the library's
// copying accessor asserts against) or bytes that are not UTF-8. Both are refused, as a string
// that would come out cut short or mangled is not the one the file holds.
CFTypeRef StringFromPlist(CFAllocatorRef allocator, plist_t node) {
  uint64_t length = 0;
  const char* text = plist_get_string_ptr(node, &length);
  if (!text || length > static_cast<uint64_t>(std::numeric_limits<CFIndex>::max()) ||
      std::memchr(text, '\0', static_cast<size_t>(length)))
    return nullptr;
  return CFStringCreateWithBytes(allocator, reinterpret_cast<const UInt8*>(text), static_cast<CFIndex>(length),
                                 kCFStringEncodingUTF8, false);
}

CFTypeRef DataFromPlist(CFAllocatorRef allocator, plist_t node) {
  char* bytes = nullptr;
  uint64_t length = 0;
  plist_get_data_val(node, &bytes, &length);
  CFDataRef data = length <= static_cast<uint64_t>(std::numeric_limits<CFIndex>::max())
                       ? CFDataCreate(allocator, reinterpret_cast<const UInt8*>(bytes), static_cast<CFIndex>(length))
                       : nullptr;
  std::free(bytes);
  return data;
}

CFTypeRef ArrayFromPlist(CFAllocatorRef allocator, plist_t node, bool mutableContainers, int depth) {
  CFMutableArrayRef array = CFArrayCreateMutable(allocator, 0, &kCFTypeArrayCallBacks);
  ScopedRef owner(array);
  if (!array) return nullptr;
  const uint32_t count = plist_array_get_size(node);
  for (uint32_t i = 0; i < count; ++i) {
    ScopedRef item(FromPlist(allocator, plist_array_get_item(node, i), mutableContainers, depth + 1));
    if (!item) return nullptr;
    CFArrayAppendValue(array, item.get());
  }
  if (mutableContainers) return owner.release();
  std::vector<const void*> values(static_cast<size_t>(CFArrayGetCount(array)));
  for (size_t i = 0; i < values.size(); ++i) values[i] = CFArrayGetValueAtIndex(array, static_cast<CFIndex>(i));
  return CFArrayCreate(allocator, values.data(), static_cast<CFIndex>(values.size()), &kCFTypeArrayCallBacks);
}

CFTypeRef DictionaryFromPlist(CFAllocatorRef allocator, plist_t node, bool mutableContainers, int depth) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(allocator, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  ScopedRef owner(dict);
  if (!dict) return nullptr;
  plist_dict_iter iterator = nullptr;
  plist_dict_new_iter(node, &iterator);
  bool ok = iterator != nullptr;
  while (ok) {
    char* keyText = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(node, iterator, &keyText, &value);
    if (!keyText) break;
    ScopedRef key(CFStringCreateWithCString(allocator, keyText, kCFStringEncodingUTF8));
    std::free(keyText);
    ScopedRef item(value ? FromPlist(allocator, value, mutableContainers, depth + 1) : nullptr);
    ok = key && item;
    if (ok) CFDictionarySetValue(dict, key.get(), item.get());
  }
  std::free(iterator);
  if (!ok) return nullptr;
  if (mutableContainers) return owner.release();
  const CFIndex count = CFDictionaryGetCount(dict);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
  return CFDictionaryCreate(allocator, keys.data(), values.data(), count, &kCFTypeDictionaryKeyCallBacks,
                            &kCFTypeDictionaryValueCallBacks);
}

CFTypeRef FromPlist(CFAllocatorRef allocator, plist_t node, bool mutableContainers, int depth) {
  if (depth > kMaxDepth) return nullptr;
  switch (plist_get_node_type(node)) {
    case PLIST_STRING:
      return StringFromPlist(allocator, node);
    case PLIST_UINT: {
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      const int64_t signedValue = static_cast<int64_t>(value);
      return CFNumberCreate(allocator, kCFNumberSInt64Type, &signedValue);
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return CFNumberCreate(allocator, kCFNumberFloat64Type, &value);
    }
    case PLIST_DATA:
      return DataFromPlist(allocator, node);
    case PLIST_ARRAY:
      return ArrayFromPlist(allocator, node, mutableContainers, depth);
    case PLIST_DICT:
      return DictionaryFromPlist(allocator, node, mutableContainers, depth);
    default:
      return nullptr;
  }
}

void SetError(CFStringRef* errorString, const char* text) {
  if (errorString) *errorString = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
}

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef propertyList) {
  PlistPtr root(ToPlist(propertyList, 0));
  if (!root) return nullptr;
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root.get(), &xml, &length);
  if (!xml) return nullptr;
  CFDataRef data = CFDataCreate(allocator, reinterpret_cast<const UInt8*>(xml), length);
  plist_to_xml_free(xml);
  return data;
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption, CFStringRef* errorString) {
  if (errorString) *errorString = nullptr;
  const CFIndex length = CFDataGetLength(xmlData);
  if (CFGetTypeID(xmlData) != CFDataGetTypeID() || length <= 0 ||
      length > static_cast<CFIndex>(std::numeric_limits<uint32_t>::max())) {
    SetError(errorString, "no property list data");
    return nullptr;
  }
  if (!BinaryListStringsAreText(CFDataGetBytePtr(xmlData), static_cast<size_t>(length))) {
    SetError(errorString, "the property list holds a string that is not text");
    return nullptr;
  }
  plist_t parsed = nullptr;
  plist_from_memory(reinterpret_cast<const char*>(CFDataGetBytePtr(xmlData)), static_cast<uint32_t>(length), &parsed);
  PlistPtr root(parsed);
  if (!root) {
    SetError(errorString, "the data is not a property list");
    return nullptr;
  }
  const bool mutableContainers = mutabilityOption != kCFPropertyListImmutable;
  CFPropertyListRef result = FromPlist(allocator, root.get(), mutableContainers, 0);
  if (!result) SetError(errorString, "the property list holds an unsupported kind of value, a string that is not text, or is nested too deeply");
  return result;
}
