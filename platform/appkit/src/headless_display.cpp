#include <korval_platform/headless_display.h>

#include <Carbon/Carbon.h>

#include "platform/appkit/src/ansi_keys.h"

#include <algorithm>
#include <cctype>

#include "platform/appkit/src/display_backend.h"

namespace korv_appkit {

class HeadlessDisplay::Impl : public DisplayBackend {
 public:
  Impl(CGFloat scale, NSSize screenSize) : mScale(scale > 0 ? scale : 1), mScreenSize(screenSize) {}

  NSTimeInterval now() const override { return mNow; }
  CGFloat backingScale() const override { return mScale; }
  NSRect screenFrame() const override { return NSMakeRect(0, 0, mScreenSize.width, mScreenSize.height); }

  void runUntil(NSTimeInterval date) override {
    NSRunLoop* loop = NSRunLoop::currentRunLoop();
    for (;;) {
      NSTimeInterval next = loop->nextFireDate();
      if (next < 0 || next > date) break;
      mNow = std::max(mNow, next);
      loop->fireDueTimers(mNow);
      DisplayAllWindows();
    }
    mNow = std::max(mNow, date);
    DisplayAllWindows();
  }

  void showMenu(NSMenu* menu, NSPoint location, NSWindow*, NSView*, MenuClosed closed) override {
    std::vector<NSString> titles;
    for (NSMenuItem* item : menu->itemArray()) titles.push_back(item->title());
    mShownMenus.push_back(std::move(titles));
    closed(mMenuHandler ? mMenuHandler(menu, location) : nullptr);
  }

  void keyPassedToHost(NSEvent* event) override { mKeysPassed.push_back(event->keyCode()); }

  bool openURL(const NSString& url) override {
    mRequestedURLs.push_back(url);
    return false;
  }

  void send(NSWindow* window, NSEvent::Fields fields) {
    if (!window) return;
    fields.window = window;
    fields.timestamp = mNow;
    NSEvent event(std::move(fields));
    window->sendEvent(&event);
    DisplayAllWindows();
  }

  void sendMouse(NSWindow* window, NSEventType type, NSPoint location, NSEventModifierFlags flags,
                 NSInteger clickCount) {
    NSEvent::Fields fields;
    fields.type = type;
    fields.location = location;
    fields.modifierFlags = flags;
    fields.clickCount = clickCount;
    send(window, std::move(fields));
  }

