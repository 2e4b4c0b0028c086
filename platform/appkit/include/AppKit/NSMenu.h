#pragma once
// Menus shown as context menus at a point of a view.
#include <functional>
#include <vector>

#include <AppKit/NSView.h>

class NSMenu;

typedef NSInteger NSControlStateValue;
enum : NSInteger { NSOffState = 0, NSOnState = 1, NSMixedState = -1 };

class NSMenuItem : public NSObject {
 public:
  // The action receives the chosen item; it is sent to the item's target, or, without one, to the
  // view the menu was shown for.
  typedef std::function<void(NSObject* receiver, NSMenuItem* sender)> Action;

  NSMenuItem(const NSString& title, Action action, const NSString& keyEquivalent);
  ~NSMenuItem() override;
  // An autoreleased separator.
  static NSMenuItem* separatorItem();

  // An action that calls selector on the receiver when the receiver is a T (and nothing otherwise).
  template <class T>
  static Action selector(void (T::*method)(NSMenuItem*)) {
    return [method](NSObject* receiver, NSMenuItem* sender) {
      if (T* typed = dynamic_cast<T*>(receiver)) (typed->*method)(sender);
    };
  }

  NSString title() const { return mTitle; }
  void setTitle(const NSString& title) { mTitle = title; }
  bool hasAction() const { return static_cast<bool>(mAction); }
  void setAction(Action action) { mAction = std::move(action); }
  NSObject* target() const { return mTarget; }
  void setTarget(NSObject* target) { mTarget = target; }
  NSString keyEquivalent() const { return mKeyEquivalent; }
  NSInteger indentationLevel() const { return mIndentation; }
  // Clamped to 0..15.
  void setIndentationLevel(NSInteger level);
  NSControlStateValue state() const { return mState; }
  void setState(NSControlStateValue state) { mState = state; }
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }
  bool isSeparatorItem() const { return mSeparator; }
  NSMenu* submenu() const { return mSubmenu; }
  // The item retains the submenu.
  void setSubmenu(NSMenu* submenu);
  bool hasSubmenu() const { return mSubmenu != nullptr; }
  NSMenu* menu() const { return mMenu; }

  // Sends the action as a choice of this item; receiver stands in for a missing target.
  void performAction(NSObject* receiver);

 private:
  friend class NSMenu;
  NSString mTitle;
  Action mAction;
  NSObject* mTarget = nullptr;
  NSString mKeyEquivalent;
  NSInteger mIndentation = 0;
  NSControlStateValue mState = NSOffState;
  bool mEnabled = true;
  bool mSeparator = false;
  NSMenu* mSubmenu = nullptr;
  NSMenu* mMenu = nullptr;
};

class NSMenu : public NSObject {
 public:
  explicit NSMenu(const NSString& title);
  ~NSMenu() override;

  NSString title() const { return mTitle; }
  // The menu retains its items.
  void addItem(NSMenuItem* item);
  NSMenuItem* addItemWithTitle(const NSString& title, NSMenuItem::Action action, const NSString& keyEquivalent);
  void setSubmenu(NSMenu* submenu, NSMenuItem* item);
  const std::vector<NSMenuItem*>& itemArray() const { return mItems; }
  NSInteger numberOfItems() const { return static_cast<NSInteger>(mItems.size()); }
  // Null outside the menu.
  NSMenuItem* itemAtIndex(NSInteger index) const;
  // -1 when the item is not in this menu.
  NSInteger indexOfItem(const NSMenuItem* item) const;
  void setAutoenablesItems(bool flag) { mAutoenables = flag; }
  bool autoenablesItems() const { return mAutoenables; }
  NSMenu* supermenu() const { return mSupermenu; }

  // Shows the menu for view at the event's location (window coordinates) and returns when it closes;
  // a chosen, enabled item's action is sent (to its target or to view). The display keeps being
  // served meanwhile: its timers and redraws go on.
  static void popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view);
  // The same, but returns at once: whoever serves the display drives the menu, and when it closes
  // the chosen item's action is sent, then closed runs (chosen or not). The menu and the view are
  // kept until then.
  static void popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view, std::function<void()> closed);
  // Closes the menu, when shown, as if dismissed.
  void cancelTracking();

 private:
  friend class NSMenuItem;
  NSString mTitle;
  std::vector<NSMenuItem*> mItems;
  bool mAutoenables = true;
  NSMenu* mSupermenu = nullptr;
  bool mShown = false;
};
