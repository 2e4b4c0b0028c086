// The editor's Cocoa view and the event translations it uses.
#include "gui/mac/igraphics_cocoa.h"

#include <Carbon/Carbon.h>

#include "gui/icontrol.h"
#include "gui/mac/igraphics_mac.h"

IMouseMod GetMouseMod(const NSEvent* event) {
  const NSEventModifierFlags flags = event->modifierFlags();
  return IMouseMod(true, flags & NSEventModifierFlagCommand, flags & NSEventModifierFlagShift,
                   flags & NSEventModifierFlagControl, flags & NSEventModifierFlagOption);
}

IMouseMod GetRightMouseMod(const NSEvent* event) {
  const NSEventModifierFlags flags = event->modifierFlags();
  return IMouseMod(false, true, flags & NSEventModifierFlagShift, flags & NSEventModifierFlagControl,
                   flags & NSEventModifierFlagOption);
}

int MapEditorKey(unsigned short keyCode, unichar character) {
  switch (keyCode) {
    case kVK_Space: return kKeySpace;
    case kVK_UpArrow: return kKeyUpArrow;
    case kVK_DownArrow: return kKeyDownArrow;
    case kVK_LeftArrow: return kKeyLeftArrow;
    case kVK_RightArrow: return kKeyRightArrow;
    default: break;
  }
  if (character >= '0' && character <= '9') return kKeyDigit0 + (character - '0');
  if (character >= 'A' && character <= 'Z') return kKeyLetterA + (character - 'A');
  if (character >= 'a' && character <= 'z') return kKeyLetterA + (character - 'a');
  return -1;
}

KORV_COCOA_VIEW::KORV_COCOA_VIEW(IGraphicsMac* pGraphics)
    : NSView(NSMakeRect(0, 0, pGraphics->Width(), pGraphics->Height())), mGraphics(pGraphics) {
  mTimer = NSTimer::timerWithTimeInterval(1.0 / pGraphics->FPS(), this, &KORV_COCOA_VIEW::onTimer,
                                          nullptr, true);
  // Common modes, so that the editor keeps redrawing while the mouse is held down.
  NSRunLoop::currentRunLoop()->addTimer(mTimer, kCFRunLoopCommonModes);
}

// The editor holds a reference until it closes the view, so only the text field is left to end.
KORV_COCOA_VIEW::~KORV_COCOA_VIEW() { endUserInput(); }

void KORV_COCOA_VIEW::killTimer() {
  // The timer may hold the last reference to this view: nothing here is touched after invalidating.
  NSTimer* pTimer = mTimer;
  mTimer = nullptr;
  if (pTimer) pTimer->invalidate();
}

NSRect KORV_COCOA_VIEW::ToNSRect(const IRECT& r) const {
  const int h = mGraphics ? mGraphics->Height() : static_cast<int>(NSHeight(frame()));
  return NSMakeRect(r.L, h - r.B - 1, r.W() + 1, r.H() + 1);
}

IRECT KORV_COCOA_VIEW::ToIRECT(NSRect r) const {
  const int h = mGraphics ? mGraphics->Height() : static_cast<int>(NSHeight(frame()));
  const int x = static_cast<int>(r.origin.x), y = static_cast<int>(r.origin.y);
  const int w = static_cast<int>(r.size.width), rh = static_cast<int>(r.size.height);
  return IRECT(x, h - y - rh, x + w, h - y);
}

void KORV_COCOA_VIEW::viewDidMoveToWindow() {
  NSWindow* pWindow = window();
  if (!pWindow) return;
  pWindow->makeFirstResponder(this);
  pWindow->setAcceptsMouseMovedEvents(true);
}

void KORV_COCOA_VIEW::drawRect(NSRect rect) {
  if (!mGraphics) return;
  IRECT area = ToIRECT(rect);
  mGraphics->Draw(&area);
}

void KORV_COCOA_VIEW::onTimer(NSTimer* timer) {
  if (timer != mTimer || !mGraphics) return;
  IRECT dirty;
  if (mGraphics->IsDirty(&dirty)) setNeedsDisplayInRect(ToNSRect(dirty));
}

bool KORV_COCOA_VIEW::getMouseXY(const NSEvent* event, int* pX, int* pY) {
  if (!mGraphics) return false;
  const NSPoint p = convertPoint(event->locationInWindow(), nullptr);
  // The 2 and 3 pixel offsets line the pointer's hot spot up with the editor's pixels.
  mPrevX = *pX = static_cast<int>(p.x) - 2;
  mPrevY = *pY = mGraphics->Height() - static_cast<int>(p.y) - 3;
  return true;
}

void KORV_COCOA_VIEW::mouseDown(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  if (event->clickCount() > 1) mGraphics->OnMouseDblClick(x, y, &mod);
  else mGraphics->OnMouseDown(x, y, &mod);
}

void KORV_COCOA_VIEW::mouseUp(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseUp(x, y, &mod);
}

void KORV_COCOA_VIEW::mouseDragged(NSEvent* event) {
  if (mTextFieldView) return;
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void KORV_COCOA_VIEW::rightMouseDown(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetRightMouseMod(event);
  mGraphics->OnMouseDown(x, y, &mod);
}

void KORV_COCOA_VIEW::rightMouseUp(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetRightMouseMod(event);
  mGraphics->OnMouseUp(x, y, &mod);
}

void KORV_COCOA_VIEW::rightMouseDragged(NSEvent* event) {
  if (mTextFieldView) return;
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetRightMouseMod(event);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void KORV_COCOA_VIEW::mouseMoved(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseOver(x, y, &mod);
}

void KORV_COCOA_VIEW::scrollWheel(NSEvent* event) {
  endUserInput();
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseWheel(x, y, &mod, static_cast<int>(event->deltaY()));
}

void KORV_COCOA_VIEW::keyDown(NSEvent* event) {
  const NSString characters = event->charactersIgnoringModifiers();
  // Dead keys and input-method compositions carry no single character: they are not for anyone.
  if (characters.length() != 1) return;
  const int key = MapEditorKey(event->keyCode(), characters.characterAtIndex(0));
  const bool used = key >= 0 && mGraphics && mGraphics->OnKeyDown(mPrevX, mPrevY, key);
  if (!used) NSView::keyDown(event);
}

void KORV_COCOA_VIEW::removeFromSuperview() {
  endUserInput();
  // Closing the editor drops its reference, which may be the last but the superview's: the view
  // must outlive this call.
  retain();
  if (IGraphicsMac* pGraphics = mGraphics) {
    mGraphics = nullptr;
    pGraphics->CloseWindow();
  }
  NSView::removeFromSuperview();
  autorelease();
}

void KORV_COCOA_VIEW::registerToolTip(const IRECT& area) {
  addToolTipRect(ToNSRect(area), this, nullptr);
}

NSString KORV_COCOA_VIEW::viewStringForToolTip(NSView*, NSToolTipTag, NSPoint, void*) {
  if (!mGraphics) return NSString();
  const IControl* pControl = mGraphics->GetControl(mGraphics->GetMouseOver());
  return pControl ? NSString(pControl->GetTooltip()) : NSString();
}