  CGFloat mScale;
  NSSize mScreenSize;
  NSTimeInterval mNow = 0;
  std::vector<NSWindow*> mWindows;
  std::vector<unsigned short> mKeysPassed;
  std::vector<std::vector<NSString>> mShownMenus;
  std::vector<NSString> mRequestedURLs;
  MenuHandler mMenuHandler;
  NSInteger mLastClickCount = 0;
};

HeadlessDisplay::HeadlessDisplay(CGFloat backingScale, NSSize screenSize)
    : mImpl(std::make_unique<Impl>(backingScale, screenSize)) {
  InstallDisplay(mImpl.get());
}

HeadlessDisplay::~HeadlessDisplay() {
  std::vector<NSWindow*> windows = mImpl->mWindows;
  for (NSWindow* window : windows) closeWindow(window);
  DrainThreadAutoreleasePool();
  UninstallDisplay(mImpl.get());
}

NSWindow* HeadlessDisplay::openWindow(NSView* view, NSPoint origin) {
  if (!view) return nullptr;
  NSRect frame = NSMakeRect(origin.x, origin.y, NSWidth(view->frame()), NSHeight(view->frame()));
  NSWindow* window = new NSWindow(frame, NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  window->contentView()->addSubview(view);
  view->setFrameOrigin(NSZeroPoint);
  mImpl->mWindows.push_back(window);
  window->makeKeyAndOrderFront(nullptr);
  DisplayAllWindows();
  return window;
}

void HeadlessDisplay::closeWindow(NSWindow* window) {
  auto& windows = mImpl->mWindows;
  auto at = std::find(windows.begin(), windows.end(), window);
  if (at == windows.end()) return;
  windows.erase(at);
  window->close();
  window->release();
  DrainThreadAutoreleasePool();
}

NSTimeInterval HeadlessDisplay::now() const { return mImpl->mNow; }

void HeadlessDisplay::advanceTime(NSTimeInterval seconds) {
  if (seconds > 0) mImpl->runUntil(mImpl->mNow + seconds);
}

void HeadlessDisplay::displayPass() { DisplayAllWindows(); }

void HeadlessDisplay::mouseDown(NSWindow* window, NSPoint location, NSEventModifierFlags flags, NSInteger clickCount) {
  mImpl->sendMouse(window, NSEventTypeLeftMouseDown, location, flags, clickCount);
  mImpl->mLastClickCount = clickCount;
}

void HeadlessDisplay::mouseDragged(NSWindow* window, NSPoint location, NSEventModifierFlags flags) {
  mImpl->sendMouse(window, NSEventTypeLeftMouseDragged, location, flags, 0);
}

void HeadlessDisplay::mouseUp(NSWindow* window, NSPoint location, NSEventModifierFlags flags) {
  mImpl->sendMouse(window, NSEventTypeLeftMouseUp, location, flags, mImpl->mLastClickCount);
}

void HeadlessDisplay::rightMouseDown(NSWindow* window, NSPoint location, NSEventModifierFlags flags,
                                     NSInteger clickCount) {
  mImpl->sendMouse(window, NSEventTypeRightMouseDown, location, flags, clickCount);
  mImpl->mLastClickCount = clickCount;
}

void HeadlessDisplay::rightMouseDragged(NSWindow* window, NSPoint location, NSEventModifierFlags flags) {
  mImpl->sendMouse(window, NSEventTypeRightMouseDragged, location, flags, 0);
}

void HeadlessDisplay::rightMouseUp(NSWindow* window, NSPoint location, NSEventModifierFlags flags) {
  mImpl->sendMouse(window, NSEventTypeRightMouseUp, location, flags, mImpl->mLastClickCount);
}

void HeadlessDisplay::mouseMoved(NSWindow* window, NSPoint location, NSEventModifierFlags flags) {
  mImpl->sendMouse(window, NSEventTypeMouseMoved, location, flags, 0);
}

void HeadlessDisplay::scrollWheel(NSWindow* window, NSPoint location, CGFloat deltaY, NSEventModifierFlags flags) {
  NSEvent::Fields fields;
  fields.type = NSEventTypeScrollWheel;
  fields.location = location;
  fields.modifierFlags = flags;
  fields.deltaY = deltaY;
  mImpl->send(window, std::move(fields));
}

void HeadlessDisplay::keyDown(NSWindow* window, unsigned short keyCode, const NSString& characters,
                              const NSString& charactersIgnoringModifiers, NSEventModifierFlags flags) {
  NSEvent::Fields fields;
  fields.type = NSEventTypeKeyDown;
  fields.location = window ? window->convertScreenToBase(NSEvent::mouseLocation()) : NSZeroPoint;
  fields.modifierFlags = flags;
  fields.keyCode = keyCode;
  fields.characters = characters;
  fields.charactersIgnoringModifiers = charactersIgnoringModifiers;
  mImpl->send(window, std::move(fields));
}

namespace {

struct KeyOfCharacter {
  unsigned short keyCode;
  bool shifted;
};

// The ANSI keyboard: which key (and whether Shift) gives each printable character.
bool FindKey(char c, KeyOfCharacter* key) {
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  struct Symbol {
    char plain, shifted;
    unsigned short keyCode;
  };
  static const Symbol kSymbols[] = {
      {'-', '_', kVK_ANSI_Minus},       {'=', '+', kVK_ANSI_Equal},     {'[', '{', kVK_ANSI_LeftBracket},
      {']', '}', kVK_ANSI_RightBracket}, {'\\', '|', kVK_ANSI_Backslash}, {';', ':', kVK_ANSI_Semicolon},
      {'\'', '"', kVK_ANSI_Quote},      {',', '<', kVK_ANSI_Comma},     {'.', '>', kVK_ANSI_Period},
      {'/', '?', kVK_ANSI_Slash},       {'`', '~', kVK_ANSI_Grave}};
  if (c >= 'a' && c <= 'z') *key = {kAnsiLetterKeys[c - 'a'], false};
  else if (c >= 'A' && c <= 'Z') *key = {kAnsiLetterKeys[c - 'A'], true};
  else if (c >= '0' && c <= '9') *key = {kAnsiDigitKeys[c - '0'], false};
  else if (c == ' ') *key = {kVK_Space, false};
  else if (c == '\r') *key = {kVK_Return, false};
  else if (c == '\t') *key = {kVK_Tab, false};
  else if (c == '\b') *key = {kVK_Delete, false};
  else {
    for (int i = 0; i < 10; ++i) {
      if (kShiftedDigits[i] == c) {
        *key = {kAnsiDigitKeys[i], true};
        return true;
      }
    }
    for (const Symbol& symbol : kSymbols) {
      if (symbol.plain == c || symbol.shifted == c) {
        *key = {symbol.keyCode, symbol.shifted == c};
        return true;
      }
    }
    return false;
  }
  return true;
}

}  // namespace

bool HeadlessDisplay::typeCharacter(NSWindow* window, char character, NSEventModifierFlags flags) {
  KeyOfCharacter key;
  if (!FindKey(character, &key)) return false;
  if (key.shifted) flags |= NSEventModifierFlagShift;
  char typed = character == '\b' ? 0x7F : character;
  NSString text(std::string(1, typed));
  keyDown(window, key.keyCode, text, text, flags);
  return true;
}

void HeadlessDisplay::drag(NSWindow* window, NSPoint from, NSPoint to, int steps, NSTimeInterval stepTime,
                           NSEventModifierFlags flags) {
  mouseDown(window, from, flags, 1);
  for (int i = 1; i <= steps; ++i) {
    advanceTime(stepTime);
    double t = static_cast<double>(i) / steps;
    mouseDragged(window, NSMakePoint(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t), flags);
  }
  advanceTime(stepTime);
  mouseUp(window, to, flags);
}

int HeadlessDisplay::screenWidth(NSWindow* window) const { return window ? window->backingWidth() : 0; }

int HeadlessDisplay::screenHeight(NSWindow* window) const { return window ? window->backingHeight() : 0; }

const uint32_t* HeadlessDisplay::screenPixels(NSWindow* window) const {
  return window ? window->backingPixels() : nullptr;
}

ScreenRGB HeadlessDisplay::screenPixel(NSWindow* window, int x, int y) const {
  if (!window || x < 0 || y < 0 || x >= window->backingWidth() || y >= window->backingHeight()) return {0, 0, 0};
  uint32_t word = window->backingPixels()[static_cast<size_t>(y) * window->backingWidth() + x];
  return {static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
}

const std::vector<unsigned short>& HeadlessDisplay::keysPassedToHost() const { return mImpl->mKeysPassed; }

NSString HeadlessDisplay::toolTipAt(NSWindow* window, NSPoint location) const {
  if (!window || !window->contentView()) return NSString();
  NSView* view = window->contentView()->hitTest(location);
  for (; view; view = view->superview()) {
    NSString tip = view->toolTipAtPoint(view->convertPoint(location, nullptr));
    if (!tip.utf8().empty()) return tip;
  }
  return NSString();
}

void HeadlessDisplay::setMenuHandler(MenuHandler handler) { mImpl->mMenuHandler = std::move(handler); }

const std::vector<std::vector<NSString>>& HeadlessDisplay::shownMenus() const { return mImpl->mShownMenus; }

const std::vector<NSString>& HeadlessDisplay::requestedURLs() const { return mImpl->mRequestedURLs; }

bool HeadlessDisplay::cursorHidden() const { return mImpl->cursorHidden(); }

CGPoint HeadlessDisplay::cursorPosition() const {
  NSPoint p = mImpl->mouseLocation();
  return CGPointMake(p.x, mImpl->screenFrame().size.height - p.y);
}

}  // namespace korv_appkit
