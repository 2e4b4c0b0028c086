#pragma once
// The Cocoa side of popup menus and typed values: a menu built from the editor's menu model, the
// view that receives the chosen item, and the formatter that vets a text field's edits.
#include <AppKit/AppKit.h>

#include "gui/mac/cocoa_class_names.h"

#include <optional>
#include <vector>

class IPopupMenu;

// Receives the item the user chose from a menu shown for it.
class KORV_COCOA_MENU_RECEIVER : public NSView {
 public:
  explicit KORV_COCOA_MENU_RECEIVER(NSRect frame) : NSView(frame) {}
  void OnMenuSelection(NSMenuItem* pItem) { nsMenuItem = pItem; }
  NSMenuItem* MenuItem() const { return nsMenuItem; }

 private:
  NSMenuItem* nsMenuItem = nullptr;
};

class KORV_COCOA_MENU : public NSMenu {
 public:
  // Items in order, with the menu's number prefix, submenus built the same way. A submenu that is
  // already one of its own ancestors becomes a disabled entry: a menu that contains itself would
  // otherwise be built without end.
  KORV_COCOA_MENU(IPopupMenu* pMenu, KORV_COCOA_MENU_RECEIVER* pReceiver);
  IPopupMenu* AssociatedIPopupMenu() const { return mIPopupMenu; }

 private:
  KORV_COCOA_MENU(IPopupMenu* pMenu, KORV_COCOA_MENU_RECEIVER* pReceiver,
                                std::vector<const IPopupMenu*>* pAncestors);
  void Build(KORV_COCOA_MENU_RECEIVER* pReceiver, std::vector<const IPopupMenu*>* pAncestors);

  IPopupMenu* mIPopupMenu;
};

// Refuses an edit with a character outside the filter, more than maxLength characters or an integer
// value above maxValue (0 means no limit).
class KORV_COCOA_FORMATTER : public NSFormatter {
 public:
  // Without a set every character passes.
  void setFilterCharacterSet(std::optional<NSCharacterSet> set) { filterCharacterSet = std::move(set); }
  void setMaximumLength(int len) { maxLength = len; }
  int maximumLength() const { return maxLength; }
  void setMaximumValue(int value) { maxValue = value; }
  int maximumValue() const { return maxValue; }

  NSString stringForObjectValue(const NSString& value) const override { return value; }
  bool getObjectValue(NSString* pValue, const NSString& string, NSString* pError) const override;
  bool isPartialStringValid(const NSString& partialString, NSString* pNewString, NSString* pError) const override;

 private:
  std::optional<NSCharacterSet> filterCharacterSet;
  int maxLength = 0;
  int maxValue = 0;
};

// The characters a parameter's text field accepts: digits and signs, and the decimal point for
// doubles; none for an untyped parameter.
class IParam;
NSString TextEntryCharacters(const IParam* pParam);
