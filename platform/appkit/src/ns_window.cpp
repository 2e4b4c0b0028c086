#include <algorithm>
#include <cmath>

#include <AppKit/NSWindow.h>

#include "platform/appkit/src/cg_context.h"
#include "platform/appkit/src/display_backend.h"

namespace {

std::vector<NSWindow*>& Windows() {
  static std::vector<NSWindow*> windows;
  return windows;
}

NSInteger s_nextWindowNumber = 1;
NSWindow* s_keyWindow = nullptr;

// What shows through where no view draws.
constexpr uint32_t kWindowBackground = 0xFF | (0xEC << 8) | (0xEC << 16) | (0xECu << 24);

bool IsDescendantOrSelf(const NSResponder* responder, const NSView* ancestor) {
  for (const NSView* view = dynamic_cast<const NSView*>(responder); view; view = view->superview()) {
    if (view == ancestor) return true;
  }
  return false;
}

}  // namespace

namespace korv_appkit {
const std::vector<NSWindow*>& AllWindows() { return Windows(); }
}  // namespace korv_appkit

NSScreen* NSScreen::mainScreen() {
  static NSScreen screen;
  return &screen;
}

NSRect NSScreen::frame() const { return korv_appkit::Display().screenFrame(); }

CGFloat NSScreen::backingScaleFactor() const { return korv_appkit::Display().backingScale(); }

NSWindow::NSWindow(NSRect contentRect, NSWindowStyleMask style, NSBackingStoreType, bool)
    : mFrame(CGRectStandardize(contentRect)),
      mStyle(style),
      mNumber(s_nextWindowNumber++),
      mScale(korv_appkit::Display().backingScale()) {
  Windows().push_back(this);
  resizeBacking();
  setContentView(new NSView(NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame))));
  mContentView->release();
}

NSWindow::~NSWindow() {
  if (mVisible) korv_appkit::Display().windowHidden(this);
  if (s_keyWindow == this) s_keyWindow = nullptr;
  if (mParent) {
    auto& siblings = mParent->mChildren;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  for (NSWindow* child : mChildren) {
    child->mParent = nullptr;
    child->release();
  }
  if (mContentView) {
    mContentView->setWindowRecursively(nullptr);
    mContentView->setNextResponder(nullptr);
    mContentView->release();
  }
  auto& windows = Windows();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

NSWindow* NSWindow::windowWithNumber(NSInteger number) {
  for (NSWindow* window : Windows()) {
    if (window->mNumber == number) return window;
  }
  return nullptr;
}

void NSWindow::setContentView(NSView* view) {
  if (!view || view == mContentView) return;
  view->retain();
  if (view->superview()) view->removeFromSuperview();
  if (mContentView) {
    viewLeavingWindow(mContentView);
    mContentView->setWindowRecursively(nullptr);
    mContentView->setNextResponder(nullptr);
    mContentView->autorelease();
  }
  mContentView = view;
  view->mFrame = NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame));
  view->setNextResponder(this);
  view->setWindowRecursively(this);
  invalidate(NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame)));
}

void NSWindow::setFrameOrigin(NSPoint origin) {
  mFrame.origin = origin;
  if (mVisible) korv_appkit::Display().windowShown(this);
}

void NSWindow::setContentSize(NSSize size) {
  mFrame.size = NSMakeSize(std::max<CGFloat>(0, size.width), std::max<CGFloat>(0, size.height));
  resizeBacking();
  if (mContentView) mContentView->mFrame = NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame));
  invalidate(NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame)));
  if (mVisible) korv_appkit::Display().windowShown(this);
}

void NSWindow::setBackingScaleFactor(CGFloat scale) {
  if (!(scale > 0) || scale == mScale) return;
  mScale = scale;
  resizeBacking();
  invalidate(NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame)));
}

