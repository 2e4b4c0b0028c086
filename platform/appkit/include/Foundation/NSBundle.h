#pragma once
// Bundles found by identifier, over the Core Foundation bundles of the process.
#include <Foundation/NSObject.h>

class NSBundle : public NSObject {
 public:
  // Null when no loaded bundle has the identifier. Bundles live until the process ends.
  static NSBundle* bundleWithIdentifier(const NSString& identifier);
  static NSBundle* mainBundle();

  NSString bundleIdentifier() const;
  NSString bundlePath() const;
  // Contents/MacOS/<CFBundleExecutable>; empty when the Info.plist names none.
  NSString executablePath() const;
  // The path of Contents/Resources/name.type; empty when there is no such file.
  NSString pathForResource(const NSString& name, const NSString& type) const;

 private:
  explicit NSBundle(const void* cfBundle) : mBundle(cfBundle) {}
  const void* mBundle;
};
