#include <korval_platform/x11_display.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/x11_keys.h"
#include "platform/appkit/src/x11_menu.h"
#include "platform/appkit/src/x11_save_dialog.h"

extern char** environ;

namespace korv_appkit {
namespace {

int ShiftOfMask(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

NSEventModifierFlags ModifiersOfState(unsigned int state) {
  NSEventModifierFlags flags = 0;
  if (state & ShiftMask) flags |= NSEventModifierFlagShift;
  if (state & ControlMask) flags |= NSEventModifierFlagControl;
  if (state & Mod1Mask) flags |= NSEventModifierFlagOption;
  if (state & Mod4Mask) flags |= NSEventModifierFlagCommand;
  if (state & LockMask) flags |= NSEventModifierFlagCapsLock;
  return flags;
}

// Set while a window id from outside is being checked; the check's error is expected.
bool s_badWindowSeen = false;
int NoteBadWindow(::Display*, XErrorEvent*) {
  s_badWindowSeen = true;
  return 0;
}

// Xlib's own handlers end the process when a connection breaks or a request fails. This code also
// runs inside other programs (a host showing the editor), which the loss of our display must not end:
// for our displays the process-wide handlers return (the display's exit handler then marks it lost),
// and other displays' errors go on to the handlers that were there before.
std::vector<::Display*> s_ownDisplays;
XIOErrorHandler s_previousIOErrorHandler = nullptr;
XErrorHandler s_previousErrorHandler = nullptr;

bool IsOwn(::Display* display) {
  return std::find(s_ownDisplays.begin(), s_ownDisplays.end(), display) != s_ownDisplays.end();
}

int ReturnOnOwnConnectionLoss(::Display* display) {
  if (IsOwn(display)) return 0;
  return s_previousIOErrorHandler ? s_previousIOErrorHandler(display) : 0;
}

// Requests on a window another program destroyed fail until its DestroyNotify is read.
int IgnoreOwnGoneWindows(::Display* display, XErrorEvent* error) {
  if (IsOwn(display) && (error->error_code == BadWindow || error->error_code == BadDrawable)) return 0;
  return s_previousErrorHandler ? s_previousErrorHandler(display, error) : 0;
}

void AdoptDisplay(::Display* display) {
  if (s_ownDisplays.empty()) {
    s_previousIOErrorHandler = XSetIOErrorHandler(ReturnOnOwnConnectionLoss);
    s_previousErrorHandler = XSetErrorHandler(IgnoreOwnGoneWindows);
  }
  s_ownDisplays.push_back(display);
}

// After the display is closed. Handlers installed over ours since stay (they may pass on to ours).
void DisownDisplay(::Display* display) {
  s_ownDisplays.erase(std::remove(s_ownDisplays.begin(), s_ownDisplays.end(), display), s_ownDisplays.end());
  if (!s_ownDisplays.empty()) return;
  if (XIOErrorHandler current = XSetIOErrorHandler(s_previousIOErrorHandler); current != ReturnOnOwnConnectionLoss)
    XSetIOErrorHandler(current);
  if (XErrorHandler current = XSetErrorHandler(s_previousErrorHandler); current != IgnoreOwnGoneWindows)
    XSetErrorHandler(current);
}

bool IsInput(int eventType) {
  return eventType == ButtonPress || eventType == ButtonRelease || eventType == MotionNotify ||
         eventType == KeyPress || eventType == KeyRelease || eventType == ClientMessage;
}

// Multi-clicks: presses of one button close in time and place.
constexpr Time kDoubleClickMilliseconds = 500;
constexpr int kDoubleClickDistance = 5;

}  // namespace

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