void NSWindow::resizeBacking() {
  mBackingWidth = static_cast<int>(std::ceil(NSWidth(mFrame) * mScale));
  mBackingHeight = static_cast<int>(std::ceil(NSHeight(mFrame) * mScale));
  mBacking.assign(static_cast<size_t>(mBackingWidth) * mBackingHeight, kWindowBackground);
}

bool NSWindow::makeFirstResponder(NSResponder* responder) {
  if (responder == mFirstResponder) return true;
  if (responder && responder != this && !responder->acceptsFirstResponder()) return false;
  NSResponder* previous = mFirstResponder;
  if (previous && !previous->resignFirstResponder()) return false;
  // Resigning may have chosen another responder already (a text field ending its edit does).
  if (mFirstResponder != previous) return mFirstResponder == responder;
  mFirstResponder = nullptr;
  if (responder && responder != this && !responder->becomeFirstResponder()) return false;
  mFirstResponder = responder;
  return true;
}

bool NSWindow::canBecomeKeyWindow() { return (mStyle & NSWindowStyleMaskTitled) != 0; }

bool NSWindow::isKeyWindow() const { return s_keyWindow == this; }

void NSWindow::makeKeyWindow() {
  if (canBecomeKeyWindow()) s_keyWindow = this;
}

void NSWindow::orderFront(NSObject*) {
  for (NSWindow* child : mChildren) child->orderFront(nullptr);
  if (mVisible) return;
  mVisible = true;
  invalidate(NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame)));
  korv_appkit::Display().windowShown(this);
}

void NSWindow::orderOut(NSObject*) {
  if (!mVisible) return;
  mVisible = false;
  if (s_keyWindow == this) s_keyWindow = nullptr;
  korv_appkit::Display().windowHidden(this);
}

void NSWindow::makeKeyAndOrderFront(NSObject* sender) {
  orderFront(sender);
  makeKeyWindow();
}

void NSWindow::close() {
  orderOut(nullptr);
  if (mReleasedWhenClosed) release();
}

void NSWindow::addChildWindow(NSWindow* child, NSWindowOrderingMode) {
  if (!child || child == this || child->mParent == this) return;
  if (child->mParent) child->mParent->removeChildWindow(child);
  mChildren.push_back(NSRetained(child));
  child->mParent = this;
  if (mVisible) child->orderFront(nullptr);
}

void NSWindow::removeChildWindow(NSWindow* child) {
  auto at = std::find(mChildren.begin(), mChildren.end(), child);
  if (at == mChildren.end()) return;
  mChildren.erase(at);
  child->mParent = nullptr;
  child->autorelease();
}

NSPoint NSWindow::convertBaseToScreen(NSPoint point) const {
  return NSMakePoint(point.x + mFrame.origin.x, point.y + mFrame.origin.y);
}

NSPoint NSWindow::convertScreenToBase(NSPoint point) const {
  return NSMakePoint(point.x - mFrame.origin.x, point.y - mFrame.origin.y);
}

void NSWindow::invalidate(NSRect rectInWindow) {
  NSRect visible = NSIntersectionRect(rectInWindow, NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame)));
  mInvalid = NSUnionRect(mInvalid, visible);
}

void NSWindow::viewLeavingWindow(NSView* view) {
  if (IsDescendantOrSelf(mTrackedView, view)) {
    mTrackedView = nullptr;
    NSRunLoop::currentRunLoop()->setCurrentMode(NSDefaultRunLoopMode);
  }
  if (IsDescendantOrSelf(mFirstResponder, view)) mFirstResponder = nullptr;
}

NSView* NSWindow::viewAt(NSPoint locationInWindow) {
  return mContentView ? mContentView->hitTest(locationInWindow) : nullptr;
}

