#include <CoreFoundation/CFData.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

// The bytes follow the record.
struct DataObject {
  ObjectHeader header;
  CFIndex length = 0;
  UInt8* Bytes() { return reinterpret_cast<UInt8*>(this + 1); }
  const UInt8* Bytes() const { return reinterpret_cast<const UInt8*>(this + 1); }
};

Boolean EqualData(CFTypeRef a, CFTypeRef b) {
  auto* x = static_cast<const DataObject*>(a);
  auto* y = static_cast<const DataObject*>(b);
  return x->length == y->length && std::memcmp(x->Bytes(), y->Bytes(), static_cast<size_t>(x->length)) == 0;
}

CFHashCode HashData(CFTypeRef cf) {
  auto* data = static_cast<const DataObject*>(cf);
  return HashBytes(data->Bytes(), static_cast<size_t>(data->length));
}

CFStringRef DescribeData(CFTypeRef cf) {
  auto* data = static_cast<const DataObject*>(cf);
  std::string text = "<";
  char hex[3];
  for (CFIndex i = 0; i < data->length; ++i) {
    std::snprintf(hex, sizeof hex, "%02x", data->Bytes()[i]);
    text += hex;
    if (i % 4 == 3 && i + 1 < data->length) text += ' ';
  }
  text += '>';
  return CreateStringFromUTF8(nullptr, text);
}

const ClassInfo kDataClass = {kDataTypeID, "CFData", DestroyObject<DataObject>, EqualData, HashData, DescribeData};

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

CFTypeID CFDataGetTypeID(void) { return kDataTypeID; }

CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  auto* data = CreateObject<DataObject>(allocator, &kDataClass, static_cast<size_t>(length));
  if (!data) return nullptr;
  data->length = length;
  if (length > 0) std::memcpy(data->Bytes(), bytes, static_cast<size_t>(length));
  return reinterpret_cast<CFDataRef>(data);
}

CFIndex CFDataGetLength(CFDataRef theData) {
  const DataObject* data = As<DataObject>(theData, kDataTypeID);
  return data ? data->length : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
  const DataObject* data = As<DataObject>(theData, kDataTypeID);
  return data ? data->Bytes() : nullptr;
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer) {
  const DataObject* data = As<DataObject>(theData, kDataTypeID);
  if (!data || !buffer || range.location < 0 || range.length <= 0 || range.location > data->length ||
      range.length > data->length - range.location)
    return;
  std::memcpy(buffer, data->Bytes() + range.location, static_cast<size_t>(range.length));
}
