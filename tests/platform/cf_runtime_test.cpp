// Reference counts and who owns what: objects, containers, callbacks and allocators.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform_test_support.h"

using korv_platform_test::Text;

namespace {

CFStringRef MakeString(const char* text) { return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8); }

TEST(CFOwnership, CreatedObjectsStartAtOneAndFollowRetainAndRelease) {
  CFStringRef string = MakeString("x");
  EXPECT_EQ(CFGetRetainCount(string), 1);
  EXPECT_EQ(CFRetain(string), string);
  EXPECT_EQ(CFGetRetainCount(string), 2);
  CFRelease(string);
  EXPECT_EQ(CFGetRetainCount(string), 1);
  CFRelease(string);

  // Null is tolerated everywhere in the runtime.
  EXPECT_EQ(CFRetain(nullptr), nullptr);
  CFRelease(nullptr);
  EXPECT_EQ(CFGetRetainCount(nullptr), 0);
  EXPECT_EQ(CFGetTypeID(nullptr), 0u);
  EXPECT_FALSE(CFEqual(nullptr, nullptr));
  EXPECT_EQ(CFCopyDescription(nullptr), nullptr);
}

TEST(CFOwnership, ConstantStringsAreSharedAndNeverFreed) {
  CFStringRef a = CFSTR("constant");
  EXPECT_EQ(a, CFSTR("constant"));
  const CFIndex count = CFGetRetainCount(a);
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFGetRetainCount(a), count);
  EXPECT_EQ(Text(a), "constant");
}

TEST(CFOwnership, DictionaryRetainsKeysAndValuesAndReleasesThemWhenRemovedOrFreed) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = MakeString("key");
  CFStringRef first = MakeString("first");
  CFStringRef second = MakeString("second");

  CFDictionarySetValue(dict, key, first);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  EXPECT_EQ(CFGetRetainCount(first), 2);

  // Replacing keeps the key and swaps the values' references; an equal key finds the entry.
  CFStringRef equalKey = MakeString("key");
  CFDictionarySetValue(dict, equalKey, second);
  EXPECT_EQ(CFGetRetainCount(first), 1);
  EXPECT_EQ(CFGetRetainCount(second), 2);
  EXPECT_EQ(CFGetRetainCount(equalKey), 1);
  EXPECT_EQ(CFDictionaryGetValue(dict, equalKey), second);
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);

  // Setting the value it already holds must not free it on the way.
  CFDictionarySetValue(dict, key, second);
  EXPECT_EQ(CFGetRetainCount(second), 2);

  CFDictionaryAddValue(dict, key, first);  // present: no change
  EXPECT_EQ(CFDictionaryGetValue(dict, key), second);

  CFDictionaryRemoveValue(dict, equalKey);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(second), 1);
  EXPECT_FALSE(CFDictionaryContainsKey(dict, key));

  CFDictionarySetValue(dict, key, first);
  CFRelease(dict);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(first), 1);
  for (CFTypeRef object : {CFTypeRef(key), CFTypeRef(equalKey), CFTypeRef(first), CFTypeRef(second)})
    CFRelease(object);
}

TEST(CFOwnership, DictionaryKeepsEveryEntryThroughGrowthAndRemoval) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  constexpr int kCount = 500;
  for (int i = 0; i < kCount; ++i) {
    CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("k%d"), i);
    CFNumberRef value = CFNumberCreate(nullptr, kCFNumberIntType, &i);
    CFDictionarySetValue(dict, key, value);
    CFRelease(key);
    CFRelease(value);
  }
  for (int i = 0; i < kCount; i += 2) {
    CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("k%d"), i);
    CFDictionaryRemoveValue(dict, key);
    CFRelease(key);
  }
  EXPECT_EQ(CFDictionaryGetCount(dict), kCount / 2);
  for (int i = 0; i < kCount; ++i) {
    CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("k%d"), i);
    int value = -1;
    const bool present = CFNumberGetValue(CFNumberRef(CFDictionaryGetValue(dict, key)), kCFNumberIntType, &value);
    EXPECT_EQ(present, i % 2 == 1) << i;
    if (present) {
      EXPECT_EQ(value, i);
    }
    CFRelease(key);
  }
  CFDictionaryRemoveAllValues(dict);
  EXPECT_EQ(CFDictionaryGetCount(dict), 0);
  CFRelease(dict);
}

