#pragma once
// Windows: a content view, a first responder, event dispatch and the display pass that redraws
// invalid areas into the window's backing store, which the display backend shows.
#include <vector>

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSView.h>

typedef NSUInteger NSWindowStyleMask;
enum : NSUInteger {
  NSWindowStyleMaskBorderless = 0,
  NSWindowStyleMaskTitled = 1,
  NSWindowStyleMaskClosable = 2,
  NSBorderlessWindowMask = NSWindowStyleMaskBorderless,
  NSTitledWindowMask = NSWindowStyleMaskTitled,
};

typedef NSUInteger NSBackingStoreType;
enum : NSUInteger { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };

typedef NSInteger NSWindowOrderingMode;
enum : NSInteger { NSWindowBelow = -1, NSWindowOut = 0, NSWindowAbove = 1 };

class NSWindow : public NSResponder {
 public:
  // contentRect is in screen coordinates; the window has no decorations of its own here.
  NSWindow(NSRect contentRect, NSWindowStyleMask style, NSBackingStoreType backing, bool defer);
  ~NSWindow() override;

  NSView* contentView() const { return mContentView; }
  // The window retains the view and sizes it to the content area.
  void setContentView(NSView* view);
  NSRect frame() const { return mFrame; }
  void setFrameOrigin(NSPoint origin);
  void setContentSize(NSSize size);
  void setTitle(const NSString& title) { mTitle = title; }
  NSString title() const { return mTitle; }
  NSScreen* screen() const { return NSScreen::mainScreen(); }
  CGFloat backingScaleFactor() const { return mScale; }
  NSInteger windowNumber() const { return mNumber; }
  // The window with that number, or null.
  static NSWindow* windowWithNumber(NSInteger number);

  NSResponder* firstResponder() const { return mFirstResponder; }
  // False when the new responder refuses or the old one will not resign. Null makes the window itself
  // the first responder.
  bool makeFirstResponder(NSResponder* responder);
  void setAcceptsMouseMovedEvents(bool flag) { mAcceptsMouseMoved = flag; }
  bool acceptsMouseMovedEvents() const { return mAcceptsMouseMoved; }
  virtual bool canBecomeKeyWindow();
  bool isKeyWindow() const;
  void makeKeyWindow();

  void orderFront(NSObject* sender);
  void orderOut(NSObject* sender);
  void makeKeyAndOrderFront(NSObject* sender);
  bool isVisible() const { return mVisible; }
  // Orders out; then, when released-when-closed, releases the window.
  void close();
  void setReleasedWhenClosed(bool flag) { mReleasedWhenClosed = flag; }
  bool isReleasedWhenClosed() const { return mReleasedWhenClosed; }
  void setOpaque(bool flag) { mOpaque = flag; }
  bool isOpaque() const { return mOpaque; }
  void setCanHide(bool flag) { mCanHide = flag; }
  void setHasShadow(bool flag) { mHasShadow = flag; }

  // Child windows move with the parent; the parent retains them.
  void addChildWindow(NSWindow* child, NSWindowOrderingMode place);
  void removeChildWindow(NSWindow* child);
  const std::vector<NSWindow*>& childWindows() const { return mChildren; }
  NSWindow* parentWindow() const { return mParent; }

  NSPoint convertBaseToScreen(NSPoint point) const;
  NSPoint convertScreenToBase(NSPoint point) const;

  // Routes an event: mouse presses to the view under the pointer (which then receives the drags and
  // the release), moves to the first responder when enabled, the wheel to the view under the
  // pointer, keys to the first responder.
  virtual void sendEvent(NSEvent* event);
  // Redraws the whole content now.
  void display();
  // Redraws the invalid area, if any, and shows it.
  void displayIfNeeded();
  bool viewsNeedDisplay() const { return !NSIsEmptyRect(mInvalid); }

  // Keys that no responder used end here; the display records them as going to the host.
  void keyDown(NSEvent* event) override;

  // The backing store for the display backends: device pixels, rows top to bottom, bytes A, R, G, B
  // in memory (A is 255).
  const uint32_t* backingPixels() const { return mBacking.data(); }
  int backingWidth() const { return mBackingWidth; }
  int backingHeight() const { return mBackingHeight; }
  // Screen scale changes come from the display.
  void setBackingScaleFactor(CGFloat scale);

 private:
  friend class NSView;
  void invalidate(NSRect rectInWindow);
  void viewLeavingWindow(NSView* view);
  void resizeBacking();
  NSView* viewAt(NSPoint locationInWindow);
  void routeToTracked(NSEvent* event, bool release);

  NSRect mFrame;
  NSString mTitle;
  NSWindowStyleMask mStyle;
  NSInteger mNumber;
  CGFloat mScale = 1;
  NSView* mContentView = nullptr;
  NSResponder* mFirstResponder = nullptr;
  NSView* mTrackedView = nullptr;
  bool mTrackingRight = false;
  NSWindow* mParent = nullptr;
  std::vector<NSWindow*> mChildren;
  bool mAcceptsMouseMoved = false;
  bool mVisible = false;
  bool mReleasedWhenClosed = true;
  bool mOpaque = true;
  bool mCanHide = true;
  bool mHasShadow = true;
  NSRect mInvalid = NSZeroRect;
  std::vector<uint32_t> mBacking;
  int mBackingWidth = 0;
  int mBackingHeight = 0;
};
