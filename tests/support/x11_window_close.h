#pragma once
// Asks a window to close the way a window manager does: a WM_DELETE_WINDOW client message.
// Include after the test framework: Xlib's macros (None, Bool, Status ...) clash with it.
#include <X11/Xlib.h>

namespace korv_test {

inline void CloseLikeAWindowManager(::Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

}  // namespace korv_test