// Callbacks over a plain reference-counted record, the way factory preset arrays use them.
struct Record {
  int number;
  int references;
};

struct CallbackLog {
  int retains = 0;
  int releases = 0;
  int equals = 0;
  int descriptions = 0;
};
CallbackLog g_log;

const void* RetainRecord(CFAllocatorRef, const void* value) {
  ++g_log.retains;
  ++static_cast<Record*>(const_cast<void*>(value))->references;
  return value;
}
void ReleaseRecord(CFAllocatorRef, const void* value) {
  ++g_log.releases;
  --static_cast<Record*>(const_cast<void*>(value))->references;
}
Boolean EqualRecords(const void* a, const void* b) {
  ++g_log.equals;
  return static_cast<const Record*>(a)->number == static_cast<const Record*>(b)->number;
}
CFStringRef DescribeRecord(const void* value) {
  ++g_log.descriptions;
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("record %d"), static_cast<const Record*>(value)->number);
}

TEST(CFOwnership, ArrayCallsCallerCallbacksForEveryOwnershipChange) {
  g_log = {};
  const CFArrayCallBacks callBacks = {0, RetainRecord, ReleaseRecord, DescribeRecord, EqualRecords};
  Record a{0, 1}, b{1, 1}, c{1, 1};
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 2, &callBacks);
  CFArrayAppendValue(array, &a);
  CFArrayAppendValue(array, &b);
  EXPECT_EQ(a.references, 2);
  EXPECT_EQ(b.references, 2);
  EXPECT_EQ(g_log.retains, 2);

  // Lookup goes through the equal callback: c equals b by number.
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, CFArrayGetCount(array)), &c), 1);
  EXPECT_GT(g_log.equals, 0);

  CFStringRef description = CFCopyDescription(array);
  EXPECT_NE(Text(description).find("record 1"), std::string::npos);
  EXPECT_EQ(g_log.descriptions, 2);
  CFRelease(description);

  CFArraySetValueAtIndex(array, 1, &c);
  EXPECT_EQ(b.references, 1);
  EXPECT_EQ(c.references, 2);

  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(a.references, 1);
  EXPECT_EQ(CFArrayGetCount(array), 1);

  CFRelease(array);
  EXPECT_EQ(c.references, 1);
  EXPECT_EQ(g_log.retains, g_log.releases);
}

TEST(CFOwnership, ArrayIgnoresIndexesOutsideIt) {
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFStringRef value = MakeString("v");
  CFArrayInsertValueAtIndex(array, 1, value);
  CFArrayInsertValueAtIndex(array, -1, value);
  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(CFArrayGetCount(array), 0);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), nullptr);
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(-3, 10), value), kCFNotFound);
  EXPECT_EQ(CFGetRetainCount(value), 1);
  CFRelease(array);
  CFRelease(value);
}

struct AllocatorLog {
  int allocations = 0;
  int deallocations = 0;
  bool fail = false;
};

void* CountingAllocate(CFIndex size, CFOptionFlags, void* info) {
  auto* log = static_cast<AllocatorLog*>(info);
  if (log->fail) return nullptr;
  ++log->allocations;
  return std::malloc(static_cast<size_t>(size));
}
void CountingDeallocate(void* ptr, void* info) {
  ++static_cast<AllocatorLog*>(info)->deallocations;
  std::free(ptr);
}

