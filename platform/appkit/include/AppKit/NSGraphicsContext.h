#pragma once
// The drawing destination of the current display pass.
#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>

class NSGraphicsContext : public NSObject {
 public:
  // Set by the window around each drawRect; null outside drawing.
  static NSGraphicsContext* currentContext();
  static void setCurrentContext(NSGraphicsContext* context);
  // An autoreleased context over a CoreGraphics context; null for a null port.
  static NSGraphicsContext* graphicsContextWithGraphicsPort(void* graphicsPort, bool flipped);

  void* graphicsPort() const { return mPort; }
  CGContextRef CGContext() const { return mPort; }
  bool isFlipped() const { return mFlipped; }

 private:
  NSGraphicsContext(CGContextRef port, bool flipped) : mPort(port), mFlipped(flipped) {}
  friend class NSWindow;
  CGContextRef mPort;
  bool mFlipped;
};
