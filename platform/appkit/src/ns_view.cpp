#include <algorithm>

#include <AppKit/NSWindow.h>

#include "platform/appkit/src/cg_context.h"

void NSResponder::mouseDown(NSEvent* event) {
  if (mNextResponder) mNextResponder->mouseDown(event);
}
void NSResponder::mouseUp(NSEvent* event) {
  if (mNextResponder) mNextResponder->mouseUp(event);
}
void NSResponder::mouseDragged(NSEvent* event) {
  if (mNextResponder) mNextResponder->mouseDragged(event);
}
void NSResponder::rightMouseDown(NSEvent* event) {
  if (mNextResponder) mNextResponder->rightMouseDown(event);
}
void NSResponder::rightMouseUp(NSEvent* event) {
  if (mNextResponder) mNextResponder->rightMouseUp(event);
}
void NSResponder::rightMouseDragged(NSEvent* event) {
  if (mNextResponder) mNextResponder->rightMouseDragged(event);
}
void NSResponder::mouseMoved(NSEvent* event) {
  if (mNextResponder) mNextResponder->mouseMoved(event);
}
void NSResponder::scrollWheel(NSEvent* event) {
  if (mNextResponder) mNextResponder->scrollWheel(event);
}
void NSResponder::keyDown(NSEvent* event) {
  if (mNextResponder) mNextResponder->keyDown(event);
}
void NSResponder::keyUp(NSEvent* event) {
  if (mNextResponder) mNextResponder->keyUp(event);
}

NSView::NSView(NSRect frame) : mFrame(CGRectStandardize(frame)) {}

NSView::~NSView() {
  for (NSView* view : mSubviews) {
    view->mSuperview = nullptr;
    view->setNextResponder(nullptr);
    view->setWindowRecursively(nullptr);
    view->release();
  }
}

void NSView::setFrame(NSRect frame) {
  setNeedsDisplay(true);
  mFrame = CGRectStandardize(frame);
  setNeedsDisplay(true);
}

void NSView::setFrameOrigin(NSPoint origin) { setFrame(NSMakeRect(origin.x, origin.y, NSWidth(mFrame), NSHeight(mFrame))); }

void NSView::setFrameSize(NSSize size) { setFrame(NSMakeRect(mFrame.origin.x, mFrame.origin.y, size.width, size.height)); }

void NSView::setHidden(bool hidden) {
  if (hidden == mHidden) return;
  if (hidden) setNeedsDisplay(true);
  mHidden = hidden;
  if (mWindow && hidden) mWindow->viewLeavingWindow(this);
  if (!hidden) setNeedsDisplay(true);
}

void NSView::addSubview(NSView* view) {
  if (!view || view == this) return;
  for (const NSView* up = this; up; up = up->mSuperview) {
    if (up == view) return;
  }
  view->retain();
  if (view->mSuperview) view->removeFromSuperview();
  mSubviews.push_back(view);
  view->mSuperview = this;
  view->setNextResponder(this);
  view->setWindowRecursively(mWindow);
  view->setNeedsDisplay(true);
}

void NSView::removeFromSuperview() {
  NSView* parent = mSuperview;
  if (!parent) return;
  setNeedsDisplay(true);
  if (mWindow) mWindow->viewLeavingWindow(this);
  auto at = std::find(parent->mSubviews.begin(), parent->mSubviews.end(), this);
  if (at != parent->mSubviews.end()) parent->mSubviews.erase(at);
  mSuperview = nullptr;
  setNextResponder(nullptr);
  setWindowRecursively(nullptr);
  autorelease();
}

void NSView::setWindowRecursively(NSWindow* window) {
  bool moved = window != mWindow;
  mWindow = window;
  for (NSView* view : mSubviews) view->setWindowRecursively(window);
  if (moved) viewDidMoveToWindow();
}

