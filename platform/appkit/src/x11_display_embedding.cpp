// The X11 display's windows inside another program's window, and windows another program destroyed.
#include "platform/appkit/src/x11_display_impl.h"

namespace korv_appkit {
namespace {

// Set while a window id from outside is being checked; the check's error is expected.
bool s_badWindowSeen = false;
int NoteBadWindow(::Display*, XErrorEvent*) {
  s_badWindowSeen = true;
  return 0;
}

}  // namespace

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

bool X11Display::wasDestroyedElsewhere(NSWindow* window) const {
  return window && mImpl->mDestroyedElsewhere.count(window->windowNumber()) > 0;
}

void X11Display::Impl::forgetDestroyed(NSWindow* window) {
  closeMenuOf(window);
  auto at = mShown.find(window->windowNumber());
  if (at == mShown.end()) return;
  at->second.xWindow = 0;
  destroyShown(at->second);
  auto embedded = mEmbedIn.find(window->windowNumber());
  if (embedded != mEmbedIn.end()) embedded->second = 0;
}

void X11Display::Impl::forgetIfGoneWithParent(NSWindow* window) {
  if (!mEmbedIn.count(window->windowNumber()) || !live()) return;
  // The embedding program may have destroyed its window just now; then ours is gone already.
  const Window xWindow = xWindowOf(window);
  XEvent destroyed;
  XSync(mDisplay, False);
  if (xWindow && XCheckTypedWindowEvent(mDisplay, xWindow, DestroyNotify, &destroyed)) forgetDestroyed(window);
}

}  // namespace korv_appkit
