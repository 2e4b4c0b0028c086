#include <algorithm>
#include <cstring>
#include <mutex>

#include <AudioUnit/AUCocoaUIView.h>
#include <Foundation/NSObject.h>

#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/thread_state.h"

namespace korv_appkit {

ThreadState::~ThreadState() {
  // The run loop first: releasing its timers may autorelease what they kept alive.
  if (runLoop) runLoop->release();
  runLoop = nullptr;
  DrainPool(implicitPool);
}

ThreadState& CurrentThreadState() {
  thread_local ThreadState state;
  return state;
}

void DrainPool(std::vector<NSObject*>& pool, size_t keep) {
  while (pool.size() > keep) {
    std::vector<NSObject*> batch(pool.begin() + static_cast<std::ptrdiff_t>(keep), pool.end());
    pool.resize(keep);
    for (NSObject* object : batch) object->release();
  }
}

ModalScope::ModalScope() { ++CurrentThreadState().modalDepth; }
ModalScope::~ModalScope() { --CurrentThreadState().modalDepth; }

}  // namespace korv_appkit

using korv_appkit::CurrentThreadState;

NSObject::~NSObject() = default;

NSObject* NSObject::retain() {
  ++mRetainCount;
  return this;
}

void NSObject::release() {
  if (--mRetainCount == 0) delete this;
}

NSObject* NSObject::autorelease() {
  korv_appkit::ThreadState& state = CurrentThreadState();
  (state.pools.empty() ? state.implicitPool : *state.pools.back()).push_back(this);
  return this;
}

NSString NSObject::description() const { return NSString("<NSObject>"); }

NSAutoreleasePool::NSAutoreleasePool() : mObjects(new std::vector<NSObject*>()) {
  CurrentThreadState().pools.push_back(mObjects);
}

NSAutoreleasePool::~NSAutoreleasePool() {
  // Pools end innermost first; an outer pool ending early drains the inner ones too (their own
  // objects still free the lists).
  std::vector<std::vector<NSObject*>*>& pools = CurrentThreadState().pools;
  if (std::find(pools.begin(), pools.end(), mObjects) != pools.end()) {
    for (;;) {
      std::vector<NSObject*>* innermost = pools.back();
      korv_appkit::DrainPool(*innermost);
      pools.pop_back();
      if (innermost == mObjects) break;
    }
  }
  korv_appkit::DrainPool(*mObjects);
  delete mObjects;
}

struct NSClassEntry {
  std::string name;
  NSClassFactory factory;
};

namespace {

struct ClassRegistry {
  std::mutex mutex;
  std::vector<NSClassEntry*> entries;
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

}  // namespace

NSClassRegistration::NSClassRegistration(const char* name, NSClassFactory factory) : mEntry(nullptr) {
  if (!name || !factory) return;
  ClassRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (const NSClassEntry* entry : registry.entries) {
    if (entry->name == name) return;
  }
  NSClassEntry* entry = new NSClassEntry{name, factory};
  registry.entries.push_back(entry);
  mEntry = entry;
}

NSClassRegistration::~NSClassRegistration() {
  if (!mEntry) return;
  ClassRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto at = std::find(registry.entries.begin(), registry.entries.end(), mEntry);
  if (at != registry.entries.end()) registry.entries.erase(at);
  delete mEntry;
}

Class NSClassFromString(const NSString& name) {
  ClassRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (const NSClassEntry* entry : registry.entries) {
    if (entry->name == name.utf8()) return entry;
  }
  return nullptr;
}

NSString NSStringFromClass(Class cls) { return cls ? NSString(cls->name) : NSString(); }

NSObject* NSClassCreateInstance(Class cls) { return cls ? cls->factory() : nullptr; }

AUCocoaUIBase::~AUCocoaUIBase() = default;
