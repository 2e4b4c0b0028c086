#pragma once
// The root of reference-counted objects, the autorelease pool and classes found by name.
#include <Foundation/NSString.h>

// Objects start with one reference (their creator's). release() at zero deletes the object;
// autorelease() hands the reference to the innermost pool, which releases it when drained.
class NSObject {
 public:
  NSObject() = default;
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;
  virtual ~NSObject();

  NSObject* retain();
  void release();
  NSObject* autorelease();
  NSUInteger retainCount() const { return mRetainCount; }
  virtual NSString description() const;

 private:
  NSUInteger mRetainCount = 1;
};

// The typed form of retain/autorelease, for pointers kept as their own class.
template <class T>
T* NSRetained(T* object) {
  if (object) object->retain();
  return object;
}
template <class T>
T* NSAutoreleased(T* object) {
  if (object) object->autorelease();
  return object;
}

// Pools nest per thread. Releasing (or destroying) a pool releases what was autoreleased into it.
// Objects autoreleased with no pool open go to the thread's own pool, which the run loop drains
// after every pass and the thread drains when it ends.
class NSAutoreleasePool : public NSObject {
 public:
  NSAutoreleasePool();
  ~NSAutoreleasePool() override;

 private:
  std::vector<NSObject*>* mObjects;
};

// Classes that a host creates by name. A library registers its classes while it loads (see
// NS_REGISTER_CLASS) and unregisters them when it unloads; the first registration of a name wins.
typedef NSObject* (*NSClassFactory)();
struct NSClassEntry;
typedef const NSClassEntry* Class;

// Null when no class of that name is registered.
Class NSClassFromString(const NSString& name);
NSString NSStringFromClass(Class cls);
// A new instance (alloc and init) with one reference for the caller; null for a null class.
NSObject* NSClassCreateInstance(Class cls);

class NSClassRegistration {
 public:
  NSClassRegistration(const char* name, NSClassFactory factory);
  ~NSClassRegistration();
  NSClassRegistration(const NSClassRegistration&) = delete;
  NSClassRegistration& operator=(const NSClassRegistration&) = delete;

 private:
  const NSClassEntry* mEntry;
};

#define NS_REGISTER_CLASS(ClassName)                                   \
  static NSClassRegistration ClassName##_classRegistration(#ClassName, \
                                                           []() -> NSObject* { return new ClassName(); })
