#pragma once
// Views: rectangles in their superview's coordinates (origin bottom left) that draw themselves
// when asked and receive the events aimed at them.
#include <vector>

#include <AppKit/NSResponder.h>

class NSWindow;
class NSView;

typedef NSInteger NSToolTipTag;

// Supplies the text of a tool tip when the pointer rests in its rectangle.
class NSViewToolTipOwner {
 public:
  virtual ~NSViewToolTipOwner() = default;
  virtual NSString viewStringForToolTip(NSView* view, NSToolTipTag tag, NSPoint point, void* userData) = 0;
};

class NSView : public NSResponder {
 public:
  explicit NSView(NSRect frame);
  ~NSView() override;

  NSRect frame() const { return mFrame; }
  // (0, 0) and the frame's size.
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  void setFrame(NSRect frame);
  void setFrameOrigin(NSPoint origin);
  void setFrameSize(NSSize size);
  void setHidden(bool hidden);
  bool isHidden() const { return mHidden; }

  NSView* superview() const { return mSuperview; }
  const std::vector<NSView*>& subviews() const { return mSubviews; }
  NSWindow* window() const { return mWindow; }
  // The superview retains the view; adding a view that has another superview moves it.
  void addSubview(NSView* view);
  // The superview's reference is autoreleased, so the view outlives the current call.
  virtual void removeFromSuperview();

  // Point conversions; a null view stands for the window's base coordinates.
  NSPoint convertPoint(NSPoint point, const NSView* fromView) const;
  NSPoint convertPointToView(NSPoint point, const NSView* toView) const;
  NSRect convertRect(NSRect rect, const NSView* fromView) const;
  NSPoint convertPointToBase(NSPoint point) const { return convertPointToView(point, nullptr); }

  // The area is redrawn (drawRect) on the next display pass of the window.
  void setNeedsDisplayInRect(NSRect rect);
  void setNeedsDisplay(bool flag);

  // The deepest visible view (this one or a subview) containing point, given in the superview's
  // coordinates; null when none does.
  virtual NSView* hitTest(NSPoint point);

  virtual void drawRect(NSRect dirtyRect);
  virtual bool isOpaque() { return false; }
  virtual bool acceptsFirstMouse(NSEvent* event);
  virtual void viewDidMoveToWindow() {}

  NSToolTipTag addToolTipRect(NSRect rect, NSViewToolTipOwner* owner, void* userData);
  void removeToolTip(NSToolTipTag tag);
  void removeAllToolTips();
  // The tool tip a pointer resting at point (view coordinates) shows; empty when there is none.
  NSString toolTipAtPoint(NSPoint point);

 private:
  friend class NSWindow;
  struct ToolTip {
    NSToolTipTag tag;
    NSRect rect;
    NSViewToolTipOwner* owner;
    void* userData;
  };
  void setWindowRecursively(NSWindow* window);
  void drawTree(NSRect dirtyInWindow);

  NSRect mFrame;
  bool mHidden = false;
  NSView* mSuperview = nullptr;
  NSWindow* mWindow = nullptr;
  std::vector<NSView*> mSubviews;
  std::vector<ToolTip> mToolTips;
  NSToolTipTag mNextToolTipTag = 1;
};
