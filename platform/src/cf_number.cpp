#include <CoreFoundation/CFNumber.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

struct NumberObject {
  ObjectHeader header;
  CFNumberType canonicalType = kCFNumberSInt32Type;
  bool isFloat = false;
  int64_t integer = 0;
  double real = 0.0;
};

enum class Storage { kInvalid, kInt8, kInt16, kInt32, kInt64, kFloat32, kFloat64 };

Storage StorageOf(CFNumberType type) {
  switch (type) {
    case kCFNumberSInt8Type: case kCFNumberCharType: return Storage::kInt8;
    case kCFNumberSInt16Type: case kCFNumberShortType: return Storage::kInt16;
    case kCFNumberSInt32Type: case kCFNumberIntType: return Storage::kInt32;
    case kCFNumberSInt64Type: case kCFNumberLongType: case kCFNumberLongLongType:
    case kCFNumberCFIndexType: case kCFNumberNSIntegerType: return Storage::kInt64;
    case kCFNumberFloat32Type: case kCFNumberFloatType: return Storage::kFloat32;
    case kCFNumberFloat64Type: case kCFNumberDoubleType: case kCFNumberCGFloatType: return Storage::kFloat64;
    default: return Storage::kInvalid;
  }
}

CFNumberType CanonicalType(Storage storage) {
  switch (storage) {
    case Storage::kInt8: return kCFNumberSInt8Type;
    case Storage::kInt16: return kCFNumberSInt16Type;
    case Storage::kInt32: return kCFNumberSInt32Type;
    case Storage::kInt64: return kCFNumberSInt64Type;
    case Storage::kFloat32: return kCFNumberFloat32Type;
    default: return kCFNumberFloat64Type;
  }
}

template <class T>
T Load(const void* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <class T>
void Store(void* p, T value) {
  std::memcpy(p, &value, sizeof value);
}

// Converts to the integer type T, clamping; false when the value changed.
template <class T>
bool StoreInteger(const NumberObject& n, void* out) {
  constexpr auto lo = std::numeric_limits<T>::min();
  constexpr auto hi = std::numeric_limits<T>::max();
  if (!n.isFloat) {
    const int64_t clamped = n.integer < lo ? lo : n.integer > hi ? hi : n.integer;
    Store<T>(out, static_cast<T>(clamped));
    return clamped == n.integer;
  }
  if (std::isnan(n.real)) {
    Store<T>(out, 0);
    return false;
  }
  const double truncated = std::trunc(n.real);
  // hi + 1.0 is a power of two, exact as a double.
  const T value = truncated < static_cast<double>(lo)        ? lo
                  : truncated >= static_cast<double>(hi) + 1.0 ? hi
                                                              : static_cast<T>(truncated);
  Store<T>(out, value);
  return static_cast<double>(value) == n.real;
}

template <class T>
bool StoreFloat(const NumberObject& n, void* out) {
  const T value = n.isFloat ? static_cast<T>(n.real) : static_cast<T>(n.integer);
  Store<T>(out, value);
  if (n.isFloat) return std::isnan(n.real) || static_cast<double>(value) == n.real;
  return std::abs(static_cast<double>(value)) < 9.2e18 && static_cast<int64_t>(value) == n.integer;
}

double AsDouble(const NumberObject& n) { return n.isFloat ? n.real : static_cast<double>(n.integer); }

Boolean EqualNumbers(CFTypeRef a, CFTypeRef b) {
  auto* x = static_cast<const NumberObject*>(a);
  auto* y = static_cast<const NumberObject*>(b);
  if (!x->isFloat && !y->isFloat) return x->integer == y->integer;
  return AsDouble(*x) == AsDouble(*y);
}

CFHashCode HashNumber(CFTypeRef cf) {
  auto* n = static_cast<const NumberObject*>(cf);
  // Equal values hash alike whether stored as integer or float.
  const double value = AsDouble(*n);
  if (value == std::trunc(value) && std::abs(value) < 9.2e18) return static_cast<CFHashCode>(static_cast<int64_t>(value));
  return HashBytes(&value, sizeof value);
}

CFStringRef DescribeNumber(CFTypeRef cf) {
  auto* n = static_cast<const NumberObject*>(cf);
  char text[64];
  if (n->isFloat)
    std::snprintf(text, sizeof text, "%.17g", n->real);
  else
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n->integer));
  return CreateStringFromUTF8(nullptr, text);
}

const ClassInfo kNumberClass = {kNumberTypeID, "CFNumber", DestroyObject<NumberObject>, EqualNumbers, HashNumber,
                                DescribeNumber};

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

CFTypeID CFNumberGetTypeID(void) { return kNumberTypeID; }

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr) {
  const Storage storage = StorageOf(theType);
  if (!valuePtr || storage == Storage::kInvalid) return nullptr;
  auto* number = CreateObject<NumberObject>(allocator, &kNumberClass);
  if (!number) return nullptr;
  number->canonicalType = CanonicalType(storage);
  switch (storage) {
    case Storage::kInt8: number->integer = Load<int8_t>(valuePtr); break;
    case Storage::kInt16: number->integer = Load<int16_t>(valuePtr); break;
    case Storage::kInt32: number->integer = Load<int32_t>(valuePtr); break;
    case Storage::kInt64: number->integer = Load<int64_t>(valuePtr); break;
    case Storage::kFloat32: number->isFloat = true, number->real = Load<float>(valuePtr); break;
    default: number->isFloat = true, number->real = Load<double>(valuePtr); break;
  }
  return reinterpret_cast<CFNumberRef>(number);
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  const NumberObject* n = As<NumberObject>(number, kNumberTypeID);
  return n ? n->canonicalType : 0;
}

CFIndex CFNumberGetByteSize(CFNumberRef number) {
  switch (StorageOf(CFNumberGetType(number))) {
    case Storage::kInt8: return 1;
    case Storage::kInt16: return 2;
    case Storage::kInt32: case Storage::kFloat32: return 4;
    case Storage::kInt64: case Storage::kFloat64: return 8;
    default: return 0;
  }
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  const NumberObject* n = As<NumberObject>(number, kNumberTypeID);
  return n && n->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
  const NumberObject* n = As<NumberObject>(number, kNumberTypeID);
  if (!n || !valuePtr) return false;
  switch (StorageOf(theType)) {
    case Storage::kInt8: return StoreInteger<int8_t>(*n, valuePtr);
    case Storage::kInt16: return StoreInteger<int16_t>(*n, valuePtr);
    case Storage::kInt32: return StoreInteger<int32_t>(*n, valuePtr);
    case Storage::kInt64: return StoreInteger<int64_t>(*n, valuePtr);
    case Storage::kFloat32: return StoreFloat<float>(*n, valuePtr);
    case Storage::kFloat64: return StoreFloat<double>(*n, valuePtr);
    default: return false;
  }
}
