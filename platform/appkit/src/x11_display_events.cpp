// The X11 display's event loop: X events to the platform's, timers and redraws served between them.
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/appkit/src/x11_display_impl.h"
#include "platform/appkit/src/x11_keys.h"

namespace korv_appkit {
namespace {

NSEventModifierFlags ModifiersOfState(unsigned int state) {
  NSEventModifierFlags flags = 0;
  if (state & ShiftMask) flags |= NSEventModifierFlagShift;
  if (state & ControlMask) flags |= NSEventModifierFlagControl;
  if (state & Mod1Mask) flags |= NSEventModifierFlagOption;
  if (state & Mod4Mask) flags |= NSEventModifierFlagCommand;
  if (state & LockMask) flags |= NSEventModifierFlagCapsLock;
  return flags;
}

bool IsInput(int eventType) {
  return eventType == ButtonPress || eventType == ButtonRelease || eventType == MotionNotify ||
         eventType == KeyPress || eventType == KeyRelease || eventType == ClientMessage;
}

// Multi-clicks: presses of one button close in time and place.
constexpr Time kDoubleClickMilliseconds = 500;
constexpr int kDoubleClickDistance = 5;

}  // namespace

void X11Display::Impl::runUntil(NSTimeInterval date) {
  serveUntil(date);
  // Nobody serves a display that has gone or was interrupted: its menu would never close.
  if (!serving()) closeMenu();
}

void X11Display::Impl::serveUntil(NSTimeInterval date) {
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

void X11Display::Impl::closeAsAsked(NSWindow* window) {
  auto at = std::find(mOpened.begin(), mOpened.end(), window);
  if (at != mOpened.end()) {
    mOpened.erase(at);
    window->close();
    window->release();
  } else {
    window->close();
  }
}

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

void X11Display::interrupt() { mImpl->mInterrupted = 1; }

void X11Display::runFor(NSTimeInterval seconds) {
  if (isOpen()) mImpl->runUntil(mImpl->now() + std::max(0.0, seconds));
}

bool X11Display::runUntilAllWindowsClosed() {
  while (mImpl->serving() && !mImpl->mOpened.empty()) runFor(0.5);
  return isOpen();
}

}  // namespace korv_appkit
