// A real X server (Xvfb, started here on a display it picks itself), a window with a canvas view at
// device scale 2, synthetic input through XTest, and the window read back from the server.
#include <Carbon/Carbon.h>
#include <gtest/gtest.h>
#include <korval_platform/x11_display.h>

#include <optional>
#include <string>

#include "test_views.h"

// Xlib's macros (None, Bool, Status ...) must come after the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "support/xtest_probe.h"

using korv_appkit::X11Display;
using korv_appkit_test::CanvasPixel;
using korv_appkit_test::CanvasView;
using korv_test::OpenXTestProbe;
using korv_test::XvfbServer;

namespace {

// A knob stand-in: dragging up brightens the canvas, as a value follows the pointer.
class DragView : public CanvasView {
 public:
  DragView() : CanvasView(60, 40, true) { paint(0); }
  bool acceptsFirstResponder() override { return true; }
  void mouseDown(NSEvent* e) override {
    downAt = e->locationInWindow();
    ticksAtPress = ticks;
    ++presses;
  }
  void mouseDragged(NSEvent* e) override {
    ++drags;
    paint(static_cast<int>(e->locationInWindow().y - downAt.y));
  }
  void mouseUp(NSEvent*) override {
    ticksDuringDrag = ticks - ticksAtPress;
    ++releases;
  }
  void keyDown(NSEvent* e) override {
    keyCode = e->keyCode();
    characters = e->charactersIgnoringModifiers();
  }
  void onTimer(NSTimer*) { ++ticks; }
  void paint(int level) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        pixels[y * width + x] = CanvasPixel(static_cast<uint8_t>(std::clamp(level * 4, 0, 255)),
                                            static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 6));
      }
    }
    setNeedsDisplay(true);
  }

  NSPoint downAt{};
  int presses = 0, drags = 0, releases = 0;
  int ticks = 0, ticksAtPress = 0, ticksDuringDrag = 0;
  unsigned short keyCode = 0;
  NSString characters;
};

}  // namespace

TEST(X11RoundTrip, DragInXvfbAndReadTheWindowBack) {
  XvfbServer server("640x480x24");
  ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
  X11Display display(server.Name().c_str(), 2);
  ASSERT_TRUE(display.isOpen());
  ::Display* probe = OpenXTestProbe(server);
  ASSERT_NE(probe, nullptr);

  DragView* view = new DragView();
  // Top-left of a 480-pixel (240-point) screen.
  NSWindow* window = display.openWindow(view, "round trip", NSMakePoint(0, 240 - 40));
  ASSERT_NE(window, nullptr);
  window->makeFirstResponder(view);
  NSTimer* timer = NSTimer::timerWithTimeInterval(0.04, view, &DragView::onTimer, nullptr, true);
  NSRunLoop::currentRunLoop()->addTimer(timer, kCFRunLoopCommonModes);
  display.runFor(0.3);
  Window xWindow = display.xWindowOf(window);
  ASSERT_NE(xWindow, 0u);

  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(probe, xWindow, DefaultRootWindow(probe), 0, 0, &rootX, &rootY, &child);
  // Press at device pixel (20, 70), then drag 40 device pixels (20 points) upwards.
  XTestFakeMotionEvent(probe, -1, rootX + 20, rootY + 70, 0);
  XTestFakeButtonEvent(probe, 1, True, 0);
  XFlush(probe);
  display.runFor(0.1);
  for (int step = 1; step <= 4; ++step) {
    XTestFakeMotionEvent(probe, -1, rootX + 20, rootY + 70 - 10 * step, 0);
    XFlush(probe);
    display.runFor(0.08);
  }
  XTestFakeButtonEvent(probe, 1, False, 0);
  XTestFakeKeyEvent(probe, XKeysymToKeycode(probe, XK_q), True, 0);
  XTestFakeKeyEvent(probe, XKeysymToKeycode(probe, XK_q), False, 0);
  XFlush(probe);
  display.runFor(0.3);

  EXPECT_EQ(view->presses, 1);
  EXPECT_GE(view->drags, 1);
  EXPECT_EQ(view->releases, 1);
  EXPECT_DOUBLE_EQ(view->downAt.x, 10.25);
  EXPECT_DOUBLE_EQ(view->downAt.y, 40 - 35.25);
  EXPECT_GE(view->ticksDuringDrag, 1) << "the timer keeps firing while the mouse is tracked";
  EXPECT_EQ(view->keyCode, kVK_ANSI_Q);
  EXPECT_EQ(view->characters, NSString("q"));

  // The server shows the last canvas, each pixel as a 2 x 2 block.
  XImage* shot = XGetImage(probe, xWindow, 0, 0, 120, 80, AllPlanes, ZPixmap);
  ASSERT_NE(shot, nullptr);
  uint8_t level = static_cast<uint8_t>(view->pixels[0] >> 8);
  EXPECT_EQ(level, 80) << "a 20-point drag";
  int mismatches = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      uint32_t expected = view->pixels[(y / 2) * 60 + x / 2];
      unsigned long pixel = XGetPixel(shot, x, y);
      bool same = ((pixel >> 16) & 0xFF) == ((expected >> 8) & 0xFF) &&
                  ((pixel >> 8) & 0xFF) == ((expected >> 16) & 0xFF) && (pixel & 0xFF) == (expected >> 24);
      mismatches += same ? 0 : 1;
    }
  }
  EXPECT_EQ(mismatches, 0);
  XDestroyImage(shot);

  timer->invalidate();
  display.closeWindow(window);
  display.runFor(0.05);
  XWindowAttributes attributes;
  XSync(probe, False);
  auto* previous = XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
  EXPECT_EQ(XGetWindowAttributes(probe, xWindow, &attributes), 0) << "the X window is gone";
  XSync(probe, False);
  XSetErrorHandler(previous);
  XCloseDisplay(probe);
  view->release();
}

