#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

#include <vector>

#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

struct Entry {
  const void* key;
  const void* value;
  CFHashCode hash;
};

// Separate chaining keeps lookups fast for dictionaries read from large files.
struct DictionaryObject {
  ObjectHeader header;
  bool isMutable = false;
  CFDictionaryKeyCallBacks keyCallBacks{};
  CFDictionaryValueCallBacks valueCallBacks{};
  std::vector<std::vector<Entry>> buckets;
  size_t count = 0;

  CFHashCode Hash(const void* key) const {
    return keyCallBacks.hash ? keyCallBacks.hash(key) : reinterpret_cast<CFHashCode>(key);
  }
  bool KeysEqual(const void* a, const void* b) const { return keyCallBacks.equal ? keyCallBacks.equal(a, b) : a == b; }
  bool ValuesEqual(const void* a, const void* b) const {
    return valueCallBacks.equal ? valueCallBacks.equal(a, b) : a == b;
  }
  const void* RetainedKey(const void* key) const {
    return keyCallBacks.retain ? keyCallBacks.retain(header.allocator, key) : key;
  }
  const void* RetainedValue(const void* value) const {
    return valueCallBacks.retain ? valueCallBacks.retain(header.allocator, value) : value;
  }
  void ReleaseEntry(const Entry& entry) const {
    if (keyCallBacks.release) keyCallBacks.release(header.allocator, entry.key);
    if (valueCallBacks.release) valueCallBacks.release(header.allocator, entry.value);
  }

  Entry* Find(const void* key) {
    if (buckets.empty()) return nullptr;
    const CFHashCode hash = Hash(key);
    for (Entry& entry : buckets[hash % buckets.size()])
      if (entry.hash == hash && KeysEqual(entry.key, key)) return &entry;
    return nullptr;
  }

  void Insert(const void* key, const void* value) {
    if (count + 1 > buckets.size() * 2) Rehash(buckets.empty() ? 8 : buckets.size() * 2);
    const CFHashCode hash = Hash(key);
    buckets[hash % buckets.size()].push_back({RetainedKey(key), RetainedValue(value), hash});
    ++count;
  }

  void ReplaceValue(Entry& entry, const void* value) {
    // Retain first: the new value may be the one being replaced.
    const void* retained = RetainedValue(value);
    if (valueCallBacks.release) valueCallBacks.release(header.allocator, entry.value);
    entry.value = retained;
  }

  void Remove(const void* key) {
    if (buckets.empty()) return;
    const CFHashCode hash = Hash(key);
    std::vector<Entry>& bucket = buckets[hash % buckets.size()];
    for (size_t i = 0; i < bucket.size(); ++i) {
      if (bucket[i].hash == hash && KeysEqual(bucket[i].key, key)) {
        const Entry removed = bucket[i];
        bucket.erase(bucket.begin() + static_cast<long>(i));
        --count;
        ReleaseEntry(removed);
        return;
      }
    }
  }

  void Rehash(size_t bucketCount) {
    std::vector<std::vector<Entry>> rehashed(bucketCount);
    for (auto& bucket : buckets)
      for (const Entry& entry : bucket) rehashed[entry.hash % bucketCount].push_back(entry);
    buckets.swap(rehashed);
  }

  template <class F>
  void ForEach(F&& visit) const {
    for (const auto& bucket : buckets)
      for (const Entry& entry : bucket) visit(entry);
  }
};

void FinalizeDictionary(CFTypeRef cf) {
  auto* dict = static_cast<const DictionaryObject*>(cf);
  dict->ForEach([dict](const Entry& entry) { dict->ReleaseEntry(entry); });
  DestroyObject<DictionaryObject>(cf);
}

Boolean EqualDictionaries(CFTypeRef a, CFTypeRef b) {
  auto* x = static_cast<const DictionaryObject*>(a);
  auto* y = const_cast<DictionaryObject*>(static_cast<const DictionaryObject*>(b));
  if (x->count != y->count) return false;
  bool equal = true;
  x->ForEach([&](const Entry& entry) {
    const Entry* other = equal ? y->Find(entry.key) : nullptr;
    equal = other && x->ValuesEqual(entry.value, other->value);
  });
  return equal;
}

std::string DescribeWith(CFDictionaryCopyDescriptionCallBack describe, const void* item) {
  if (!describe) return "<opaque>";
  CFStringRef description = describe(item);
  std::string text = description ? std::string(StringView(description)) : "(null)";
  CFRelease(description);
  return text;
}

