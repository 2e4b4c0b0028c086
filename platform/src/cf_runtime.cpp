#include "platform/src/cf_runtime.h"

#include <cstdio>
#include <cstdlib>


namespace korv_cf {
namespace {

struct AllocatorObject {
  ObjectHeader header;
  CFAllocatorContext context{};
};

void* SystemAllocate(CFIndex size, CFOptionFlags, void*) { return std::malloc(static_cast<size_t>(size)); }
void SystemDeallocate(void* ptr, void*) { std::free(ptr); }
void* NullAllocate(CFIndex, CFOptionFlags, void*) { return nullptr; }
void NullDeallocate(void*, void*) {}

void FinalizeAllocator(CFTypeRef cf) {
  auto* allocator = static_cast<const AllocatorObject*>(cf);
  if (allocator->context.release) allocator->context.release(allocator->context.info);
  DestroyObject<AllocatorObject>(cf);
}

CFStringRef DescribeAllocator(CFTypeRef cf) {
  char text[64];
  std::snprintf(text, sizeof text, "<CFAllocator %p>", cf);
  return CreateStringFromUTF8(nullptr, text);
}

const ClassInfo kAllocatorClass = {kAllocatorTypeID, "CFAllocator", FinalizeAllocator, nullptr, nullptr,
                                   DescribeAllocator};

constexpr CFAllocatorContext ContextOf(CFAllocatorAllocateCallBack allocate, CFAllocatorDeallocateCallBack deallocate) {
  return CFAllocatorContext{0, nullptr, nullptr, nullptr, nullptr, allocate, nullptr, deallocate, nullptr};
}

constinit AllocatorObject g_systemAllocator{{&kAllocatorClass, kImmortalRetainCount, nullptr},
                                            ContextOf(SystemAllocate, SystemDeallocate)};
constinit AllocatorObject g_nullAllocator{{&kAllocatorClass, kImmortalRetainCount, nullptr},
                                          ContextOf(NullAllocate, NullDeallocate)};

const AllocatorObject* Resolve(CFAllocatorRef allocator) {
  if (!allocator) return &g_systemAllocator;
  return As<AllocatorObject>(allocator, kAllocatorTypeID);
}

}  // namespace

const ObjectHeader* HeaderOf(CFTypeRef cf) { return static_cast<const ObjectHeader*>(cf); }

void* AllocateObjectMemory(CFAllocatorRef allocator, size_t size) {
  return CFAllocatorAllocate(allocator, static_cast<CFIndex>(size), 0);
}

void AttachHeader(ObjectHeader& header, const ClassInfo* cls, CFAllocatorRef allocator) {
  header.cls = cls;
  header.allocator = allocator ? static_cast<CFAllocatorRef>(CFRetain(allocator)) : kCFAllocatorSystemDefault;
}

CFHashCode HashBytes(const void* bytes, size_t length) {
  // FNV-1a: stable across runs, so dictionary order is reproducible.
  CFHashCode hash = 14695981039346656037ull;
  for (size_t i = 0; i < length; ++i) {
    hash ^= static_cast<const unsigned char*>(bytes)[i];
    hash *= 1099511628211ull;
  }
  return hash;
}

const void* RetainObjectCallBack(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseObjectCallBack(CFAllocatorRef, const void* value) { CFRelease(value); }
CFStringRef DescribeObjectCallBack(const void* value) { return CFCopyDescription(value); }
Boolean EqualObjectsCallBack(const void* a, const void* b) { return CFEqual(a, b); }
CFHashCode HashObjectCallBack(const void* value) { return CFHash(value); }

std::string DescriptionText(CFTypeRef cf) {
  CFStringRef description = CFCopyDescription(cf);
  if (!description) return "(null)";
  std::string text(StringView(description));
  CFRelease(description);
  return text;
}

}  // namespace korv_cf

using namespace korv_cf;

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = reinterpret_cast<CFAllocatorRef>(&g_systemAllocator);
const CFAllocatorRef kCFAllocatorMalloc = reinterpret_cast<CFAllocatorRef>(&g_systemAllocator);
const CFAllocatorRef kCFAllocatorNull = reinterpret_cast<CFAllocatorRef>(&g_nullAllocator);

CFTypeID CFAllocatorGetTypeID(void) { return kAllocatorTypeID; }
CFAllocatorRef CFAllocatorGetDefault(void) { return kCFAllocatorSystemDefault; }

CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context) {
  if (!context || !context->allocate) return nullptr;
  auto* object = CreateObject<AllocatorObject>(allocator, &kAllocatorClass);
  if (!object) return nullptr;
  object->context = *context;
  if (context->retain) object->context.info = const_cast<void*>(context->retain(context->info));
  return reinterpret_cast<CFAllocatorRef>(object);
}

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint) {
  const AllocatorObject* resolved = Resolve(allocator);
  if (!resolved || size <= 0) return nullptr;
  return resolved->context.allocate(size, hint, resolved->context.info);
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr) {
  const AllocatorObject* resolved = Resolve(allocator);
  if (!resolved || !ptr || !resolved->context.deallocate) return;
  resolved->context.deallocate(ptr, resolved->context.info);
}

CFTypeRef CFRetain(CFTypeRef cf) {
  if (!cf) return nullptr;
  auto& count = const_cast<ObjectHeader*>(HeaderOf(cf))->retainCount;
  if (count.load(std::memory_order_relaxed) != kImmortalRetainCount) count.fetch_add(1, std::memory_order_relaxed);
  return cf;
}

void CFRelease(CFTypeRef cf) {
  if (!cf) return;
  auto* header = const_cast<ObjectHeader*>(HeaderOf(cf));
  if (header->retainCount.load(std::memory_order_relaxed) == kImmortalRetainCount) return;
  if (header->retainCount.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  CFAllocatorRef allocator = header->allocator;
  header->cls->finalize(cf);
  CFAllocatorDeallocate(allocator, const_cast<void*>(cf));
  CFRelease(allocator);
}

CFIndex CFGetRetainCount(CFTypeRef cf) { return cf ? HeaderOf(cf)->retainCount.load(std::memory_order_relaxed) : 0; }

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf ? HeaderOf(cf)->cls->typeID : 0; }

CFAllocatorRef CFGetAllocator(CFTypeRef cf) { return cf ? HeaderOf(cf)->allocator : nullptr; }

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  if (cf1 == cf2) return cf1 != nullptr;
  if (!cf1 || !cf2) return false;
  const ClassInfo* cls = HeaderOf(cf1)->cls;
  if (cls != HeaderOf(cf2)->cls || !cls->equal) return false;
  return cls->equal(cf1, cf2);
}

CFHashCode CFHash(CFTypeRef cf) {
  if (!cf) return 0;
  const ClassInfo* cls = HeaderOf(cf)->cls;
  return cls->hash ? cls->hash(cf) : reinterpret_cast<CFHashCode>(cf);
}

CFStringRef CFCopyDescription(CFTypeRef cf) {
  if (!cf) return nullptr;
  const ClassInfo* cls = HeaderOf(cf)->cls;
  if (cls->copyDescription) return cls->copyDescription(cf);
  char text[64];
  std::snprintf(text, sizeof text, "<%s %p>", cls->name, cf);
  return CreateStringFromUTF8(nullptr, text);
}

void CFShow(CFTypeRef obj) { std::fprintf(stderr, "%s\n", DescriptionText(obj).c_str()); }
