#pragma once
// A one-line editable text field, with the colours, font and formatter that go with it.
#include <AppKit/NSView.h>
#include <Foundation/NSFormatter.h>

struct NSColor {
  CGFloat red = 0;
  CGFloat green = 0;
  CGFloat blue = 0;
  CGFloat alpha = 1;
  // Components are clamped to 0..1.
  static NSColor colorWithCalibratedRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor colorWithDeviceRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
    return colorWithCalibratedRed(red, green, blue, alpha);
  }
  static NSColor blackColor() { return NSColor{0, 0, 0, 1}; }
  static NSColor whiteColor() { return NSColor{1, 1, 1, 1}; }
};

struct NSFont {
  NSString fontName;
  CGFloat pointSize = 12;
  // Any face name is accepted; sizes of 0 or less become the system size (13).
  static NSFont fontWithName(const NSString& name, CGFloat size);
  static NSFont systemFontOfSize(CGFloat size) { return fontWithName("System", size); }
};

constexpr CGFloat NSViewNoIntrinsicMetric = -1;

typedef NSUInteger NSTextAlignment;
enum : NSUInteger {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentRight = 1,
  NSTextAlignmentCenter = 2,
  NSLeftTextAlignment = NSTextAlignmentLeft,
  NSRightTextAlignment = NSTextAlignmentRight,
  NSCenterTextAlignment = NSTextAlignmentCenter,
};

typedef NSUInteger NSFocusRingType;
enum : NSUInteger { NSFocusRingTypeDefault = 0, NSFocusRingTypeNone = 1, NSFocusRingTypeExterior = 2 };

typedef NSUInteger NSLineBreakMode;
enum : NSUInteger { NSLineBreakByClipping = 2, NSLineBreakByTruncatingTail = 4 };

class NSTextFieldCell {
 public:
  NSLineBreakMode lineBreakMode() const { return mLineBreakMode; }
  void setLineBreakMode(NSLineBreakMode mode) { mLineBreakMode = mode; }

 private:
  NSLineBreakMode mLineBreakMode = NSLineBreakByClipping;
};

class NSTextFieldDelegate {
 public:
  virtual ~NSTextFieldDelegate() = default;
  // Editing ended (Return, Enter, Tab, Escape, or the field lost the keyboard); notification.object is
  // the field and textMovement tells which.
  virtual void controlTextDidEndEditing(NSNotification* notification) = 0;
};

class NSTextField : public NSView {
 public:
  explicit NSTextField(NSRect frame) : NSView(frame) {}
  ~NSTextField() override;

  NSString stringValue() const { return mText; }
  void setStringValue(const NSString& text);
  NSFont font() const { return mFont; }
  void setFont(const NSFont& font) { mFont = font; }
  NSTextAlignment alignment() const { return mAlignment; }
  void setAlignment(NSTextAlignment alignment) { mAlignment = alignment; }
  NSColor textColor() const { return mTextColor; }
  void setTextColor(const NSColor& color);
  NSColor backgroundColor() const { return mBackgroundColor; }
  void setBackgroundColor(const NSColor& color);
  bool isBordered() const { return mBordered; }
  void setBordered(bool flag) { mBordered = flag; }
  NSFocusRingType focusRingType() const { return mFocusRingType; }
  void setFocusRingType(NSFocusRingType type) { mFocusRingType = type; }
  bool allowsEditingTextAttributes() const { return mAllowsEditingTextAttributes; }
  void setAllowsEditingTextAttributes(bool flag) { mAllowsEditingTextAttributes = flag; }
  NSTextFieldCell* cell() { return &mCell; }
  NSFormatter* formatter() const { return mFormatter; }
  // The field retains the formatter.
  void setFormatter(NSFormatter* formatter);
  // Not retained.
  NSTextFieldDelegate* delegate() const { return mDelegate; }
  void setDelegate(NSTextFieldDelegate* delegate) { mDelegate = delegate; }
  bool isEditing() const { return mEditing; }
  // Editing starts with the whole text selected, so that typing replaces it.
  bool isTextSelected() const { return mSelected; }

  bool acceptsFirstResponder() override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  // Typed characters replace the selection or are appended, when the formatter allows the result;
  // Delete removes the selection or the last character; Left and Right drop the selection; Return,
  // Enter, Tab and Escape end editing.
  void keyDown(NSEvent* event) override;
  void mouseDown(NSEvent* event) override;
  void drawRect(NSRect dirtyRect) override;
  // The size the field needs to show a whole line of its font, in points, at its window's scale (the
  // screen's before it has one); the width is NSViewNoIntrinsicMetric, as a field's text may scroll.
  NSSize intrinsicContentSize() const;
  bool isOpaque() override { return mBackgroundColor.alpha >= 1; }

 private:
  void tryReplaceText(const NSString& candidate);
  void endEditing(NSTextMovement movement);

  NSString mText;
  NSFont mFont = NSFont::systemFontOfSize(13);
  NSTextAlignment mAlignment = NSTextAlignmentLeft;
  NSColor mTextColor = NSColor::blackColor();
  NSColor mBackgroundColor = NSColor::whiteColor();
  bool mBordered = true;
  NSFocusRingType mFocusRingType = NSFocusRingTypeDefault;
  bool mAllowsEditingTextAttributes = false;
  NSTextFieldCell mCell;
  NSFormatter* mFormatter = nullptr;
  NSTextFieldDelegate* mDelegate = nullptr;
  bool mEditing = false;
  bool mSelected = false;
};