  Impl(const char* name, CGFloat scale) : mScale(scale > 0 ? scale : 1) {
    mDisplay = XOpenDisplay(name);
    if (!mDisplay) return;
    AdoptDisplay(mDisplay);
    XSetIOErrorExitHandler(
        mDisplay, [](::Display*, void* impl) { static_cast<Impl*>(impl)->mLost = true; }, this);
    int screen = DefaultScreen(mDisplay);
    mVisual = DefaultVisual(mDisplay, screen);
    mDepth = DefaultDepth(mDisplay, screen);
    mRoot = RootWindow(mDisplay, screen);
    mRedShift = ShiftOfMask(mVisual->red_mask);
    mGreenShift = ShiftOfMask(mVisual->green_mask);
    mBlueShift = ShiftOfMask(mVisual->blue_mask);
    mDeleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    mProtocols = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
    mClipboard = XInternAtom(mDisplay, "CLIPBOARD", False);
    mUtf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
    mTargets = XInternAtom(mDisplay, "TARGETS", False);
    mTransfer = XInternAtom(mDisplay, "KORV_TRANSFER", False);
    mHelper = XCreateSimpleWindow(mDisplay, mRoot, 0, 0, 1, 1, 0, 0, 0);
  }

  ~Impl() override {
    if (!mDisplay) return;
    for (auto& [number, shown] : mShown) destroyShown(shown);
    if (live()) {
      if (mInvisibleCursor) XFreeCursor(mDisplay, mInvisibleCursor);
      XDestroyWindow(mDisplay, mHelper);
    }
    XCloseDisplay(mDisplay);
    DisownDisplay(mDisplay);
  }

  // Connected, and the server has not gone away.
  bool live() const { return mDisplay && !mLost; }
  // And nobody has asked serving to end.
  bool serving() const { return live() && !mInterrupted; }

  NSTimeInterval now() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  CGFloat backingScale() const override { return mScale; }
  NSRect screenFrame() const override {
    if (!mDisplay) return DisplayBackend::screenFrame();
    int screen = DefaultScreen(mDisplay);
    return NSMakeRect(0, 0, DisplayWidth(mDisplay, screen) / mScale, DisplayHeight(mDisplay, screen) / mScale);
  }

  void runUntil(NSTimeInterval date) override {
    serveUntil(date);
    // Nobody serves a display that has gone or was interrupted: its menu would never close.
    if (!serving()) closeMenu();
  }

  void serveUntil(NSTimeInterval date) {
    NSRunLoop* loop = NSRunLoop::currentRunLoop();
    for (;;) {
      while (serving() && XPending(mDisplay) > 0) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        handle(event);
      }
      if (!serving()) return;
      loop->fireDueTimers(now());
      DisplayAllWindows();
      if (!serving()) return;
      XFlush(mDisplay);
      NSTimeInterval next = loop->nextFireDate();
      NSTimeInterval wakeUp = (next >= 0 && next < date) ? next : date;
      NSTimeInterval wait = wakeUp - now();
      if (wakeUp >= date && wait <= 0) break;
      if (wait > 0 && XPending(mDisplay) == 0) {
        pollfd connection{ConnectionNumber(mDisplay), POLLIN, 0};
        int milliseconds = static_cast<int>(std::ceil(std::min(wait, 1.0) * 1000));
        if (poll(&connection, 1, milliseconds) > 0 && (connection.revents & (POLLHUP | POLLERR))) {
          mLost = true;
          return;
        }
      }
    }
  }

  void windowShown(NSWindow* window) override {
    if (!live()) return;
    Shown& shown = mShown[window->windowNumber()];
    int width = window->backingWidth();
    int height = window->backingHeight();
    if (width <= 0 || height <= 0) return;
    auto embedded = mEmbedIn.find(window->windowNumber());
    const bool isEmbedded = embedded != mEmbedIn.end();
    // The other program destroyed its window, and the one inside with it: nothing can show there.
    if (isEmbedded && !embedded->second) return;
    // An embedded window fills its parent's top left corner; the parent's owner places it.
    int x = isEmbedded ? 0 : static_cast<int>(std::lround(window->frame().origin.x * mScale));
    int y = isEmbedded ? 0
                       : static_cast<int>(std::lround((screenFrame().size.height - NSMaxY(window->frame())) * mScale));
    if (!shown.xWindow) {
      shown.xWindow = XCreateSimpleWindow(mDisplay, isEmbedded ? embedded->second : mRoot, x, y, width, height, 0,
                                          0, 0);
      XSelectInput(mDisplay, shown.xWindow,
                   ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                       KeyReleaseMask | StructureNotifyMask);
      if (!isEmbedded) XSetWMProtocols(mDisplay, shown.xWindow, &mDeleteWindow, 1);
    } else {
      XMoveResizeWindow(mDisplay, shown.xWindow, x, y, width, height);
    }
    // Windows keep their view's size: the window manager, or the host that embeds one (reading the
    // hints of the window it was given), must neither shrink nor stretch it.
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | (isEmbedded ? 0 : PPosition);
    hints.x = x;
    hints.y = y;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(mDisplay, shown.xWindow, &hints);
    if (!isEmbedded) XStoreName(mDisplay, shown.xWindow, window->title().UTF8String());
    if (shown.width != width || shown.height != height) {
      if (shown.image) XDestroyImage(shown.image);
      shown.image = nullptr;
      char* data = static_cast<char*>(std::calloc(static_cast<size_t>(width) * height, 4));
      if (data) {
        shown.image = XCreateImage(mDisplay, mVisual, mDepth, ZPixmap, 0, data, width, height, 32, 0);
        if (!shown.image) std::free(data);
      }
      shown.width = width;
      shown.height = height;
    }
    if (mCursorHiddenHere) XDefineCursor(mDisplay, shown.xWindow, invisibleCursor());
    XMapRaised(mDisplay, shown.xWindow);
    XFlush(mDisplay);
  }

