#pragma once
// Internals of the object runtime shared by every object kind. Never included by portable code.
#include <CoreFoundation/CFBase.h>

#include <atomic>
#include <climits>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace korv_cf {

enum : CFTypeID {
  kAllocatorTypeID = 1,
  kStringTypeID,
  kNumberTypeID,
  kDataTypeID,
  kArrayTypeID,
  kDictionaryTypeID,
  kURLTypeID,
  kBundleTypeID,
};

struct ClassInfo {
  CFTypeID typeID;
  const char* name;
  // Releases what the object holds and runs its destructor; the runtime then frees the memory.
  void (*finalize)(CFTypeRef cf);
  Boolean (*equal)(CFTypeRef a, CFTypeRef b);
  CFHashCode (*hash)(CFTypeRef cf);
  CFStringRef (*copyDescription)(CFTypeRef cf);
};

// Objects that live for the whole process report this count and ignore retain and release.
constexpr CFIndex kImmortalRetainCount = LONG_MAX;

struct ObjectHeader {
  const ClassInfo* cls = nullptr;
  std::atomic<CFIndex> retainCount{1};
  CFAllocatorRef allocator = nullptr;
};

const ObjectHeader* HeaderOf(CFTypeRef cf);

// Allocates size bytes with the allocator (null: the default), constructs T in them and gives it
// count 1 and a reference to the allocator. Null when the allocator gives no memory.
void* AllocateObjectMemory(CFAllocatorRef allocator, size_t size);
void AttachHeader(ObjectHeader& header, const ClassInfo* cls, CFAllocatorRef allocator);

template <class T>
T* CreateObject(CFAllocatorRef allocator, const ClassInfo* cls, size_t extraBytes = 0) {
  void* memory = AllocateObjectMemory(allocator, sizeof(T) + extraBytes);
  if (!memory) return nullptr;
  T* object = new (memory) T();
  AttachHeader(object->header, cls, allocator);
  return object;
}

template <class T>
void DestroyObject(CFTypeRef cf) {
  static_cast<const T*>(cf)->~T();
}

// The object as T when it is of that kind, else null: getters tolerate objects of the wrong kind.
template <class T>
T* As(CFTypeRef cf, CFTypeID typeID) {
  const ObjectHeader* header = HeaderOf(cf);
  if (!header || header->cls->typeID != typeID) return nullptr;
  return const_cast<T*>(static_cast<const T*>(cf));
}

// New string from UTF-8 bytes; null when they are not valid UTF-8 or memory runs out.
CFStringRef CreateStringFromUTF8(CFAllocatorRef allocator, std::string_view utf8);
// The UTF-8 text of a string; empty for null or a non-string.
std::string_view StringView(CFStringRef string);
std::string DescriptionText(CFTypeRef cf);
CFHashCode HashBytes(const void* bytes, size_t length);

// Container callbacks for elements that are themselves objects.
const void* RetainObjectCallBack(CFAllocatorRef allocator, const void* value);
void ReleaseObjectCallBack(CFAllocatorRef allocator, const void* value);
CFStringRef DescribeObjectCallBack(const void* value);
Boolean EqualObjectsCallBack(const void* a, const void* b);
CFHashCode HashObjectCallBack(const void* value);

struct ReleaseDeleter {
  void operator()(CFTypeRef cf) const { CFRelease(cf); }
};
// Holds one reference and releases it when it goes out of scope.
using ScopedRef = std::unique_ptr<const void, ReleaseDeleter>;

}  // namespace korv_cf