NSPoint NSView::convertPointToView(NSPoint point, const NSView* toView) const {
  for (const NSView* view = this; view; view = view->mSuperview) {
    point.x += view->mFrame.origin.x;
    point.y += view->mFrame.origin.y;
  }
  if (!toView) return point;
  for (const NSView* view = toView; view; view = view->mSuperview) {
    point.x -= view->mFrame.origin.x;
    point.y -= view->mFrame.origin.y;
  }
  return point;
}

NSPoint NSView::convertPoint(NSPoint point, const NSView* fromView) const {
  NSPoint base = fromView ? fromView->convertPointToView(point, nullptr) : point;
  NSPoint origin = convertPointToView(NSZeroPoint, nullptr);
  return NSMakePoint(base.x - origin.x, base.y - origin.y);
}

NSRect NSView::convertRect(NSRect rect, const NSView* fromView) const {
  NSPoint origin = convertPoint(rect.origin, fromView);
  return NSMakeRect(origin.x, origin.y, rect.size.width, rect.size.height);
}

void NSView::setNeedsDisplayInRect(NSRect rect) {
  if (!mWindow || mHidden) return;
  NSRect visible = NSIntersectionRect(CGRectStandardize(rect), bounds());
  if (NSIsEmptyRect(visible)) return;
  NSPoint origin = convertPointToBase(visible.origin);
  mWindow->invalidate(NSMakeRect(origin.x, origin.y, visible.size.width, visible.size.height));
}

void NSView::setNeedsDisplay(bool flag) {
  if (flag) setNeedsDisplayInRect(bounds());
}

NSView* NSView::hitTest(NSPoint point) {
  if (mHidden || !NSPointInRect(point, mFrame)) return nullptr;
  NSPoint local = NSMakePoint(point.x - mFrame.origin.x, point.y - mFrame.origin.y);
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it) {
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  }
  return this;
}

void NSView::drawRect(NSRect) {}

bool NSView::acceptsFirstMouse(NSEvent*) { return false; }

void NSView::drawTree(NSRect dirtyInWindow) {
  if (mHidden) return;
  NSPoint origin = convertPointToBase(NSZeroPoint);
  NSRect frameInWindow = NSMakeRect(origin.x, origin.y, NSWidth(mFrame), NSHeight(mFrame));
  NSRect area = NSIntersectionRect(dirtyInWindow, frameInWindow);
  if (NSIsEmptyRect(area)) return;
  CGContextRef context = NSGraphicsContext::currentContext()->CGContext();
  CGContextSaveGState(context);
  korv_appkit::FocusContext(context, origin, area);
  drawRect(NSOffsetRect(area, -origin.x, -origin.y));
  CGContextRestoreGState(context);
  // Subviews may come and go while drawing; work on a retained copy of the list.
  std::vector<NSView*> subviews = mSubviews;
  for (NSView* view : subviews) view->retain();
  for (NSView* view : subviews) {
    if (view->mSuperview == this) view->drawTree(area);
    view->release();
  }
}

NSToolTipTag NSView::addToolTipRect(NSRect rect, NSViewToolTipOwner* owner, void* userData) {
  if (!owner || NSIsEmptyRect(rect)) return 0;
  NSToolTipTag tag = mNextToolTipTag++;
  mToolTips.push_back(ToolTip{tag, rect, owner, userData});
  return tag;
}

void NSView::removeToolTip(NSToolTipTag tag) {
  mToolTips.erase(std::remove_if(mToolTips.begin(), mToolTips.end(), [&](const ToolTip& t) { return t.tag == tag; }),
                  mToolTips.end());
}

void NSView::removeAllToolTips() { mToolTips.clear(); }

NSString NSView::toolTipAtPoint(NSPoint point) {
  for (auto it = mToolTips.rbegin(); it != mToolTips.rend(); ++it) {
    if (NSPointInRect(point, it->rect)) return it->owner->viewStringForToolTip(this, it->tag, point, it->userData);
  }
  return NSString();
}
