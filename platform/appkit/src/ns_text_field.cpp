#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>
#include <Carbon/Carbon.h>

#include "platform/appkit/src/cg_context.h"
#include "raster/rast_blit.h"
#include "raster/rast_font.h"

namespace {

constexpr RAST_pixel kSelectionColour = RAST_RGBA(170, 200, 245, 255);

RAST_pixel Pixel(const NSColor& c) {
  auto channel = [](CGFloat v) { return static_cast<int>(std::lround(v * 255)); };
  return RAST_RGBA(channel(c.red), channel(c.green), channel(c.blue), 255);
}

// Fields share their fonts by face and device size for the life of the process.
RAST_CachedFont* FieldFont(const NSFont& font, double deviceScale) {
  static std::map<std::pair<std::string, int>, std::unique_ptr<RAST_CachedFont>> s_fonts;
  const int height = std::clamp(static_cast<int>(std::lround(font.pointSize * deviceScale)), 2, 400);
  auto& slot = s_fonts[{font.fontName.utf8(), height}];
  if (!slot) {
    HFONT system = CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0,
                              font.fontName.UTF8String());
    if (!system) return nullptr;
    slot = std::make_unique<RAST_CachedFont>();
    slot->SetFromHFont(system, RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE);
  }
  return slot.get();
}

}  // namespace

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
  mSelected = mText.length() > 0;
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
  mSelected = false;
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
    case kVK_LeftArrow:
    case kVK_RightArrow:
      mSelected = false;
      setNeedsDisplay(true);
      return;
    case kVK_Delete: {
      if (mSelected) {
        tryReplaceText(NSString());
        return;
      }
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
  tryReplaceText(mSelected ? typed : mText.stringByAppendingString(typed));
}

void NSTextField::mouseDown(NSEvent*) {
  if (window() && window()->firstResponder() != this) window()->makeFirstResponder(this);
}

NSSize NSTextField::intrinsicContentSize() const {
  const CGFloat scale = window() ? window()->backingScaleFactor() : NSScreen::mainScreen()->backingScaleFactor();
  RAST_CachedFont* font = FieldFont(mFont, scale);
  const int lineHeight = font ? font->GetLineHeight() : 0;
  return NSMakeSize(NSViewNoIntrinsicMetric, std::ceil(std::max(lineHeight, 1) / scale));
}

void NSTextField::drawRect(NSRect dirtyRect) {
  CGContextRef context = NSGraphicsContext::currentContext() ? NSGraphicsContext::currentContext()->CGContext() : nullptr;
  if (!context) return;
  const NSPoint origin = convertPointToBase(NSZeroPoint);
  const korv_appkit::DeviceRect whole = korv_appkit::ToDevice(*context, NSOffsetRect(bounds(), origin.x, origin.y));
  const int w = whole.right - whole.left, h = whole.bottom - whole.top;
  if (w <= 0 || h <= 0) return;
  // The field is drawn whole into its own picture, then the part inside the dirty area and the clip
  // is copied to the window.
  RAST_MemBitmap field(w, h);
  if (!field.getBits()) return;
  const RAST_pixel fill = Pixel(mBackgroundColor), ink = Pixel(mTextColor);
  RAST_FillRect(&field, 0, 0, w, h, fill, 1.0f, 0);
  const double deviceScale = static_cast<double>(h) / std::max<CGFloat>(1, NSHeight(bounds()));
  const int margin = std::max(1, static_cast<int>(std::lround(2 * deviceScale)));
  RAST_CachedFont* font = FieldFont(mFont, deviceScale);
  int textL = margin, textR = margin;
  if (font && mText.length()) {
    RECT extent{0, 0, 0, 0};
    font->DrawText(nullptr, mText.UTF8String(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int textW = extent.right - extent.left, textH = extent.bottom - extent.top;
    textL = mAlignment == NSTextAlignmentCenter  ? (w - textW) / 2
            : mAlignment == NSTextAlignmentRight ? w - margin - textW
                                                 : margin;
    textR = textL + textW;
    if (mEditing && mSelected)
      RAST_FillRect(&field, textL, std::max(0, (h - textH) / 2), textW, std::min(h, textH), kSelectionColour, 1.0f, 0);
    font->SetTextColor(ink);
    RECT at{textL, (h - textH) / 2, textL + textW, (h - textH) / 2 + textH};
    font->DrawText(&field, mText.UTF8String(), -1, &at, DT_NOCLIP | DT_SINGLELINE | DT_NOPREFIX);
  } else if (mAlignment == NSTextAlignmentCenter) {
    textL = textR = w / 2;
  } else if (mAlignment == NSTextAlignmentRight) {
    textL = textR = w - margin;
  }
  if (mEditing && !mSelected) RAST_FillRect(&field, std::min(textR, w - 1), 1, 1, std::max(1, h - 2), ink, 1.0f, 0);

  const korv_appkit::DeviceRect area = korv_appkit::ToDevice(*context, NSOffsetRect(dirtyRect, origin.x, origin.y));
  const CGContext::State& clip = context->state;
  const int x0 = std::max({area.left, clip.clipLeft, whole.left, 0});
  const int x1 = std::min({area.right, clip.clipRight, whole.right, context->width});
  const int y0 = std::max({area.top, clip.clipTop, whole.top, 0});
  const int y1 = std::min({area.bottom, clip.clipBottom, whole.bottom, context->height});
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      context->pixels[static_cast<size_t>(y) * context->width + x] =
          field.getBits()[(y - whole.top) * field.getRowSpan() + (x - whole.left)] | 0xFFu;
}
