// The editor view's popup menus and its one-line text field for typed values.
#include <algorithm>
#include <cmath>

#include "framework/fx_base.h"
#include "gui/icontrol.h"
#include "gui/ipopup_menu.h"
#include "gui/mac/igraphics_cocoa.h"
#include "gui/mac/igraphics_mac.h"
#include "gui/mac/igraphics_menu.h"

namespace {

NSColor ToNSColor(const IColor& color) {
  return NSColor::colorWithCalibratedRed(color.R / 255.0, color.G / 255.0, color.B / 255.0, color.A / 255.0);
}

NSTextAlignment ToNSAlignment(IText::EAlign align) {
  switch (align) {
    case IText::kAlignCenter: return NSTextAlignmentCenter;
    case IText::kAlignFar: return NSTextAlignmentRight;
    default: return NSTextAlignmentLeft;
  }
}

// The area, made as tall as height about its middle when it is lower, kept inside bounds.
NSRect TallEnough(NSRect area, CGFloat height, NSRect bounds) {
  if (NSHeight(area) >= height) return area;
  height = std::min(height, NSHeight(bounds));
  const CGFloat bottom = std::round(NSMinY(area) + (NSHeight(area) - height) / 2);
  return NSMakeRect(NSMinX(area), std::clamp(bottom, NSMinY(bounds), NSMaxY(bounds) - height), NSWidth(area), height);
}

// The menu model holding the item the receiver got, with the item's index stored; null when nothing
// was chosen.
IPopupMenu* ChosenModel(const KORV_COCOA_MENU_RECEIVER* pReceiver) {
  NSMenuItem* pChosen = pReceiver->MenuItem();
  auto* pOwner = pChosen ? dynamic_cast<KORV_COCOA_MENU*>(pChosen->menu()) : nullptr;
  const NSInteger idx = pOwner ? pOwner->indexOfItem(pChosen) : -1;
  if (idx < 0 || !pOwner->AssociatedIPopupMenu()) return nullptr;
  pOwner->AssociatedIPopupMenu()->SetChosenItemIdx(static_cast<int>(idx));
  return pOwner->AssociatedIPopupMenu();
}

}  // namespace

NSEvent* KORV_COCOA_VIEW::menuEventUnder(NSRect rect) {
  NSWindow* pWindow = window();
  // In window points, as the event's location always is; the display finds the screen position.
  const NSPoint location = convertPointToBase(NSMakePoint(rect.origin.x, rect.origin.y - 4));
  return NSEvent::otherEventWithType(NSEventTypeApplicationDefined, location, 15, 0,
                                     pWindow ? pWindow->windowNumber() : 0, NSGraphicsContext::currentContext(), 0,
                                     0, 0);
}

IPopupMenu* KORV_COCOA_VIEW::createIPopupMenu(IPopupMenu* pMenu, NSRect rect) {
  if (!mGraphics || !pMenu) return nullptr;
  auto* pReceiver = new KORV_COCOA_MENU_RECEIVER(rect);
  auto* pNSMenu = new KORV_COCOA_MENU(pMenu, pReceiver);
  // Timers run while the menu is open and may close the editor: keep this view until the menu is done.
  retain();
  NSMenu::popUpContextMenu(pNSMenu, menuEventUnder(rect), pReceiver);
  IPopupMenu* pChosenMenu = mGraphics ? ChosenModel(pReceiver) : nullptr;
  pNSMenu->release();
  pReceiver->release();
  autorelease();
  return pChosenMenu;
}

void KORV_COCOA_VIEW::popUpIPopupMenu(std::unique_ptr<IPopupMenu> pMenu, NSRect rect,
                                      IGraphics::MenuChoice onChosen) {
  if (!mGraphics || !pMenu) return;
  if (mPromptMenu) mPromptMenu->cancelTracking();
  auto* pReceiver = new KORV_COCOA_MENU_RECEIVER(rect);
  auto* pNSMenu = new KORV_COCOA_MENU(pMenu.get(), pReceiver);
  mPromptMenu = pNSMenu;
  // This view and the model stay until the menu closes, whoever closes it.
  retain();
  std::shared_ptr<IPopupMenu> pModel = std::move(pMenu);
  NSMenu::popUpContextMenu(pNSMenu, menuEventUnder(rect), pReceiver, [this, pNSMenu, pReceiver, pModel, onChosen] {
    if (mPromptMenu == pNSMenu) mPromptMenu = nullptr;
    if (IPopupMenu* pChosen = mGraphics ? ChosenModel(pReceiver) : nullptr) onChosen(pChosen);
    pNSMenu->release();
    pReceiver->release();
    autorelease();
  });
}

