#pragma once
// A popup menu on the X server: override-redirect windows drawn with the raster library's fonts, one
// per open level, chosen or cancelled with the mouse and the keyboard. It never waits for anything
// itself: the display's event loop hands it the events, so whoever serves the display (a host's idle
// call included) keeps running while it is open.
#include <X11/Xlib.h>

#include <memory>

#include <AppKit/NSMenu.h>

namespace korv_appkit {

struct X11MenuScreen {
  ::Display* display;
  Window root;
  Visual* visual;
  int depth;
  int redShift, greenShift, blueShift;
  int width, height;  // device pixels
  double scale;       // device pixels per point
};

class X11Menu {
 public:
  // Shows menu with its top-left corner at (x, y) (root device pixels) and takes the pointer and the
  // keyboard. An empty menu shows nothing and is done at once. Long menus are cut to the screen and
  // scroll.
  X11Menu(const X11MenuScreen& screen, NSMenu* menu, int x, int y);
  // Closes every level and gives the pointer and the keyboard back.
  ~X11Menu();
  X11Menu(const X11Menu&) = delete;
  X11Menu& operator=(const X11Menu&) = delete;

  // Takes the event when it is the menu's: all pointer and key input while it is open (wherever the
  // pointer is) and its own windows' exposures. False for the others, which the caller handles.
  bool handle(XEvent& event);
  // Chosen, or cancelled by Escape or a press outside it.
  bool isDone() const;
  // The chosen item, or null when cancelled.
  NSMenuItem* chosen() const;

  class Session;

 private:
  std::unique_ptr<Session> mSession;
};

}  // namespace korv_appkit
