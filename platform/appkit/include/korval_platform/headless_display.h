#pragma once
// A display without a screen, driven by the caller: its clock moves only when advanced, events are
// injected at window locations, and each window's backing store is the screen image to read back.
// Creating one makes it the process's display until it is destroyed (one at a time).
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <AppKit/AppKit.h>

namespace korv_appkit {

// One screen pixel: what a window shows at a device pixel.
struct ScreenRGB {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  bool operator==(const ScreenRGB&) const = default;
};

class HeadlessDisplay {
 public:
  // backingScale is the screen's device pixels per point (1 or 2); screenSize is in points.
  explicit HeadlessDisplay(CGFloat backingScale = 1, NSSize screenSize = NSMakeSize(1920, 1080));
  ~HeadlessDisplay();
  HeadlessDisplay(const HeadlessDisplay&) = delete;
  HeadlessDisplay& operator=(const HeadlessDisplay&) = delete;

  // A shown, key window of the view's size at origin (screen points) with the view as its content
  // view. The display keeps the window until closeWindow or its own end.
  NSWindow* openWindow(NSView* view, NSPoint origin = NSZeroPoint);
  void closeWindow(NSWindow* window);

  NSTimeInterval now() const;
  // Runs the loop for that long: every timer due meanwhile fires at its own date, in order, each
  // firing followed by a display pass. Negative durations are ignored.
  void advanceTime(NSTimeInterval seconds);
  // A display pass: every window's invalid area is redrawn.
  void displayPass();

  // Event injection at window coordinates (points, origin bottom left). Each event is followed by a
  // display pass.
  void mouseDown(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0, NSInteger clickCount = 1);
  void mouseDragged(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0);
  void mouseUp(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0);
  void rightMouseDown(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0, NSInteger clickCount = 1);
  void rightMouseDragged(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0);
  void rightMouseUp(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0);
  void mouseMoved(NSWindow* window, NSPoint location, NSEventModifierFlags flags = 0);
  void scrollWheel(NSWindow* window, NSPoint location, CGFloat deltaY, NSEventModifierFlags flags = 0);
  // A full key press with explicit fields.
  void keyDown(NSWindow* window, unsigned short keyCode, const NSString& characters,
               const NSString& charactersIgnoringModifiers, NSEventModifierFlags flags = 0);
  // Presses the key of a printable ASCII character (or '\r', '\t', '\b' for Return, Tab and Delete)
  // on the platform's keyboard: upper-case letters and shifted symbols add Shift. False for characters
  // the keyboard has no key for.
  bool typeCharacter(NSWindow* window, char character, NSEventModifierFlags flags = 0);
  // Left-button press at from, steps drags evenly to to, release at to, advancing the clock by
  // stepTime before each drag and before the release.
  void drag(NSWindow* window, NSPoint from, NSPoint to, int steps, NSTimeInterval stepTime,
            NSEventModifierFlags flags = 0);

  // The window's screen image: device pixels (points × scale), rows top to bottom.
  int screenWidth(NSWindow* window) const;
  int screenHeight(NSWindow* window) const;
  ScreenRGB screenPixel(NSWindow* window, int x, int y) const;
  // Rows top to bottom, bytes A, R, G, B in memory per pixel (A is 255).
  const uint32_t* screenPixels(NSWindow* window) const;

  // Keys that reached the window without any view using them, oldest first.
  const std::vector<unsigned short>& keysPassedToHost() const;
  // The tool tip shown when the pointer rests at location (window coordinates); empty when none.
  NSString toolTipAt(NSWindow* window, NSPoint location) const;

  // Answers popup menus: given the menu and its location in window coordinates, returns the chosen
  // item (of the menu or one of its submenus) or null to dismiss. Without a handler menus are dismissed.
  // The handler may advance time: timers keep firing while a menu is open.
  typedef std::function<NSMenuItem*(NSMenu* menu, NSPoint location)> MenuHandler;
  void setMenuHandler(MenuHandler handler);
  // The titles of the menus shown so far, oldest first: each entry is one menu's item titles.
  const std::vector<std::vector<NSString>>& shownMenus() const;

  // URLs that openURL was asked for; none opens (there is no desktop), so openURL answers false.
  const std::vector<NSString>& requestedURLs() const;
  bool cursorHidden() const;
  // In global display coordinates, origin top left.
  CGPoint cursorPosition() const;

  class Impl;

 private:
  std::unique_ptr<Impl> mImpl;
};

}  // namespace korv_appkit
