#pragma once
// The chain that events travel along: a view, its superviews, then the window.
#include <AppKit/NSEvent.h>

class NSResponder : public NSObject {
 public:
  NSResponder* nextResponder() const { return mNextResponder; }
  void setNextResponder(NSResponder* responder) { mNextResponder = responder; }

  virtual bool acceptsFirstResponder() { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  // Each passes the event to the next responder unless overridden.
  virtual void mouseDown(NSEvent* event);
  virtual void mouseUp(NSEvent* event);
  virtual void mouseDragged(NSEvent* event);
  virtual void rightMouseDown(NSEvent* event);
  virtual void rightMouseUp(NSEvent* event);
  virtual void rightMouseDragged(NSEvent* event);
  virtual void mouseMoved(NSEvent* event);
  virtual void scrollWheel(NSEvent* event);
  virtual void keyDown(NSEvent* event);
  virtual void keyUp(NSEvent* event);

 private:
  NSResponder* mNextResponder = nullptr;
};
