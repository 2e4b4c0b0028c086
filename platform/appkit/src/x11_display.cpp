// The X11 display's connection, its windows and their pixels, menus, the cursor and the save dialog.
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/appkit/src/x11_display_impl.h"
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

}  // namespace

X11Display::Impl::Impl(const char* name, CGFloat scale) : mScale(scale > 0 ? scale : 1) {
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

X11Display::Impl::~Impl() {
  if (!mDisplay) return;
  for (auto& [number, shown] : mShown) destroyShown(shown);
  if (live()) {
    if (mInvisibleCursor) XFreeCursor(mDisplay, mInvisibleCursor);
    XDestroyWindow(mDisplay, mHelper);
  }
  XCloseDisplay(mDisplay);
  DisownDisplay(mDisplay);
}

NSRect X11Display::Impl::screenFrame() const {
  if (!mDisplay) return DisplayBackend::screenFrame();
  int screen = DefaultScreen(mDisplay);
  return NSMakeRect(0, 0, DisplayWidth(mDisplay, screen) / mScale, DisplayHeight(mDisplay, screen) / mScale);
}

void X11Display::Impl::windowShown(NSWindow* window) {
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

void X11Display::Impl::windowHidden(NSWindow* window) {
  closeMenuOf(window);
  auto at = mShown.find(window->windowNumber());
  if (at == mShown.end()) return;
  destroyShown(at->second);
  mShown.erase(at);
  if (live()) XFlush(mDisplay);
}

void X11Display::Impl::present(NSWindow* window, int x, int y, int width, int height) {
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

void X11Display::Impl::showMenu(NSMenu* menu, NSPoint location, NSWindow* window, NSView*, MenuClosed closed) {
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

void X11Display::Impl::closeMenu(NSMenu* menu) {
  if (mMenu && mMenu->model == menu) closeMenu();
}

void X11Display::Impl::closeMenuOf(NSWindow* window) {
  if (mMenu && mMenu->windowNumber == window->windowNumber()) closeMenu();
}

void X11Display::Impl::closeMenu() {
  if (!mMenu) return;
  OpenMenu open = std::move(*mMenu);
  mMenu.reset();
  NSMenuItem* chosen = open.shown->chosen();
  open.shown.reset();
  // Last: the caller may open another menu.
  open.closed(chosen);
}

void X11Display::Impl::rootPixelOf(NSWindow* window, NSPoint location, int* x, int* y) {
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

std::optional<NSString> X11Display::Impl::runSavePanel(const NSString& directory, const NSString& name) {
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

bool X11Display::Impl::openURL(const NSString& url) {
  // The desktop's opener, where there is one.
  pid_t child = 0;
  const char* argv[] = {"xdg-open", url.UTF8String(), nullptr};
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool X11Display::Impl::setCursorHidden(bool hidden) {
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

bool X11Display::Impl::moveCursor(CGPoint point) {
  if (!live()) return false;
  XWarpPointer(mDisplay, None, mRoot, 0, 0, 0, 0, static_cast<int>(std::lround(point.x * mScale)),
               static_cast<int>(std::lround(point.y * mScale)));
  XFlush(mDisplay);
  return true;
}

NSPoint X11Display::Impl::mouseLocation() const {
  if (!live()) return DisplayBackend::mouseLocation();
  Window rootReturn, childReturn;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  XQueryPointer(mDisplay, mRoot, &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask);
  return NSMakePoint(rootX / mScale, screenFrame().size.height - rootY / mScale);
}

void X11Display::Impl::destroyShown(Shown& shown) {
  if (shown.image) XDestroyImage(shown.image);
  if (shown.xWindow && live()) XDestroyWindow(mDisplay, shown.xWindow);
  shown = Shown();
}

Cursor X11Display::Impl::invisibleCursor() {
  if (!mInvisibleCursor) {
    char empty = 0;
    Pixmap blank = XCreateBitmapFromData(mDisplay, mRoot, &empty, 1, 1);
    XColor black{};
    mInvisibleCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
    XFreePixmap(mDisplay, blank);
  }
  return mInvisibleCursor;
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

NSWindow* X11Display::openWindow(NSView* view, const NSString& title, NSPoint origin) {
  if (!isOpen() || !view) return nullptr;
  NSRect frame = NSMakeRect(origin.x, origin.y, NSWidth(view->frame()), NSHeight(view->frame()));
  NSWindow* window = new NSWindow(frame, NSWindowStyleMaskTitled | NSWindowStyleMaskClosable,
                                  NSBackingStoreBuffered, false);
  window->setTitle(title);
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
  mImpl->forgetIfGoneWithParent(window);
  window->close();
  mImpl->mEmbedIn.erase(window->windowNumber());
  window->release();
  DrainThreadAutoreleasePool();
  if (mImpl->live()) XFlush(mImpl->mDisplay);
}

unsigned long X11Display::xWindowOf(NSWindow* window) const { return window ? mImpl->xWindowOf(window) : 0; }

}  // namespace korv_appkit
