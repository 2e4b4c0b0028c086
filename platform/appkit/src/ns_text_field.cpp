#include <algorithm>
#include <cmath>

#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>
#include <Carbon/Carbon.h>

#include "platform/appkit/src/cg_context.h"

NSColor NSColor::colorWithCalibratedRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  auto unit = [](CGFloat v) { return std::isnan(v) ? 0.0 : std::clamp<CGFloat>(v, 0, 1); };
  return NSColor{unit(red), unit(green), unit(blue), unit(alpha)};
}

NSFont NSFont::fontWithName(const NSString& name, CGFloat size) { return NSFont{name, size > 0 ? size : 13}; }

NSCharacterSet NSCharacterSet::characterSetWithCharactersInString(const NSString& characters) {
  NSCharacterSet set;
  for (NSUInteger i = 0; i < characters.length(); ++i) set.mMembers.push_back(characters.characterAtIndex(i));
  return set;
}

bool NSCharacterSet::characterIsMember(unichar character) const {
  return std::find(mMembers.begin(), mMembers.end(), character) != mMembers.end();
}

bool NSFormatter::isPartialStringValid(const NSString&, NSString*, NSString*) const { return true; }

NSTextField::~NSTextField() {
  if (mFormatter) mFormatter->release();
}

void NSTextField::setStringValue(const NSString& text) {
  mText = text;
  setNeedsDisplay(true);
}

void NSTextField::setTextColor(const NSColor& color) {
  mTextColor = color;
  setNeedsDisplay(true);
}

void NSTextField::setBackgroundColor(const NSColor& color) {
  mBackgroundColor = color;
  setNeedsDisplay(true);
}

void NSTextField::setFormatter(NSFormatter* formatter) {
  if (formatter == mFormatter) return;
  NSRetained(formatter);
  if (mFormatter) mFormatter->release();
  mFormatter = formatter;
}

bool NSTextField::becomeFirstResponder() {
  mEditing = true;
  setNeedsDisplay(true);
  return true;
}

bool NSTextField::resignFirstResponder() {
  endEditing(NSTextMovementOther);
  return true;
}

void NSTextField::tryReplaceText(const NSString& candidate) {
  if (mFormatter) {
    NSString replacement;
    NSString error;
    if (!mFormatter->isPartialStringValid(candidate, &replacement, &error)) return;
  }
  setStringValue(candidate);
}

void NSTextField::endEditing(NSTextMovement movement) {
  if (!mEditing) return;
  mEditing = false;
  setNeedsDisplay(true);
  // The delegate usually removes the field; keep it until the call returns.
  retain();
  if (mDelegate) {
    NSNotification note{"NSControlTextDidEndEditingNotification", this, movement};
    mDelegate->controlTextDidEndEditing(&note);
  }
  release();
}

void NSTextField::keyDown(NSEvent* event) {
  if (!mEditing) {
    NSView::keyDown(event);
    return;
  }
  switch (event->keyCode()) {
    case kVK_Return:
    case kVK_ANSI_KeypadEnter:
      endEditing(NSTextMovementReturn);
      return;
    case kVK_Tab:
      endEditing(NSTextMovementTab);
      return;
    case kVK_Escape:
      endEditing(NSTextMovementCancel);
      return;
    case kVK_Delete: {
      std::vector<unichar> units;
      for (NSUInteger i = 0; i < mText.length(); ++i) units.push_back(mText.characterAtIndex(i));
      if (units.empty()) return;
      size_t drop = (units.size() >= 2 && units.back() >= 0xDC00 && units.back() < 0xE000) ? 2 : 1;
      tryReplaceText(NSString::stringWithCharacters(units.data(), units.size() - drop));
      return;
    }
    default:
      break;
  }
  NSString typed = event->characters();
  if (typed.length() == 0 || (event->modifierFlags() & (NSEventModifierFlagCommand | NSEventModifierFlagControl))) {
    NSView::keyDown(event);
    return;
  }
  for (NSUInteger i = 0; i < typed.length(); ++i) {
    if (typed.characterAtIndex(i) < 0x20 || typed.characterAtIndex(i) == 0x7F) return;
  }
  tryReplaceText(mText.stringByAppendingString(typed));
}

void NSTextField::mouseDown(NSEvent*) {
  if (window() && window()->firstResponder() != this) window()->makeFirstResponder(this);
}

void NSTextField::drawRect(NSRect dirtyRect) {
  CGContextRef context = NSGraphicsContext::currentContext() ? NSGraphicsContext::currentContext()->CGContext() : nullptr;
  if (!context) return;
  // Text itself is not rasterised here: the field shows its background and an edit caret.
  auto channel = [](CGFloat v) { return static_cast<uint32_t>(std::lround(v * 255)); };
  uint32_t fill = 0xFFu | (channel(mBackgroundColor.red) << 8) | (channel(mBackgroundColor.green) << 16) |
                  (channel(mBackgroundColor.blue) << 24);
  uint32_t ink = 0xFFu | (channel(mTextColor.red) << 8) | (channel(mTextColor.green) << 16) |
                 (channel(mTextColor.blue) << 24);
  NSPoint origin = convertPointToBase(NSZeroPoint);
  korv_appkit::DeviceRect area = korv_appkit::ToDevice(*context, NSOffsetRect(dirtyRect, origin.x, origin.y));
  const CGContext::State& clip = context->state;
  int x0 = std::max({area.left, clip.clipLeft, 0});
  int x1 = std::min({area.right, clip.clipRight, context->width});
  int y0 = std::max({area.top, clip.clipTop, 0});
  int y1 = std::min({area.bottom, clip.clipBottom, context->height});
  korv_appkit::DeviceRect whole = korv_appkit::ToDevice(*context, NSOffsetRect(bounds(), origin.x, origin.y));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      bool caret = mEditing && x == whole.left + 1 && y > whole.top && y < whole.bottom - 1;
      context->pixels[static_cast<size_t>(y) * context->width + x] = caret ? ink : fill;
    }
  }
}