  void windowHidden(NSWindow* window) override {
    closeMenuOf(window);
    auto at = mShown.find(window->windowNumber());
    if (at == mShown.end()) return;
    destroyShown(at->second);
    mShown.erase(at);
    if (live()) XFlush(mDisplay);
  }

  void present(NSWindow* window, int x, int y, int width, int height) override {
    auto at = mShown.find(window->windowNumber());
    if (!live() || at == mShown.end() || !at->second.image) return;
    Shown& shown = at->second;
    x = std::max(0, x);
    y = std::max(0, y);
    width = std::min(width, std::min(shown.width, window->backingWidth()) - x);
    height = std::min(height, std::min(shown.height, window->backingHeight()) - y);
    if (width <= 0 || height <= 0) return;
    const uint32_t* source = window->backingPixels();
    for (int row = y; row < y + height; ++row) {
      for (int column = x; column < x + width; ++column) {
        uint32_t word = source[static_cast<size_t>(row) * window->backingWidth() + column];
        unsigned long pixel = (static_cast<unsigned long>((word >> 8) & 0xFF) << mRedShift) |
                              (static_cast<unsigned long>((word >> 16) & 0xFF) << mGreenShift) |
                              (static_cast<unsigned long>(word >> 24) << mBlueShift);
        XPutPixel(shown.image, column, row, pixel);
      }
    }
    GC gc = DefaultGC(mDisplay, DefaultScreen(mDisplay));
    XPutImage(mDisplay, shown.xWindow, gc, shown.image, x, y, x, y, width, height);
  }

  void showMenu(NSMenu* menu, NSPoint location, NSWindow* window, NSView*, MenuClosed closed) override {
    // One menu at a time, as a press outside the open one would have closed it.
    closeMenu();
    if (!serving() || !menu) return closed(nullptr);
    const CGFloat scale = window ? window->backingScaleFactor() : mScale;
    const int screen = DefaultScreen(mDisplay);
    X11MenuScreen target{mDisplay, mRoot, mVisual, mDepth, mRedShift, mGreenShift, mBlueShift,
                         DisplayWidth(mDisplay, screen), DisplayHeight(mDisplay, screen), scale};
    int x = 0, y = 0;
    rootPixelOf(window, location, &x, &y);
    auto shown = std::make_unique<X11Menu>(target, menu, x, y);
    if (shown->isDone()) return closed(nullptr);
    mMenu = OpenMenu{std::move(shown), menu, window ? window->windowNumber() : 0, std::move(closed)};
  }

  void closeMenu(NSMenu* menu) override {
    if (mMenu && mMenu->model == menu) closeMenu();
  }

  void closeMenuOf(NSWindow* window) {
    if (mMenu && mMenu->windowNumber == window->windowNumber()) closeMenu();
  }

  // Closes the open menu, if any, with what was chosen so far.
  void closeMenu() {
    if (!mMenu) return;
    OpenMenu open = std::move(*mMenu);
    mMenu.reset();
    NSMenuItem* chosen = open.shown->chosen();
    open.shown.reset();
    // Last: the caller may open another menu.
    open.closed(chosen);
  }

