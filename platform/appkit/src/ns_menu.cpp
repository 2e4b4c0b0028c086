#include <algorithm>

#include <AppKit/NSMenu.h>
#include <AppKit/NSWindow.h>

#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/thread_state.h"

NSMenuItem::NSMenuItem(const NSString& title, Action action, const NSString& keyEquivalent)
    : mTitle(title), mAction(std::move(action)), mKeyEquivalent(keyEquivalent) {}

NSMenuItem::~NSMenuItem() {
  if (mSubmenu) {
    mSubmenu->mSupermenu = nullptr;
    mSubmenu->release();
  }
}

NSMenuItem* NSMenuItem::separatorItem() {
  NSMenuItem* item = new NSMenuItem(NSString(), nullptr, NSString());
  item->mSeparator = true;
  item->mEnabled = false;
  return NSAutoreleased(item);
}

void NSMenuItem::setIndentationLevel(NSInteger level) { mIndentation = std::clamp<NSInteger>(level, 0, 15); }

void NSMenuItem::setSubmenu(NSMenu* submenu) {
  if (submenu == mSubmenu) return;
  NSRetained(submenu);
  if (mSubmenu) {
    mSubmenu->mSupermenu = nullptr;
    mSubmenu->release();
  }
  mSubmenu = submenu;
  if (submenu) submenu->mSupermenu = mMenu;
}

void NSMenuItem::performAction(NSObject* receiver) {
  if (!mAction || !mEnabled || mSeparator) return;
  NSObject* target = mTarget ? mTarget : receiver;
  if (target) mAction(target, this);
}

NSMenu::NSMenu(const NSString& title) : mTitle(title) {}

NSMenu::~NSMenu() {
  for (NSMenuItem* item : mItems) {
    item->mMenu = nullptr;
    item->release();
  }
}

void NSMenu::addItem(NSMenuItem* item) {
  if (!item || item->mMenu) return;
  mItems.push_back(NSRetained(item));
  item->mMenu = this;
  if (item->mSubmenu) item->mSubmenu->mSupermenu = this;
}

NSMenuItem* NSMenu::addItemWithTitle(const NSString& title, NSMenuItem::Action action, const NSString& keyEquivalent) {
  NSMenuItem* item = new NSMenuItem(title, std::move(action), keyEquivalent);
  addItem(item);
  item->release();
  return item;
}

void NSMenu::setSubmenu(NSMenu* submenu, NSMenuItem* item) {
  if (item && item->mMenu == this) item->setSubmenu(submenu);
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const {
  return (index >= 0 && index < numberOfItems()) ? mItems[static_cast<size_t>(index)] : nullptr;
}

NSInteger NSMenu::indexOfItem(const NSMenuItem* item) const {
  auto at = std::find(mItems.begin(), mItems.end(), item);
  return at == mItems.end() ? -1 : static_cast<NSInteger>(at - mItems.begin());
}

namespace {

// How long each pass of a waiting menu's loop serves the display.
constexpr NSTimeInterval kTrackingSlice = 0.02;

// The chosen item must belong to the menu shown or to one of its submenus.
bool BelongsTo(const NSMenuItem* item, const NSMenu* menu) {
  for (const NSMenu* m = item ? item->menu() : nullptr; m; m = m->supermenu()) {
    if (m == menu) return true;
  }
  return false;
}

}  // namespace

void NSMenu::popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view) {
  if (!menu || !event) return;
  NSRunLoop* runLoop = NSRunLoop::currentRunLoop();
  NSRunLoopMode previousMode = runLoop->currentMode();
  runLoop->setCurrentMode(NSEventTrackingRunLoopMode);
  {
    korv_appkit::ModalScope modal;
    bool open = true;
    popUpContextMenu(menu, event, view, [&open] { open = false; });
    korv_appkit::DisplayBackend& display = korv_appkit::Display();
    while (open) display.runUntil(display.now() + kTrackingSlice);
  }
  runLoop->setCurrentMode(previousMode);
}

void NSMenu::popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view, std::function<void()> closed) {
  if (!menu || !event) {
    if (closed) closed();
    return;
  }
  NSWindow* window = event->window() ? event->window() : (view ? view->window() : nullptr);
  menu->retain();
  NSRetained(view);
  menu->mShown = true;
  korv_appkit::Display().showMenu(menu, event->locationInWindow(), window, view,
                                  [menu, view, closed = std::move(closed)](NSMenuItem* chosen) {
                                    menu->mShown = false;
                                    if (BelongsTo(chosen, menu)) chosen->performAction(view);
                                    if (closed) closed();
                                    if (view) view->release();
                                    menu->release();
                                  });
}

void NSMenu::cancelTracking() {
  if (mShown) korv_appkit::Display().closeMenu(this);
}