void NSWindow::sendEvent(NSEvent* event) {
  if (!event) return;
  korv_appkit::Display().notePointer(convertBaseToScreen(event->locationInWindow()));
  NSRunLoop* runLoop = NSRunLoop::currentRunLoop();
  switch (event->type()) {
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown: {
      NSView* hit = viewAt(event->locationInWindow());
      if (!hit) return;
      makeKeyWindow();
      if (hit != mFirstResponder && hit->acceptsFirstResponder()) makeFirstResponder(hit);
      // The responder change may have removed the view.
      if (hit->window() != this) return;
      mTrackedView = hit;
      mTrackingRight = event->type() == NSEventTypeRightMouseDown;
      runLoop->setCurrentMode(NSEventTrackingRunLoopMode);
      if (mTrackingRight) {
        hit->rightMouseDown(event);
      } else {
        hit->mouseDown(event);
      }
      return;
    }
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
      if (mTrackedView && mTrackingRight == (event->type() == NSEventTypeRightMouseDragged)) {
        if (mTrackingRight) {
          mTrackedView->rightMouseDragged(event);
        } else {
          mTrackedView->mouseDragged(event);
        }
      }
      return;
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp: {
      if (!mTrackedView || mTrackingRight != (event->type() == NSEventTypeRightMouseUp)) return;
      NSView* tracked = mTrackedView;
      mTrackedView = nullptr;
      runLoop->setCurrentMode(NSDefaultRunLoopMode);
      if (mTrackingRight) {
        tracked->rightMouseUp(event);
      } else {
        tracked->mouseUp(event);
      }
      return;
    }
    case NSEventTypeMouseMoved:
      if (mAcceptsMouseMoved && mFirstResponder) mFirstResponder->mouseMoved(event);
      return;
    case NSEventTypeScrollWheel:
      if (NSView* hit = viewAt(event->locationInWindow())) hit->scrollWheel(event);
      return;
    case NSEventTypeKeyDown:
      (mFirstResponder ? mFirstResponder : this)->keyDown(event);
      return;
    case NSEventTypeKeyUp:
      (mFirstResponder ? mFirstResponder : this)->keyUp(event);
      return;
    default:
      return;
  }
}

void NSWindow::keyDown(NSEvent* event) { korv_appkit::Display().keyPassedToHost(event); }

void NSWindow::display() {
  invalidate(NSMakeRect(0, 0, NSWidth(mFrame), NSHeight(mFrame)));
  displayIfNeeded();
}

void NSWindow::displayIfNeeded() {
  if (!mVisible || NSIsEmptyRect(mInvalid) || !mContentView) return;
  CGContext context{mBacking.data(), mBackingWidth, mBackingHeight, mScale, {}, {}};
  korv_appkit::DeviceRect device = korv_appkit::ToDevice(context, mInvalid);
  mInvalid = NSZeroRect;
  device.left = std::max(device.left, 0);
  device.top = std::max(device.top, 0);
  device.right = std::min(device.right, mBackingWidth);
  device.bottom = std::min(device.bottom, mBackingHeight);
  if (device.right <= device.left || device.bottom <= device.top) return;
  context.state = CGContext::State{NSZeroPoint, device.left, device.top, device.right, device.bottom};
  for (int y = device.top; y < device.bottom; ++y) {
    std::fill_n(mBacking.data() + static_cast<size_t>(y) * mBackingWidth + device.left, device.right - device.left,
                kWindowBackground);
  }
  // Views see the whole device pixels being redrawn, in points.
  NSRect dirty = NSMakeRect(device.left / mScale, (mBackingHeight - device.bottom) / mScale,
                            (device.right - device.left) / mScale, (device.bottom - device.top) / mScale);
  NSGraphicsContext graphics(&context, false);
  NSGraphicsContext* previous = NSGraphicsContext::currentContext();
  NSGraphicsContext::setCurrentContext(&graphics);
  retain();
  mContentView->retain();
  NSView* content = mContentView;
  content->drawTree(dirty);
  content->release();
  NSGraphicsContext::setCurrentContext(previous);
  korv_appkit::Display().present(this, device.left, device.top, device.right - device.left,
                                 device.bottom - device.top);
  release();
}
