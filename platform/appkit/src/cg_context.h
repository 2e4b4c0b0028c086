#pragma once
// The drawing context over a window's backing store.
#include <cstdint>
#include <vector>

#include <Foundation/NSGeometry.h>

struct CGContext {
  struct State {
    NSPoint origin;  // user space origin in window points
    int clipLeft, clipTop, clipRight, clipBottom;  // device pixels, origin top left, right/bottom exclusive
  };
  uint32_t* pixels;
  int width;
  int height;
  CGFloat scale;
  State state;
  std::vector<State> saved;
};

namespace korv_appkit {

// Device pixels (top-left origin, exclusive ends) covering a window rectangle in points.
struct DeviceRect {
  int left, top, right, bottom;
};
DeviceRect ToDevice(const CGContext& context, NSRect windowRect);

// Moves user space to origin (window points) and narrows the clip to area (window points).
void FocusContext(CGContextRef context, NSPoint origin, NSRect area);

}  // namespace korv_appkit
