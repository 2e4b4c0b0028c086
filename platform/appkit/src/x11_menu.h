#pragma once
// A popup menu on the X server: override-redirect windows drawn with the raster library's fonts, one
// per open level, chosen or cancelled with the mouse and the keyboard.
#include <X11/Xlib.h>

#include <functional>

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

// Shows menu with its top-left corner at (x, y) (root device pixels) until an item is chosen (the
// result) or the menu is cancelled (null): by Escape, or a press outside it. otherEvent receives the
// X events that are not for the menu (so windows below keep being exposed); idle runs between them
// (timers and redraws go on) and cancels the menu by returning false (the display went away, or the
// program is ending). Long menus are cut to the screen and scroll.
NSMenuItem* RunX11Menu(const X11MenuScreen& screen, NSMenu* menu, int x, int y,
                       const std::function<void(const XEvent&)>& otherEvent, const std::function<bool()>& idle);

}  // namespace korv_appkit