  // The root device pixel of a point in the window, asked of the server: the window may have been
  // moved, or sit inside another program's window, since we placed it.
  void rootPixelOf(NSWindow* window, NSPoint location, int* x, int* y) {
    const Window xWindow = window ? xWindowOf(window) : 0;
    if (xWindow) {
      const CGFloat scale = window->backingScaleFactor();
      Window child = 0;
      if (XTranslateCoordinates(mDisplay, xWindow, mRoot, static_cast<int>(std::lround(location.x * scale)),
                                static_cast<int>(std::lround((NSHeight(window->frame()) - location.y) * scale)), x,
                                y, &child))
        return;
    }
    const NSPoint onScreen = window ? window->convertBaseToScreen(location) : location;
    *x = static_cast<int>(std::lround(onScreen.x * mScale));
    *y = static_cast<int>(std::lround((screenFrame().size.height - onScreen.y) * mScale));
  }

  Window xWindowOf(NSWindow* window) const {
    auto at = mShown.find(window->windowNumber());
    return at == mShown.end() ? 0 : at->second.xWindow;
  }

  std::optional<NSString> runSavePanel(const NSString& directory, const NSString& name) override {
    if (!serving()) return std::nullopt;
    const NSInteger outer = mModalWindow;
    std::optional<NSString> path = RunSaveDialog(directory, name, [this](NSWindow* dialog) {
      mModalWindow = dialog->windowNumber();
      runUntil(now() + 0.05);
      return serving();
    });
    mModalWindow = outer;
    return path;
  }

