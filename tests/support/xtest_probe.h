#pragma once
// A connection to a test's X server for playing the user with XTest. Xlib's macros (None, Bool,
// Status ...) come with it: include it after the test framework.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "support/xvfb_server.h"

namespace korv_test {

// Null when the server did not start, cannot be reached or lacks XTest; the caller closes it.
inline ::Display* OpenXTestProbe(const XvfbServer& server) {
  if (server.Name().empty()) return nullptr;
  ::Display* probe = XOpenDisplay(server.Name().c_str());
  int eventBase, errorBase, major, minor;
  if (probe && XTestQueryExtension(probe, &eventBase, &errorBase, &major, &minor)) return probe;
  if (probe) XCloseDisplay(probe);
  return nullptr;
}

}  // namespace korv_test
