#pragma once
// A display on an X server: each shown window is an X window of its size times the device scale,
// X input arrives as the platform's events, timers are served from the event loop, and redrawn areas
// are put on screen with XPutImage. Creating one makes it the process's display until it is destroyed.
#include <memory>

#include <AppKit/AppKit.h>

namespace korv_appkit {

class X11Display {
 public:
  // displayName null means $DISPLAY. backingScale 2 gives two device pixels per point.
  explicit X11Display(const char* displayName = nullptr, CGFloat backingScale = 1);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  // False when the X server could not be reached or has gone away (the server ended, or the connection
  // was killed); the display is then unusable, and the program carries on.
  bool isOpen() const;
  // Ends serving at once: runFor returns, an open save dialog or menu is cancelled, and serving
  // calls after it return at once. Safe in a signal handler.
  void interrupt();

  // A shown window of the view's size at origin (screen points, origin bottom left) with the view as
  // its content view; null when the display is not open. The window goes when the user closes it or
  // closeWindow is called.
  NSWindow* openWindow(NSView* view, const NSString& title, NSPoint origin = NSZeroPoint);
  // A shown window of the view's size inside the X window parentXWindow of another program (a host's
  // editor area), at its top left corner, with backingScale device pixels per point whatever the
  // display's own; null when the display is not open or that window does not exist. Close it with
  // closeWindow before the parent goes.
  NSWindow* openWindowIn(NSView* view, unsigned long parentXWindow, CGFloat backingScale = 1);
  void closeWindow(NSWindow* window);
  // The X window showing the window, 0 when there is none.
  unsigned long xWindowOf(NSWindow* window) const;
  // Whether another program destroyed the window's X window (a top-level window then closes as if
  // the user had closed it).
  bool wasDestroyedElsewhere(NSWindow* window) const;

  // Serves events, timers and redraws for that long (wall clock).
  void runFor(NSTimeInterval seconds);
  // Serves until every window is closed or serving is interrupted. False when the display is not open
  // or the server goes away.
  bool runUntilAllWindowsClosed();

  class Impl;

 private:
  NSWindow* show(NSWindow* window, NSView* view);
  std::unique_ptr<Impl> mImpl;
};

}  // namespace korv_appkit
