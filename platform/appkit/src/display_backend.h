#pragma once
// What the portable windowing code asks of the display that shows it. One display is installed at a
// time; without one, a display with no screen and the system's clock stands in.
#include <functional>
#include <optional>

#include <AppKit/AppKit.h>

namespace korv_appkit {

class DisplayBackend {
 public:
  virtual ~DisplayBackend() = default;

  virtual NSTimeInterval now() const = 0;
  virtual CGFloat backingScale() const { return 1; }
  virtual NSRect screenFrame() const { return NSMakeRect(0, 0, 1920, 1080); }
  // Serves the run loop until the clock reaches date.
  virtual void runUntil(NSTimeInterval date) = 0;

  virtual void windowShown(NSWindow*) {}
  virtual void windowHidden(NSWindow*) {}
  // Device pixels of the window's backing store, origin top left, that a display pass redrew.
  virtual void present(NSWindow*, int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}

  // Receives the chosen item (of the menu or one of its submenus), or null when nothing was chosen.
  typedef std::function<void(NSMenuItem*)> MenuClosed;
  // Shows the menu at a point of the window and returns without waiting for it: whoever serves the
  // display drives it. closed is called once, when the user chooses or dismisses it, closeMenu is
  // called, another menu opens, or its window or the display goes; a display that answers at once
  // calls it before returning. The window is the one the location is in, when known.
  virtual void showMenu(NSMenu*, NSPoint /*locationInWindow*/, NSWindow*, NSView*, MenuClosed closed) {
    closed(nullptr);
  }
  // Closes the menu, if it is the one shown, as dismissed.
  virtual void closeMenu(NSMenu*) {}
  // Runs a save dialog starting at directory/name; the chosen path, or none when cancelled (and
  // always without a desktop to show one on).
  virtual std::optional<NSString> runSavePanel(const NSString& /*directory*/, const NSString& /*name*/) {
    return std::nullopt;
  }
  virtual void keyPassedToHost(NSEvent*) {}
  virtual bool openURL(const NSString&) { return false; }

  // An in-process pasteboard unless the display has a shared one.
  virtual std::optional<NSString> pasteboardString() { return mPasteboard; }
  virtual bool setPasteboardString(const std::optional<NSString>& text) {
    mPasteboard = text;
    return true;
  }

  virtual bool setCursorHidden(bool hidden) {
    mCursorHidden = hidden;
    return true;
  }
  // Global coordinates, origin top left.
  virtual bool moveCursor(CGPoint point) {
    mPointer = NSMakePoint(point.x, screenFrame().size.height - point.y);
    return true;
  }
  // Screen coordinates, origin bottom left.
  virtual NSPoint mouseLocation() const { return mPointer; }
  void notePointer(NSPoint screenPoint) { mPointer = screenPoint; }
  bool cursorHidden() const { return mCursorHidden; }

 private:
  std::optional<NSString> mPasteboard;
  bool mCursorHidden = false;
  NSPoint mPointer = NSZeroPoint;
};

DisplayBackend& Display();
// The display stays installed until uninstalled; installing over another one replaces it.
void InstallDisplay(DisplayBackend* display);
void UninstallDisplay(DisplayBackend* display);

// Display passes of every visible window, then the thread's implicit autorelease pool is drained.
void DisplayAllWindows();
void DrainThreadAutoreleasePool();
// Every window in creation order.
const std::vector<NSWindow*>& AllWindows();

}  // namespace korv_appkit
