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

IGraphicsCocoa_vKORVALINE_au::IGraphicsCocoa_vKORVALINE_au(IGraphicsMac* pGraphics)
    : NSView(NSMakeRect(0, 0, pGraphics->Width(), pGraphics->Height())), mGraphics(pGraphics) {
  mTimer = NSTimer::timerWithTimeInterval(1.0 / pGraphics->FPS(), this, &IGraphicsCocoa_vKORVALINE_au::onTimer,
                                          nullptr, true);
  // Common modes, so that the editor keeps redrawing while the mouse is held down.
  NSRunLoop::currentRunLoop()->addTimer(mTimer, kCFRunLoopCommonModes);
}

// The editor holds a reference until it closes the view, so only the text field is left to end.
IGraphicsCocoa_vKORVALINE_au::~IGraphicsCocoa_vKORVALINE_au() { endUserInput(); }

void IGraphicsCocoa_vKORVALINE_au::killTimer() {
  // The timer may hold the last reference to this view: nothing here is touched after invalidating.
  NSTimer* pTimer = mTimer;
  mTimer = nullptr;
  if (pTimer) pTimer->invalidate();
}

NSRect IGraphicsCocoa_vKORVALINE_au::ToNSRect(const IRECT& r) const {
  const int h = mGraphics ? mGraphics->Height() : static_cast<int>(NSHeight(frame()));
  return NSMakeRect(r.L, h - r.B - 1, r.W() + 1, r.H() + 1);
}

IRECT IGraphicsCocoa_vKORVALINE_au::ToIRECT(NSRect r) const {
  const int h = mGraphics ? mGraphics->Height() : static_cast<int>(NSHeight(frame()));
  const int x = static_cast<int>(r.origin.x), y = static_cast<int>(r.origin.y);
  const int w = static_cast<int>(r.size.width), rh = static_cast<int>(r.size.height);
  return IRECT(x, h - y - rh, x + w, h - y);
}

void IGraphicsCocoa_vKORVALINE_au::viewDidMoveToWindow() {
  NSWindow* pWindow = window();
  if (!pWindow) return;
  pWindow->makeFirstResponder(this);
  pWindow->setAcceptsMouseMovedEvents(true);
}

void IGraphicsCocoa_vKORVALINE_au::drawRect(NSRect rect) {
  if (!mGraphics) return;
  IRECT area = ToIRECT(rect);
  mGraphics->Draw(&area);
}

void IGraphicsCocoa_vKORVALINE_au::onTimer(NSTimer* timer) {
  if (timer != mTimer || !mGraphics) return;
  IRECT dirty;
  if (mGraphics->IsDirty(&dirty)) setNeedsDisplayInRect(ToNSRect(dirty));
}

bool IGraphicsCocoa_vKORVALINE_au::getMouseXY(const NSEvent* event, int* pX, int* pY) {
  if (!mGraphics) return false;
  const NSPoint p = convertPoint(event->locationInWindow(), nullptr);
  // The 2 and 3 pixel offsets line the pointer's hot spot up with the editor's pixels.
  mPrevX = *pX = static_cast<int>(p.x) - 2;
  mPrevY = *pY = mGraphics->Height() - static_cast<int>(p.y) - 3;
  return true;
}

void IGraphicsCocoa_vKORVALINE_au::mouseDown(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  if (event->clickCount() > 1) mGraphics->OnMouseDblClick(x, y, &mod);
  else mGraphics->OnMouseDown(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::mouseUp(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::mouseDragged(NSEvent* event) {
  if (mTextFieldView) return;
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::rightMouseDown(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetRightMouseMod(event);
  mGraphics->OnMouseDown(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::rightMouseUp(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetRightMouseMod(event);
  mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::rightMouseDragged(NSEvent* event) {
  if (mTextFieldView) return;
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetRightMouseMod(event);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::mouseMoved(NSEvent* event) {
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseOver(x, y, &mod);
}

void IGraphicsCocoa_vKORVALINE_au::scrollWheel(NSEvent* event) {
  endUserInput();
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = GetMouseMod(event);
  mGraphics->OnMouseWheel(x, y, &mod, static_cast<int>(event->deltaY()));
}

void IGraphicsCocoa_vKORVALINE_au::keyDown(NSEvent* event) {
  const NSString characters = event->charactersIgnoringModifiers();
  // Dead keys and input-method compositions carry no single character: they are not for anyone.
  if (characters.length() != 1) return;
  const int key = MapEditorKey(event->keyCode(), characters.characterAtIndex(0));
  const bool used = key >= 0 && mGraphics && mGraphics->OnKeyDown(mPrevX, mPrevY, key);
  if (!used) NSView::keyDown(event);
}

void IGraphicsCocoa_vKORVALINE_au::removeFromSuperview() {
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

void IGraphicsCocoa_vKORVALINE_au::registerToolTip(const IRECT& area) {
  addToolTipRect(ToNSRect(area), this, nullptr);
}

NSString IGraphicsCocoa_vKORVALINE_au::viewStringForToolTip(NSView*, NSToolTipTag, NSPoint, void*) {
  if (!mGraphics) return NSString();
  const IControl* pControl = mGraphics->GetControl(mGraphics->GetMouseOver());
  return pControl ? NSString(pControl->GetTooltip()) : NSString();
}