TEST(CFOwnership, ObjectsAreFreedWithTheAllocatorThatMadeThemWhichTheyKeepAlive) {
  AllocatorLog log;
  CFAllocatorContext context = {0, &log, nullptr, nullptr, nullptr, CountingAllocate, nullptr, CountingDeallocate,
                                nullptr};
  CFAllocatorRef allocator = CFAllocatorCreate(nullptr, &context);
  ASSERT_NE(allocator, nullptr);

  CFStringRef string = CFStringCreateWithCString(allocator, "owned", kCFStringEncodingUTF8);
  const SInt32 number = 7;
  CFNumberRef boxed = CFNumberCreate(allocator, kCFNumberSInt32Type, &number);
  EXPECT_EQ(log.allocations, 2);
  EXPECT_EQ(CFGetAllocator(string), allocator);
  EXPECT_EQ(CFGetRetainCount(allocator), 3);

  CFRelease(allocator);  // the objects still hold it
  CFRelease(string);
  CFRelease(boxed);
  EXPECT_EQ(log.deallocations, 2);
}

TEST(CFOwnership, CreatorsReturnNullWhenTheAllocatorHasNoMemory) {
  AllocatorLog log;
  log.fail = true;
  CFAllocatorContext context = {0, &log, nullptr, nullptr, nullptr, CountingAllocate, nullptr, CountingDeallocate,
                                nullptr};
  CFAllocatorRef allocator = CFAllocatorCreate(nullptr, &context);
  const SInt32 number = 1;
  const UInt8 bytes[2] = {1, 2};
  EXPECT_EQ(CFStringCreateWithCString(allocator, "x", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFNumberCreate(allocator, kCFNumberSInt32Type, &number), nullptr);
  EXPECT_EQ(CFDataCreate(allocator, bytes, 2), nullptr);
  EXPECT_EQ(CFArrayCreateMutable(allocator, 0, &kCFTypeArrayCallBacks), nullptr);
  EXPECT_EQ(CFDictionaryCreateMutable(allocator, 0, nullptr, nullptr), nullptr);
  EXPECT_EQ(CFAllocatorAllocate(kCFAllocatorNull, 16, 0), nullptr);
  EXPECT_EQ(CFGetRetainCount(allocator), 1);
  CFRelease(allocator);
}

TEST(CFOwnership, GettersRefuseObjectsOfTheWrongKind) {
  CFStringRef string = MakeString("12");
  const SInt32 twelve = 12;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &twelve);
  CFDictionaryRef immutable = CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                 &kCFTypeDictionaryValueCallBacks);

  SInt32 value = -1;
  EXPECT_FALSE(CFNumberGetValue(CFNumberRef(string), kCFNumberSInt32Type, &value));
  EXPECT_EQ(value, -1);
  char buffer[8] = "keep";
  EXPECT_FALSE(CFStringGetCString(CFStringRef(number), buffer, sizeof buffer, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(CFStringGetLength(CFStringRef(number)), 0);
  EXPECT_EQ(CFDataGetLength(CFDataRef(string)), 0);
  EXPECT_EQ(CFDataGetBytePtr(CFDataRef(string)), nullptr);
  EXPECT_EQ(CFArrayGetCount(CFArrayRef(number)), 0);
  EXPECT_EQ(CFDictionaryGetValue(CFDictionaryRef(string), string), nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(CFBundleRef(string)), nullptr);
  UInt8 path[16];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(CFURLRef(number), true, path, sizeof path));
  EXPECT_FALSE(CFNumberGetValue(number, 99, &value));

  // Writes to an immutable dictionary or to a non-dictionary change nothing.
  CFDictionarySetValue(CFMutableDictionaryRef(immutable), string, number);
  CFDictionarySetValue(CFMutableDictionaryRef(number), string, number);
  CFArrayAppendValue(CFMutableArrayRef(string), number);
  EXPECT_EQ(CFDictionaryGetCount(immutable), 0);
  EXPECT_EQ(CFGetRetainCount(number), 1);

  CFRelease(immutable);
  CFRelease(number);
  CFRelease(string);
}

}  // namespace