TEST(X11RoundTrip, AnUnreachableServerLeavesTheDisplayClosed) {
  X11Display display(":9999", 1);
  EXPECT_FALSE(display.isOpen());
  NSView* view = new NSView(NSMakeRect(0, 0, 10, 10));
  EXPECT_EQ(display.openWindow(view, "none"), nullptr);
  display.runFor(0.01);
  EXPECT_FALSE(display.runUntilAllWindowsClosed());
  view->release();
}

// While the save dialog is open, clicks on the other windows do not reach them (a second dialog
// cannot open from inside the first), and an interrupt (a signal) cancels the dialog.
TEST(X11RoundTrip, TheSaveDialogTakesAllInputUntilAnInterruptCancelsIt) {
  XvfbServer server("640x480x24");
  ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
  X11Display display(server.Name().c_str(), 1);
  ASSERT_TRUE(display.isOpen());
  ::Display* probe = XOpenDisplay(server.Name().c_str());
  ASSERT_NE(probe, nullptr);
  DragView* view = new DragView();
  NSWindow* window = display.openWindow(view, "below the dialog", NSMakePoint(0, 240 - 40));
  ASSERT_NE(window, nullptr);
  display.runFor(0.2);
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(probe, display.xWindowOf(window), DefaultRootWindow(probe), 0, 0, &rootX, &rootY, &child);

  int step = 0;
  NSTimer* script = NSTimer::timerWithTimeInterval(
      0.2, nullptr,
      [&](NSTimer*) {
        if (++step == 1) {
          XTestFakeMotionEvent(probe, -1, rootX + 20, rootY + 20, 0);
          XTestFakeButtonEvent(probe, 1, True, 0);
          XTestFakeButtonEvent(probe, 1, False, 0);
          XFlush(probe);
        } else if (step == 3) {
          display.interrupt();
        }
      },
      nullptr, true);
  NSRunLoop::currentRunLoop()->addTimer(script, kCFRunLoopCommonModes);
  EXPECT_EQ(NSSavePanel::savePanel()->runModalForDirectory("/tmp", "dump.txt"), NSModalResponseCancel);
  EXPECT_EQ(step, 3);
  EXPECT_EQ(view->presses, 0);
  script->invalidate();
  display.closeWindow(window);
  XCloseDisplay(probe);
  view->release();
}

// The server ending under an open dialog: the dialog is cancelled, the display reports the loss, and
// the program (which may be a host with displays of its own) goes on.
TEST(X11RoundTrip, AServerGoingAwayCancelsTheDialogAndLeavesTheProgramRunning) {
  std::optional<XvfbServer> server(std::in_place, "640x480x24");
  ASSERT_FALSE(server->Name().empty()) << "Xvfb did not start";
  X11Display display(server->Name().c_str(), 1);
  ASSERT_TRUE(display.isOpen());
  NSView* view = new NSView(NSMakeRect(0, 0, 40, 30));
  NSWindow* window = display.openWindow(view, "lost");
  ASSERT_NE(window, nullptr);
  NSTimer* end = NSTimer::timerWithTimeInterval(0.2, nullptr, [&](NSTimer*) { server.reset(); }, nullptr, false);
  NSRunLoop::currentRunLoop()->addTimer(end, kCFRunLoopCommonModes);
  EXPECT_EQ(NSSavePanel::savePanel()->runModalForDirectory("/tmp", "dump.txt"), NSModalResponseCancel);
  EXPECT_FALSE(server.has_value());
  EXPECT_FALSE(display.isOpen());
  EXPECT_FALSE(display.runUntilAllWindowsClosed());
  display.closeWindow(window);
  view->release();
}
