#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFString.h>

#include <cstdio>
#include <vector>

#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

struct ArrayObject {
  ObjectHeader header;
  bool isMutable = false;
  CFArrayCallBacks callBacks{};
  std::vector<const void*> values;

  const void* Retained(const void* value) const {
    return callBacks.retain ? callBacks.retain(header.allocator, value) : value;
  }
  void Release(const void* value) const {
    if (callBacks.release) callBacks.release(header.allocator, value);
  }
  bool Equal(const void* a, const void* b) const { return callBacks.equal ? callBacks.equal(a, b) : a == b; }
};

void FinalizeArray(CFTypeRef cf) {
  auto* array = static_cast<const ArrayObject*>(cf);
  for (const void* value : array->values) array->Release(value);
  DestroyObject<ArrayObject>(cf);
}

Boolean EqualArrays(CFTypeRef a, CFTypeRef b) {
  auto* x = static_cast<const ArrayObject*>(a);
  auto* y = static_cast<const ArrayObject*>(b);
  if (x->values.size() != y->values.size()) return false;
  for (size_t i = 0; i < x->values.size(); ++i)
    if (!x->Equal(x->values[i], y->values[i])) return false;
  return true;
}

CFStringRef DescribeArray(CFTypeRef cf) {
  auto* array = static_cast<const ArrayObject*>(cf);
  std::string text = "(\n";
  for (const void* value : array->values) {
    text += "    ";
    if (array->callBacks.copyDescription) {
      CFStringRef description = array->callBacks.copyDescription(value);
      text += description ? std::string(StringView(description)) : "(null)";
      CFRelease(description);
    } else {
      char address[32];
      std::snprintf(address, sizeof address, "<%p>", value);
      text += address;
    }
    text += ",\n";
  }
  text += ")";
  return CreateStringFromUTF8(nullptr, text);
}

const ClassInfo kArrayClass = {kArrayTypeID, "CFArray", FinalizeArray, EqualArrays, nullptr, DescribeArray};


ArrayObject* AsArray(CFTypeRef cf) { return As<ArrayObject>(cf, kArrayTypeID); }

ArrayObject* AsMutableArray(CFTypeRef cf) {
  ArrayObject* array = AsArray(cf);
  return array && array->isMutable ? array : nullptr;
}

ArrayObject* NewArray(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks, bool isMutable) {
  if (capacity < 0) return nullptr;
  auto* array = CreateObject<ArrayObject>(allocator, &kArrayClass);
  if (!array) return nullptr;
  array->isMutable = isMutable;
  if (callBacks) array->callBacks = *callBacks;
  array->values.reserve(static_cast<size_t>(capacity));
  return array;
}

// The part of range that lies inside the array.
bool ClampRange(const ArrayObject* array, CFRange range, size_t& begin, size_t& end) {
  const CFIndex count = static_cast<CFIndex>(array->values.size());
  if (range.location < 0 || range.length < 0 || range.location > count) return false;
  begin = static_cast<size_t>(range.location);
  end = static_cast<size_t>(range.length > count - range.location ? count : range.location + range.length);
  return true;
}

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainObjectCallBack, ReleaseObjectCallBack, DescribeObjectCallBack, EqualObjectsCallBack};

CFTypeID CFArrayGetTypeID(void) { return kArrayTypeID; }

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (!values && numValues > 0)) return nullptr;
  ArrayObject* array = NewArray(allocator, numValues, callBacks, false);
  if (!array) return nullptr;
  for (CFIndex i = 0; i < numValues; ++i) array->values.push_back(array->Retained(values[i]));
  return reinterpret_cast<CFArrayRef>(array);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks) {
  return reinterpret_cast<CFMutableArrayRef>(NewArray(allocator, capacity, callBacks, true));
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  const ArrayObject* array = AsArray(theArray);
  return array ? static_cast<CFIndex>(array->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  const ArrayObject* array = AsArray(theArray);
  if (!array || idx < 0 || idx >= static_cast<CFIndex>(array->values.size())) return nullptr;
  return array->values[static_cast<size_t>(idx)];
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const ArrayObject* array = AsArray(theArray);
  size_t begin, end;
  if (!array || !ClampRange(array, range, begin, end)) return kCFNotFound;
  for (size_t i = begin; i < end; ++i)
    if (array->Equal(array->values[i], value)) return static_cast<CFIndex>(i);
  return kCFNotFound;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value) {
  return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier, void* context) {
  const ArrayObject* array = AsArray(theArray);
  size_t begin, end;
  if (!array || !applier || !ClampRange(array, range, begin, end)) return;
  for (size_t i = begin; i < end; ++i) applier(array->values[i], context);
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value) {
  ArrayObject* array = AsMutableArray(theArray);
  if (array) array->values.push_back(array->Retained(value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
  ArrayObject* array = AsMutableArray(theArray);
  if (!array || idx < 0 || idx > static_cast<CFIndex>(array->values.size())) return;
  array->values.insert(array->values.begin() + idx, array->Retained(value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
  ArrayObject* array = AsMutableArray(theArray);
  if (!array || idx < 0 || idx > static_cast<CFIndex>(array->values.size())) return;
  if (idx == static_cast<CFIndex>(array->values.size())) {
    array->values.push_back(array->Retained(value));
    return;
  }
  // Retain first: the new value may be the one being replaced.
  const void* retained = array->Retained(value);
  array->Release(array->values[static_cast<size_t>(idx)]);
  array->values[static_cast<size_t>(idx)] = retained;
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx) {
  ArrayObject* array = AsMutableArray(theArray);
  if (!array || idx < 0 || idx >= static_cast<CFIndex>(array->values.size())) return;
  const void* removed = array->values[static_cast<size_t>(idx)];
  array->values.erase(array->values.begin() + idx);
  array->Release(removed);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray) {
  ArrayObject* array = AsMutableArray(theArray);
  if (!array) return;
  std::vector<const void*> removed;
  removed.swap(array->values);
  for (const void* value : removed) array->Release(value);
}