CFStringRef DescribeDictionary(CFTypeRef cf) {
  auto* dict = static_cast<const DictionaryObject*>(cf);
  std::string text = "{\n";
  dict->ForEach([&](const Entry& entry) {
    text += "    " + DescribeWith(dict->keyCallBacks.copyDescription, entry.key) + " = " +
            DescribeWith(dict->valueCallBacks.copyDescription, entry.value) + ";\n";
  });
  text += "}";
  return CreateStringFromUTF8(nullptr, text);
}

const ClassInfo kDictionaryClass = {kDictionaryTypeID, "CFDictionary", FinalizeDictionary, EqualDictionaries, nullptr,
                                    DescribeDictionary};


DictionaryObject* AsDictionary(CFTypeRef cf) { return As<DictionaryObject>(cf, kDictionaryTypeID); }

DictionaryObject* AsMutableDictionary(CFTypeRef cf) {
  DictionaryObject* dict = AsDictionary(cf);
  return dict && dict->isMutable ? dict : nullptr;
}

DictionaryObject* NewDictionary(CFAllocatorRef allocator, CFIndex capacity, const CFDictionaryKeyCallBacks* keyCallBacks,
                                const CFDictionaryValueCallBacks* valueCallBacks, bool isMutable) {
  if (capacity < 0) return nullptr;
  auto* dict = CreateObject<DictionaryObject>(allocator, &kDictionaryClass);
  if (!dict) return nullptr;
  dict->isMutable = isMutable;
  if (keyCallBacks) dict->keyCallBacks = *keyCallBacks;
  if (valueCallBacks) dict->valueCallBacks = *valueCallBacks;
  return dict;
}

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0,           RetainObjectCallBack, ReleaseObjectCallBack,
                                                                DescribeObjectCallBack, EqualObjectsCallBack, HashObjectCallBack};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, RetainObjectCallBack, ReleaseObjectCallBack, DescribeObjectCallBack,
                                                                    EqualObjectsCallBack};

CFTypeID CFDictionaryGetTypeID(void) { return kDictionaryTypeID; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || (numValues > 0 && (!keys || !values))) return nullptr;
  DictionaryObject* dict = NewDictionary(allocator, numValues, keyCallBacks, valueCallBacks, false);
  if (!dict) return nullptr;
  for (CFIndex i = 0; i < numValues; ++i) {
    if (Entry* existing = dict->Find(keys[i]))
      dict->ReplaceValue(*existing, values[i]);
    else
      dict->Insert(keys[i], values[i]);
  }
  return reinterpret_cast<CFDictionaryRef>(dict);
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  return reinterpret_cast<CFMutableDictionaryRef>(
      NewDictionary(allocator, capacity, keyCallBacks, valueCallBacks, true));
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
  const DictionaryObject* dict = AsDictionary(theDict);
  return dict ? static_cast<CFIndex>(dict->count) : 0;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key) {
  DictionaryObject* dict = AsDictionary(theDict);
  return dict && dict->Find(key);
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
  DictionaryObject* dict = AsDictionary(theDict);
  const Entry* entry = dict ? dict->Find(key) : nullptr;
  return entry ? entry->value : nullptr;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value) {
  DictionaryObject* dict = AsDictionary(theDict);
  const Entry* entry = dict ? dict->Find(key) : nullptr;
  if (entry && value) *value = entry->value;
  return entry != nullptr;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values) {
  const DictionaryObject* dict = AsDictionary(theDict);
  if (!dict) return;
  size_t i = 0;
  dict->ForEach([&](const Entry& entry) {
    if (keys) keys[i] = entry.key;
    if (values) values[i] = entry.value;
    ++i;
  });
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier, void* context) {
  const DictionaryObject* dict = AsDictionary(theDict);
  if (!dict || !applier) return;
  dict->ForEach([&](const Entry& entry) { applier(entry.key, entry.value, context); });
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  DictionaryObject* dict = AsMutableDictionary(theDict);
  if (dict && !dict->Find(key)) dict->Insert(key, value);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  DictionaryObject* dict = AsMutableDictionary(theDict);
  if (!dict) return;
  if (Entry* existing = dict->Find(key))
    dict->ReplaceValue(*existing, value);
  else
    dict->Insert(key, value);
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  DictionaryObject* dict = AsMutableDictionary(theDict);
  if (!dict) return;
  if (Entry* existing = dict->Find(key)) dict->ReplaceValue(*existing, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key) {
  DictionaryObject* dict = AsMutableDictionary(theDict);
  if (dict) dict->Remove(key);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict) {
  DictionaryObject* dict = AsMutableDictionary(theDict);
  if (!dict) return;
  std::vector<std::vector<Entry>> removed;
  removed.swap(dict->buckets);
  dict->count = 0;
  for (const auto& bucket : removed)
    for (const Entry& entry : bucket) dict->ReleaseEntry(entry);
}
