// The example's generated editor used headless: korval-host edit on a private X server, a value's menu
// (opened before and after the window moves) and its text field worked with synthetic clicks and keys,
// and the preset saved on closing read back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "host_test_support.h"

// Xlib's macros (None, Bool, Status ...) must come after the test framework.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "support/x11_window_close.h"
#include "support/xtest_probe.h"

namespace {

using namespace korval_host_test;
using korv_test::CloseLikeAWindowManager;
using korv_test::OpenXTestProbe;
using Clock = std::chrono::steady_clock;

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// The first top-level window on screen that wanted accepts; 0 when none shows within a minute (the
// host takes seconds to start under the sanitizers).
Window AwaitShownWindow(::Display* display, const std::function<bool(Window, const XWindowAttributes&)>& wanted) {
  for (const auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end; Pause(50)) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) continue;
    Window found = 0;
    XWindowAttributes attributes;
    for (unsigned i = 0; i < count && !found; ++i)
      if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
          wanted(children[i], attributes))
        found = children[i];
    if (children) XFree(children);
    if (found) return found;
  }
  return 0;
}

bool IsTheEditor(::Display* display, Window window) {
  char* name = nullptr;
  if (!XFetchName(display, window, &name) || !name) return false;
  const bool editor = std::string(name).starts_with("korval-host edit");
  XFree(name);
  return editor;
}

// The knobs layout gives parameter i a 96 x 112 cell at (2 + 98 i, 2) and writes its value in the
// cell's bottom rows (103 to 109 in a snapshot); a click there opens the value's menu or field.
constexpr int kValueY = 2 + 112 - 6;
int CellLeft(int paramIdx) { return 2 + 98 * paramIdx; }

void ClickValueOf(::Display* display, Window window, int paramIdx) {
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), CellLeft(paramIdx) + 48, kValueY, &rootX, &rootY,
                        &child);
  XTestFakeMotionEvent(display, -1, rootX, rootY, 0);
  XTestFakeButtonEvent(display, 1, True, 0);
  XTestFakeButtonEvent(display, 1, False, 0);
  XFlush(display);
}

void Keys(::Display* display, std::initializer_list<KeySym> keys) {
  for (KeySym key : keys) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, 0);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, 0);
    XFlush(display);
    Pause(50);
  }
}

// The shown menu's top left corner relative to the window's; a far-off mark when no menu shows.
std::pair<int, int> MenuOffset(::Display* display, Window window) {
  const Window menu = AwaitShownWindow(display, [](Window, const XWindowAttributes& a) { return a.override_redirect; });
  XWindowAttributes attributes;
  if (!menu || !XGetWindowAttributes(display, menu, &attributes)) return {-1000, -1000};
  int windowX = 0, windowY = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &windowX, &windowY, &child);
  return {attributes.x - windowX, attributes.y - windowY};
}

TEST(SlantwiseEditor, ModeChosenFromItsMenuAndTiltTypedAreSaved) {
  enum { kTilt = 0, kMode = 3 };
  korv_test::XvfbServer server("800x600x24");
  ::Display* probe = OpenXTestProbe(server);
  ASSERT_NE(probe, nullptr) << "Xvfb with XTest did not start";

  TempDir dir;
  const std::string preset = dir.Path("edited.aupreset"), bundle = KORV_EXAMPLE_BUNDLE_DIR;
  setenv("DISPLAY", server.Name().c_str(), 1);
  auto session = std::async(std::launch::async, [&] {
    return RunHost({"--bundle", bundle, "edit", "--layout", "knobs", "--save", preset}, 300);
  });
  const Window window = AwaitShownWindow(probe, [&](Window w, const XWindowAttributes&) { return IsTheEditor(probe, w); });
  ASSERT_NE(window, 0u);
  Pause(300);

  // The menu is a window of its own that takes the keyboard, just under the value's left edge where
  // the window is now: once where the window first showed, once after it moved. Its second row is Steep.
  ClickValueOf(probe, window, kMode);
  const std::pair<int, int> before = MenuOffset(probe, window);
  EXPECT_EQ(before.first, CellLeft(kMode) + 2);
  EXPECT_GT(before.second, kValueY);
  EXPECT_LE(before.second, kValueY + 12);
  Keys(probe, {XK_Escape});
  XMoveWindow(probe, window, 170, 130);
  XFlush(probe);
  Pause(600);
  ClickValueOf(probe, window, kMode);
  EXPECT_EQ(MenuOffset(probe, window), before);
  Keys(probe, {XK_Down, XK_Down, XK_Return});
  Pause(300);

  // The field opens holding the value selected: what is typed replaces it.
  ClickValueOf(probe, window, kTilt);
  Pause(500);
  Keys(probe, {XK_3, XK_Return});
  Pause(300);
  CloseLikeAWindowManager(probe, window);
  const HostRun edit = session.get();
  XCloseDisplay(probe);
  EXPECT_EQ(edit.exitStatus, 0) << edit.output;

  const HostRun shown = RunHost({"--bundle", bundle, "preset", "show", preset});
  ASSERT_EQ(shown.exitStatus, 0) << edit.output << shown.output;
  EXPECT_NE(shown.output.find("Mode = 1 (Steep)"), std::string::npos) << edit.output << shown.output;
  EXPECT_NE(shown.output.find("Tilt = 3 ("), std::string::npos) << edit.output << shown.output;
}

}  // namespace
