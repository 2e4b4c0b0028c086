#pragma once
// The X11 display's private state, shared by the files that hold its parts: the connection and its
// windows (x11_display.cpp), the event loop (x11_display_events.cpp), the clipboard
// (x11_display_clipboard.cpp) and windows inside another program's (x11_display_embedding.cpp).
#include <korval_platform/x11_display.h>

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/x11_menu.h"

namespace korv_appkit {

class X11Display::Impl : public DisplayBackend {
 public:
  struct Shown {
    Window xWindow = 0;
    XImage* image = nullptr;
    int width = 0;
    int height = 0;
  };
  struct OpenMenu {
    std::unique_ptr<X11Menu> shown;
    NSMenu* model;
    // The window it was opened for: the menu closes with it.
    NSInteger windowNumber;
    MenuClosed closed;
  };

  Impl(const char* name, CGFloat scale);
  ~Impl() override;

  // Connected, and the server has not gone away.
  bool live() const { return mDisplay && !mLost; }
  // And nobody has asked serving to end.
  bool serving() const { return live() && !mInterrupted; }

  NSTimeInterval now() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  CGFloat backingScale() const override { return mScale; }
  NSRect screenFrame() const override;

  void runUntil(NSTimeInterval date) override;
  void serveUntil(NSTimeInterval date);

  void windowShown(NSWindow* window) override;
  void windowHidden(NSWindow* window) override;
  void present(NSWindow* window, int x, int y, int width, int height) override;

  void showMenu(NSMenu* menu, NSPoint location, NSWindow* window, NSView*, MenuClosed closed) override;
  void closeMenu(NSMenu* menu) override;
  void closeMenuOf(NSWindow* window);
  // Closes the open menu, if any, with what was chosen so far.
  void closeMenu();
  // The root device pixel of a point in the window, asked of the server: the window may have been
  // moved, or sit inside another program's window, since we placed it.
  void rootPixelOf(NSWindow* window, NSPoint location, int* x, int* y);

  Window xWindowOf(NSWindow* window) const {
    auto at = mShown.find(window->windowNumber());
    return at == mShown.end() ? 0 : at->second.xWindow;
  }
  NSWindow* windowOf(Window xWindow) const {
    for (const auto& [number, shown] : mShown) {
      if (shown.xWindow == xWindow) return NSWindow::windowWithNumber(number);
    }
    return nullptr;
  }

  std::optional<NSString> runSavePanel(const NSString& directory, const NSString& name) override;
  bool openURL(const NSString& url) override;

  std::optional<NSString> pasteboardString() override;
  bool setPasteboardString(const std::optional<NSString>& text) override;
  void answerSelectionRequest(const XSelectionRequestEvent& request);

  bool setCursorHidden(bool hidden) override;
  bool moveCursor(CGPoint point) override;
  NSPoint mouseLocation() const override;

  void handle(XEvent& event);
  void handleButton(NSWindow* window, const XButtonEvent& button, bool press);
  void handleKey(NSWindow* window, XKeyEvent key);
  void send(NSWindow* window, NSEvent::Fields fields, int x, int y, unsigned int state);
  // Like the window manager's close request: the window closes, and is released when we opened it.
  void closeAsAsked(NSWindow* window);

  // After another program destroyed the window's X window: nothing may be drawn into it or destroy it.
  void forgetDestroyed(NSWindow* window);
  // For a window being closed: its X window went with the embedding program's, if that is gone.
  void forgetIfGoneWithParent(NSWindow* window);

  void destroyShown(Shown& shown);
  Cursor invisibleCursor();

  ::Display* mDisplay = nullptr;
  Visual* mVisual = nullptr;
  int mDepth = 0;
  Window mRoot = 0;
  Window mHelper = 0;
  int mRedShift = 16, mGreenShift = 8, mBlueShift = 0;
  Atom mDeleteWindow = 0, mProtocols = 0, mClipboard = 0, mUtf8 = 0, mTargets = 0, mTransfer = 0;
  CGFloat mScale;
  std::map<NSInteger, Shown> mShown;
  // The parent X window of each window embedded in another program's window.
  std::map<NSInteger, Window> mEmbedIn;
  std::vector<NSWindow*> mOpened;
  // Top-level windows that another program destroyed.
  std::set<NSInteger> mDestroyedElsewhere;
  // The dialog that takes all input while it is open (0: none).
  NSInteger mModalWindow = 0;
  std::optional<NSString> mOwnedText;
  std::optional<OpenMenu> mMenu;
  Cursor mInvisibleCursor = 0;
  bool mCursorHiddenHere = false;
  // Set by Xlib when the connection breaks; then nothing is sent any more.
  bool mLost = false;
  volatile std::sig_atomic_t mInterrupted = 0;
  unsigned int mLastButton = 0;
  Time mLastPressTime = 0;
  int mLastPressX = 0, mLastPressY = 0;
  NSInteger mClickCount = 0;
};

}  // namespace korv_appkit
