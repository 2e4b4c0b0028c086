#include <CoreFoundation/CFString.h>

#include <cstring>
#include <map>
#include <mutex>

#include "platform/src/cf_runtime.h"
#include "platform/src/utf8.h"

namespace korv_cf {
namespace {

// The UTF-8 bytes and their terminator follow the record.
struct StringObject {
  ObjectHeader header;
  CFIndex byteLength = 0;
  CFIndex utf16Length = 0;
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
  const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
};

Boolean EqualStrings(CFTypeRef a, CFTypeRef b) { return StringView(CFStringRef(a)) == StringView(CFStringRef(b)); }

CFHashCode HashString(CFTypeRef cf) {
  const std::string_view text = StringView(CFStringRef(cf));
  return HashBytes(text.data(), text.size());
}

CFStringRef DescribeString(CFTypeRef cf) { return CFStringRef(CFRetain(cf)); }

const ClassInfo kStringClass = {kStringTypeID, "CFString", DestroyObject<StringObject>, EqualStrings, HashString,
                                DescribeString};

const StringObject* AsString(CFTypeRef cf) { return As<StringObject>(cf, kStringTypeID); }

bool IsASCII(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

// The text as UTF-8, or nothing when the bytes are not valid in the encoding.
std::optional<std::string> DecodeToUTF8(std::string_view bytes, CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingUTF8:
      if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0) bytes.remove_prefix(3);
      return std::string(bytes);
    case kCFStringEncodingISOLatin1:
      return Latin1ToUTF8(bytes);
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman:
      // Only the ASCII half of MacRoman is supported.
      if (!IsASCII(bytes)) return std::nullopt;
      return std::string(bytes);
    default:
      return std::nullopt;
  }
}

std::optional<std::string> EncodeFromUTF8(std::string_view utf8, CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return std::string(utf8);
    case kCFStringEncodingISOLatin1:
      return UTF8ToLatin1(utf8);
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman:
      if (!IsASCII(utf8)) return std::nullopt;
      return std::string(utf8);
    default:
      return std::nullopt;
  }
}

}  // namespace

CFStringRef CreateStringFromUTF8(CFAllocatorRef allocator, std::string_view utf8) {
  const std::optional<size_t> utf16Length = UTF16LengthOfUTF8(utf8);
  if (!utf16Length) return nullptr;
  auto* string = CreateObject<StringObject>(allocator, &kStringClass, utf8.size() + 1);
  if (!string) return nullptr;
  string->byteLength = static_cast<CFIndex>(utf8.size());
  string->utf16Length = static_cast<CFIndex>(*utf16Length);
  std::memcpy(string->Bytes(), utf8.data(), utf8.size());
  string->Bytes()[utf8.size()] = '\0';
  return reinterpret_cast<CFStringRef>(string);
}

std::string_view StringView(CFStringRef string) {
  const StringObject* object = AsString(string);
  if (!object) return {};
  return std::string_view(object->Bytes(), static_cast<size_t>(object->byteLength));
}

}  // namespace korv_cf

using namespace korv_cf;

CFTypeID CFStringGetTypeID(void) { return kStringTypeID; }

CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean) {
  if (numBytes < 0 || (!bytes && numBytes > 0)) return nullptr;
  const std::optional<std::string> utf8 =
      DecodeToUTF8(std::string_view(reinterpret_cast<const char*>(bytes), static_cast<size_t>(numBytes)), encoding);
  return utf8 ? CreateStringFromUTF8(alloc, *utf8) : nullptr;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(std::strlen(cStr)),
                                 encoding, false);
}

CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding,
                                            CFAllocatorRef contentsDeallocator) {
  CFStringRef string = CFStringCreateWithCString(alloc, cStr, encoding);
  // The caller handed the buffer over, so it is freed now that its text has been copied.
  if (cStr && contentsDeallocator != kCFAllocatorNull)
    CFAllocatorDeallocate(contentsDeallocator, const_cast<char*>(cStr));
  return string;
}

CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString) {
  if (!AsString(theString)) return nullptr;
  return CreateStringFromUTF8(alloc, StringView(theString));
}

CFIndex CFStringGetLength(CFStringRef theString) {
  const StringObject* string = AsString(theString);
  return string ? string->utf16Length : 0;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0) return kCFNotFound;
  const CFIndex bytesPerUnit = encoding == kCFStringEncodingUTF8 ? 3 : 1;
  if (length > LONG_MAX / bytesPerUnit) return kCFNotFound;
  return length * bytesPerUnit;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = '\0';
  if (!AsString(theString)) return false;
  const std::optional<std::string> encoded = EncodeFromUTF8(StringView(theString), encoding);
  if (!encoded) return false;
  const size_t capacity = static_cast<size_t>(bufferSize) - 1;
  const bool fits = encoded->size() <= capacity;
  const size_t length = fits ? encoded->size()
                        : encoding == kCFStringEncodingUTF8 ? WholeCharacterPrefix(*encoded, capacity)
                                                            : capacity;
  std::memcpy(buffer, encoded->data(), length);
  buffer[length] = '\0';
  return fits;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
  const StringObject* string = AsString(theString);
  if (!string) return nullptr;
  if (encoding == kCFStringEncodingUTF8) return string->Bytes();
  if (encoding == kCFStringEncodingASCII && IsASCII(StringView(theString))) return string->Bytes();
  return nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
  const std::string_view a = StringView(theString1);
  const std::string_view b = StringView(theString2);
  const bool foldCase = (compareOptions & kCFCompareCaseInsensitive) != 0;
  const auto unit = [foldCase](char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (foldCase && u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
  };
  // Byte order of UTF-8 is code point order.
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (unit(a[i]) != unit(b[i])) return unit(a[i]) < unit(b[i]) ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  if (a.size() == b.size()) return kCFCompareEqualTo;
  return a.size() < b.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
  if (!cStr) return nullptr;
  // Never destroyed: constant strings stay valid during static destruction.
  static auto* table = new std::map<std::string, CFStringRef, std::less<>>();
  static std::mutex tableMutex;
  std::lock_guard<std::mutex> lock(tableMutex);
  auto found = table->find(std::string_view(cStr));
  if (found != table->end()) return found->second;
  CFStringRef string = CFStringCreateWithCString(nullptr, cStr, kCFStringEncodingUTF8);
  if (!string) return nullptr;
  const_cast<ObjectHeader*>(HeaderOf(string))->retainCount = kImmortalRetainCount;
  table->emplace(cStr, string);
  return string;
}