  bool openURL(const NSString& url) override {
    // The desktop's opener, where there is one.
    pid_t child = 0;
    const char* argv[] = {"xdg-open", url.UTF8String(), nullptr};
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  std::optional<NSString> pasteboardString() override {
    if (!live()) return std::nullopt;
    if (XGetSelectionOwner(mDisplay, mClipboard) == mHelper) return mOwnedText;
    if (XGetSelectionOwner(mDisplay, mClipboard) == None) return std::nullopt;
    XConvertSelection(mDisplay, mClipboard, mUtf8, mTransfer, mHelper, CurrentTime);
    XFlush(mDisplay);
    // The owner answers through the server; give it a second.
    NSTimeInterval deadline = now() + 1.0;
    XEvent event;
    while (!XCheckTypedWindowEvent(mDisplay, mHelper, SelectionNotify, &event)) {
      if (now() > deadline || !live()) return std::nullopt;
      pollfd connection{ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&connection, 1, 20);
    }
    if (event.xselection.property == None) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::optional<NSString> text;
    if (XGetWindowProperty(mDisplay, mHelper, mTransfer, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) == Success &&
        data && format == 8 && (type == mUtf8 || type == XA_STRING)) {
      text = NSString(std::string(reinterpret_cast<char*>(data), count));
    }
    if (data) XFree(data);
    return text;
  }

  bool setPasteboardString(const std::optional<NSString>& text) override {
    if (!live()) return false;
    mOwnedText = text;
    XSetSelectionOwner(mDisplay, mClipboard, text ? mHelper : None, CurrentTime);
    XFlush(mDisplay);
    return !text || XGetSelectionOwner(mDisplay, mClipboard) == mHelper;
  }

  bool setCursorHidden(bool hidden) override {
    if (!live()) return false;
    mCursorHiddenHere = hidden;
    for (auto& [number, shown] : mShown) {
      if (hidden) {
        XDefineCursor(mDisplay, shown.xWindow, invisibleCursor());
      } else {
        XUndefineCursor(mDisplay, shown.xWindow);
      }
    }
    XFlush(mDisplay);
    return DisplayBackend::setCursorHidden(hidden);
  }

  bool moveCursor(CGPoint point) override {
    if (!live()) return false;
    XWarpPointer(mDisplay, None, mRoot, 0, 0, 0, 0, static_cast<int>(std::lround(point.x * mScale)),
                 static_cast<int>(std::lround(point.y * mScale)));
    XFlush(mDisplay);
    return true;
  }

  NSPoint mouseLocation() const override {
    if (!live()) return DisplayBackend::mouseLocation();
    Window rootReturn, childReturn;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    XQueryPointer(mDisplay, mRoot, &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask);
    return NSMakePoint(rootX / mScale, screenFrame().size.height - rootY / mScale);
  }

  NSWindow* windowOf(Window xWindow) const {
    for (const auto& [number, shown] : mShown) {
      if (shown.xWindow == xWindow) return NSWindow::windowWithNumber(number);
    }
    return nullptr;
  }

  void handle(XEvent& event);
  void handleButton(NSWindow* window, const XButtonEvent& button, bool press);
  void handleKey(NSWindow* window, XKeyEvent key);
  void answerSelectionRequest(const XSelectionRequestEvent& request);
  void send(NSWindow* window, NSEvent::Fields fields, int x, int y, unsigned int state);

  void forgetDestroyed(NSWindow* window) {
    closeMenuOf(window);
    auto at = mShown.find(window->windowNumber());
    if (at == mShown.end()) return;
    at->second.xWindow = 0;
    destroyShown(at->second);
    auto embedded = mEmbedIn.find(window->windowNumber());
    if (embedded != mEmbedIn.end()) embedded->second = 0;
  }

  // Like the window manager's close request: the window closes, and is released when we opened it.
  void closeAsAsked(NSWindow* window) {
    auto at = std::find(mOpened.begin(), mOpened.end(), window);
    if (at != mOpened.end()) {
      mOpened.erase(at);
      window->close();
      window->release();
    } else {
      window->close();
    }
  }

  void destroyShown(Shown& shown) {
    if (shown.image) XDestroyImage(shown.image);
    if (shown.xWindow && live()) XDestroyWindow(mDisplay, shown.xWindow);
    shown = Shown();
  }

  Cursor invisibleCursor() {
    if (!mInvisibleCursor) {
      char empty = 0;
      Pixmap blank = XCreateBitmapFromData(mDisplay, mRoot, &empty, 1, 1);
      XColor black{};
      mInvisibleCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
      XFreePixmap(mDisplay, blank);
    }
    return mInvisibleCursor;
  }

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

void X11Display::Impl::send(NSWindow* window, NSEvent::Fields fields, int x, int y, unsigned int state) {
  fields.window = window;
  fields.timestamp = now();
  const CGFloat scale = window->backingScaleFactor();
  fields.location = NSMakePoint((x + 0.5) / scale, NSHeight(window->frame()) - (y + 0.5) / scale);
  fields.modifierFlags = ModifiersOfState(state);
  NSEvent event(std::move(fields));
  window->sendEvent(&event);
}

void X11Display::Impl::handleButton(NSWindow* window, const XButtonEvent& button, bool press) {
  NSEvent::Fields fields;
  if (button.button == Button4 || button.button == Button5) {
    if (!press) return;
    fields.type = NSEventTypeScrollWheel;
    fields.deltaY = button.button == Button4 ? 1 : -1;
    send(window, std::move(fields), button.x, button.y, button.state);
    return;
  }
  if (button.button != Button1 && button.button != Button3) return;
  bool left = button.button == Button1;
  if (press) {
    bool repeat = button.button == mLastButton && button.time - mLastPressTime <= kDoubleClickMilliseconds &&
                  std::abs(button.x - mLastPressX) <= kDoubleClickDistance &&
                  std::abs(button.y - mLastPressY) <= kDoubleClickDistance;
    mClickCount = repeat ? mClickCount + 1 : 1;
    mLastButton = button.button;
    mLastPressTime = button.time;
    mLastPressX = button.x;
    mLastPressY = button.y;
    fields.type = left ? NSEventTypeLeftMouseDown : NSEventTypeRightMouseDown;
  } else {
    fields.type = left ? NSEventTypeLeftMouseUp : NSEventTypeRightMouseUp;
  }
  fields.clickCount = mClickCount;
  send(window, std::move(fields), button.x, button.y, button.state);
}

void X11Display::Impl::handleKey(NSWindow* window, XKeyEvent key) {
  NSEvent::Fields fields;
  fields.type = key.type == KeyPress ? NSEventTypeKeyDown : NSEventTypeKeyUp;
  char typed[32] = {};
  KeySym keysym = NoSymbol;
  int length = XLookupString(&key, typed, sizeof(typed) - 1, &keysym, nullptr);
  // Without modifiers other than Shift, as the platform reports them.
  XKeyEvent plain = key;
  plain.state &= ShiftMask | LockMask;
  char plainTyped[32] = {};
  KeySym plainKeysym = NoSymbol;
  int plainLength = XLookupString(&plain, plainTyped, sizeof(plainTyped) - 1, &plainKeysym, nullptr);
  unsigned short keyCode = 0;
  if (!KeyCodeForKeySym(plainKeysym, &keyCode) && !KeyCodeForKeySym(keysym, &keyCode)) keyCode = 0xFFFF;
  fields.keyCode = keyCode;
  if (unsigned short function = FunctionCharacterForKeySym(plainKeysym)) {
    fields.characters = fields.charactersIgnoringModifiers = NSString::stringWithCharacters(&function, 1);
  } else {
    // Latin-1 bytes from XLookupString become their code points.
    auto latin1 = [](const char* bytes, int count) {
      std::vector<unichar> units;
      for (int i = 0; i < count; ++i) units.push_back(static_cast<unsigned char>(bytes[i]));
      return NSString::stringWithCharacters(units.data(), units.size());
    };
    fields.characters = latin1(typed, std::max(0, length));
    fields.charactersIgnoringModifiers = latin1(plainTyped, std::max(0, plainLength));
  }
  send(window, std::move(fields), key.x, key.y, key.state);
}

void X11Display::Impl::answerSelectionRequest(const XSelectionRequestEvent& request) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = None;
  Atom property = request.property != None ? request.property : request.target;
  if (mOwnedText && request.target == mTargets) {
    Atom offered[] = {mTargets, mUtf8, XA_STRING};
    XChangeProperty(mDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(offered), 3);
    reply.property = property;
  } else if (mOwnedText && (request.target == mUtf8 || request.target == XA_STRING)) {
    const std::string& text = mOwnedText->utf8();
    XChangeProperty(mDisplay, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    reply.property = property;
  }
  XSendEvent(mDisplay, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

void X11Display::Impl::handle(XEvent& event) {
  if (mMenu && mMenu->shown->handle(event)) {
    if (mMenu->shown->isDone()) closeMenu();
    return;
  }
  if (event.type == SelectionRequest) {
    answerSelectionRequest(event.xselectionrequest);
    return;
  }
  if (event.type == SelectionClear) {
    mOwnedText.reset();
    return;
  }
  NSWindow* window = windowOf(event.xany.window);
  if (!window) return;
  if (mModalWindow && window->windowNumber() != mModalWindow && IsInput(event.type)) {
    // One dialog at a time: the other windows are redrawn but take no input while it is open, and
    // what is typed goes to it.
    NSWindow* modal = NSWindow::windowWithNumber(mModalWindow);
    if (!modal || (event.type != KeyPress && event.type != KeyRelease)) return;
    window = modal;
  }
  switch (event.type) {
    case Expose: {
      const XExposeEvent& expose = event.xexpose;
      present(window, expose.x, expose.y, expose.width, expose.height);
      break;
    }
    case ButtonPress:
    case ButtonRelease:
      handleButton(window, event.xbutton, event.type == ButtonPress);
      break;
    case MotionNotify: {
      const XMotionEvent& motion = event.xmotion;
      NSEvent::Fields fields;
      fields.type = (motion.state & Button1Mask)   ? NSEventTypeLeftMouseDragged
                    : (motion.state & Button3Mask) ? NSEventTypeRightMouseDragged
                                                   : NSEventTypeMouseMoved;
      send(window, std::move(fields), motion.x, motion.y, motion.state);
      break;
    }
    case KeyPress:
    case KeyRelease:
      handleKey(window, event.xkey);
      break;
    case DestroyNotify:
      // Ours are forgotten before we destroy them: another program destroyed this one, an embedding
      // program with its own window. Drawing into it or destroying it again would be an X error.
      if (event.xdestroywindow.window != event.xdestroywindow.event) break;
      forgetDestroyed(window);
      // A window of its own gone from the screen ends like one the user closed.
      if (!mEmbedIn.count(window->windowNumber())) {
        mDestroyedElsewhere.insert(window->windowNumber());
        closeAsAsked(window);
      }
      break;
    case ClientMessage:
      if (event.xclient.message_type == mProtocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == mDeleteWindow)
        closeAsAsked(window);
      break;
    default:
      break;
  }
}

X11Display::X11Display(const char* displayName, CGFloat backingScale)
    : mImpl(std::make_unique<Impl>(displayName, backingScale)) {
  if (mImpl->mDisplay) InstallDisplay(mImpl.get());
}

X11Display::~X11Display() {
  std::vector<NSWindow*> windows = mImpl->mOpened;
  for (NSWindow* window : windows) closeWindow(window);
  mImpl->closeMenu();
  DrainThreadAutoreleasePool();
  UninstallDisplay(mImpl.get());
}

bool X11Display::isOpen() const { return mImpl->live(); }

void X11Display::interrupt() { mImpl->mInterrupted = 1; }

bool X11Display::wasDestroyedElsewhere(NSWindow* window) const {
  return window && mImpl->mDestroyedElsewhere.count(window->windowNumber()) > 0;
}

NSWindow* X11Display::openWindow(NSView* view, const NSString& title, NSPoint origin) {
  if (!isOpen() || !view) return nullptr;
  NSRect frame = NSMakeRect(origin.x, origin.y, NSWidth(view->frame()), NSHeight(view->frame()));
  NSWindow* window = new NSWindow(frame, NSWindowStyleMaskTitled | NSWindowStyleMaskClosable,
                                  NSBackingStoreBuffered, false);
  window->setTitle(title);
  return show(window, view);
}

NSWindow* X11Display::openWindowIn(NSView* view, unsigned long parentXWindow, CGFloat backingScale) {
  if (!isOpen() || !view || !parentXWindow) return nullptr;
  ::Display* display = mImpl->mDisplay;
  // The id comes from another program: a window that does not exist must not end this process the
  // way Xlib's default error handler would.
  XSync(display, False);
  s_badWindowSeen = false;
  XErrorHandler previous = XSetErrorHandler(NoteBadWindow);
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display, parentXWindow, &attributes) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  if (!exists || s_badWindowSeen) return nullptr;
  // Titled, so it can become key and take typed values; a child window has no frame drawn anyway.
  NSWindow* window = new NSWindow(NSMakeRect(0, 0, NSWidth(view->frame()), NSHeight(view->frame())),
                                  NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  window->setBackingScaleFactor(backingScale);
  mImpl->mEmbedIn[window->windowNumber()] = parentXWindow;
  return show(window, view);
}

NSWindow* X11Display::show(NSWindow* window, NSView* view) {
  window->setReleasedWhenClosed(false);
  window->contentView()->addSubview(view);
  view->setFrameOrigin(NSZeroPoint);
  mImpl->mOpened.push_back(window);
  window->makeKeyAndOrderFront(nullptr);
  DisplayAllWindows();
  if (mImpl->live()) XFlush(mImpl->mDisplay);
  return window;
}

void X11Display::closeWindow(NSWindow* window) {
  auto& opened = mImpl->mOpened;
  auto at = std::find(opened.begin(), opened.end(), window);
  if (at == opened.end()) return;
  opened.erase(at);
  if (mImpl->mEmbedIn.count(window->windowNumber()) && mImpl->live()) {
    // The embedding program may have destroyed its window just now; then ours is gone already.
    const Window xWindow = xWindowOf(window);
    XEvent destroyed;
    XSync(mImpl->mDisplay, False);
    if (xWindow && XCheckTypedWindowEvent(mImpl->mDisplay, xWindow, DestroyNotify, &destroyed))
      mImpl->forgetDestroyed(window);
  }
  window->close();
  mImpl->mEmbedIn.erase(window->windowNumber());
  window->release();
  DrainThreadAutoreleasePool();
  if (mImpl->live()) XFlush(mImpl->mDisplay);
}

unsigned long X11Display::xWindowOf(NSWindow* window) const { return window ? mImpl->xWindowOf(window) : 0; }

void X11Display::runFor(NSTimeInterval seconds) {
  if (isOpen()) mImpl->runUntil(mImpl->now() + std::max(0.0, seconds));
}

bool X11Display::runUntilAllWindowsClosed() {
  while (mImpl->serving() && !mImpl->mOpened.empty()) runFor(0.5);
  return isOpen();
}

}  // namespace korv_appkit