// Defined with the view's menus, whose class only the sources built per plug-in know.
void IGraphicsMac::PopUpMenu(std::unique_ptr<IPopupMenu> pMenu, IRECT* pAreaRect, MenuChoice onChosen) {
  // The press that asked for the menu must not keep dragging the control, shown or not.
  ReleaseMouseCapture();
  if (!mView || !pMenu || !pAreaRect) return;
  auto* pView = static_cast<KORV_COCOA_VIEW*>(mView);
  pView->popUpIPopupMenu(std::move(pMenu), pView->ToNSRect(*pAreaRect), std::move(onChosen));
}

void KORV_COCOA_VIEW::createTextEntry(IControl* pControl, IParam* pParam, const IText* pText,
                                                   const char* str, NSRect rect) {
  if (!mGraphics || !pControl || !pText || mTextFieldView) return;
  NSTextField* pField = new NSTextField(rect);
  pField->setFont(NSFont::fontWithName(pText->mFont, static_cast<int>(0.9 * pText->mSize)));
  pField->setAlignment(ToNSAlignment(pText->mAlign));
  if (pParam) {
    auto* pFormatter = new KORV_COCOA_FORMATTER;
    pFormatter->setFilterCharacterSet(NSCharacterSet::characterSetWithCharactersInString(TextEntryCharacters(pParam)));
    pFormatter->setMaximumLength(pControl->GetTextEntryLength());
    pField->setFormatter(pFormatter);
    pFormatter->release();
  }
  pField->cell()->setLineBreakMode(NSLineBreakByTruncatingTail);
  pField->setAllowsEditingTextAttributes(false);
  pField->setTextColor(ToNSColor(pText->mTextEntryFGColor));
  pField->setBackgroundColor(ToNSColor(pText->mTextEntryBGColor));
  pField->setStringValue(str ? str : "");
  pField->setBordered(false);
  pField->setFocusRingType(NSFocusRingTypeNone);
  pField->setDelegate(this);

  addSubview(pField);
  // An area lower than the font's line would cut the glyphs off.
  pField->setFrame(TallEnough(rect, pField->intrinsicContentSize().height, bounds()));
  mTextFieldView = pField;
  mEdControl = pControl;
  mEdParam = pParam;
  mEdInitialText = pField->stringValue();
  if (NSWindow* pWindow = window()) {
    pWindow->makeKeyAndOrderFront(nullptr);
    pWindow->makeFirstResponder(pField);
  }
}

void KORV_COCOA_VIEW::controlTextDidEndEditing(NSNotification* notification) {
  if (!mTextFieldView || !mGraphics) {
    endUserInput();
    return;
  }
  const NSTextMovement movement = notification ? notification->textMovement : NSTextMovementOther;
  const NSString text = mTextFieldView->stringValue();
  // Return, Tab and a click elsewhere all apply the text; only Escape takes it back. A field that
  // merely lost the keyboard as it opened changes nothing: a click in and out must neither round the
  // value to its display nor tell the host of a gesture.
  const bool untouched = movement == NSTextMovementOther && text == mEdInitialText;
  if (movement != NSTextMovementCancel && !untouched) {
    IControl* pControl = mEdControl;
    IParam* pParam = mEdParam;
    if (pParam) {
      // The field outlives the click that opened it, so the typed value is a gesture of its own.
      const int paramIdx = pControl->ParamIdx();
      IFxBase* pPlug = mGraphics->GetPlug();
      if (pPlug && paramIdx >= 0) pPlug->BeginInformHostOfParamChange(paramIdx);
      mGraphics->SetFromStringAfterPrompt(pControl, pParam, text.UTF8String());
      if (pPlug && paramIdx >= 0) pPlug->EndInformHostOfParamChange(paramIdx);
    } else {
      pControl->TextFromTextEntry(text.UTF8String());
    }
  }
  endUserInput();
  setNeedsDisplay(true);
}

void KORV_COCOA_VIEW::endUserInput() {
  if (NSMenu* pMenu = mPromptMenu) {
    mPromptMenu = nullptr;
    pMenu->cancelTracking();
  }
  NSTextField* pField = mTextFieldView;
  if (!pField) return;
  mTextFieldView = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  mEdInitialText = NSString();
  // Detached first: leaving the window ends the field's editing, which must not apply the text.
  pField->setDelegate(nullptr);
  pField->removeFromSuperview();
  pField->release();
  if (NSWindow* pWindow = window()) pWindow->makeFirstResponder(this);
}
