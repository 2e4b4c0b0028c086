#pragma once
// The display's screen: its size in points and its device pixels per point.
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

class NSScreen : public NSObject {
 public:
  static NSScreen* mainScreen();
  NSRect frame() const;
  CGFloat backingScaleFactor() const;

 private:
  NSScreen() = default;
};
