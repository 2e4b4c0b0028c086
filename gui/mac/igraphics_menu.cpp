// Popup menus built from the menu model, the receiver of the choice, and the text field formatter.
#include "gui/mac/igraphics_menu.h"

#include <algorithm>
#include <cstdio>

#include "framework/iparam.h"
#include "gui/ipopup_menu.h"

KORV_COCOA_MENU::KORV_COCOA_MENU(IPopupMenu* pMenu,
                                                             KORV_COCOA_MENU_RECEIVER* pReceiver)
    : NSMenu(""), mIPopupMenu(pMenu) {
  std::vector<const IPopupMenu*> ancestors;
  Build(pReceiver, &ancestors);
}

KORV_COCOA_MENU::KORV_COCOA_MENU(IPopupMenu* pMenu,
                                                             KORV_COCOA_MENU_RECEIVER* pReceiver,
                                                             std::vector<const IPopupMenu*>* pAncestors)
    : NSMenu(""), mIPopupMenu(pMenu) {
  Build(pReceiver, pAncestors);
}

void KORV_COCOA_MENU::Build(KORV_COCOA_MENU_RECEIVER* pReceiver,
                                          std::vector<const IPopupMenu*>* pAncestors) {
  setAutoenablesItems(false);
  if (!mIPopupMenu) return;
  pAncestors->push_back(mIPopupMenu);
  static const char* const kPrefixFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
  const char* prefixFormat = kPrefixFormats[std::clamp(mIPopupMenu->GetPrefix(), 0, 3)];
  for (int i = 0; i < mIPopupMenu->GetNItems(); ++i) {
    const IPopupMenuItem* pItem = mIPopupMenu->GetItem(i);
    NSString title(pItem->GetText());
    if (prefixFormat) {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, prefixFormat, i + 1);
      title = NSString(prefix).stringByAppendingString(title);
    }
    IPopupMenu* pSub = pItem->GetSubmenu();
    if (pSub) {
      NSMenuItem* pEntry = addItemWithTitle(title, nullptr, "");
      if (std::find(pAncestors->begin(), pAncestors->end(), pSub) != pAncestors->end()) {
        pEntry->setEnabled(false);
        continue;
      }
      auto* pSubMenu = new KORV_COCOA_MENU(pSub, pReceiver, pAncestors);
      setSubmenu(pSubMenu, pEntry);
      pSubMenu->release();
    } else if (pItem->GetIsSeparator()) {
      addItem(NSMenuItem::separatorItem());
    } else {
      NSMenuItem* pEntry =
          addItemWithTitle(title, NSMenuItem::selector(&KORV_COCOA_MENU_RECEIVER::OnMenuSelection), "");
      if (pItem->GetIsTitle()) pEntry->setIndentationLevel(1);
      pEntry->setState(pItem->GetChecked() ? NSOnState : NSOffState);
      pEntry->setEnabled(pItem->GetEnabled());
    }
  }
  pAncestors->pop_back();
}

bool KORV_COCOA_FORMATTER::getObjectValue(NSString* pValue, const NSString& string, NSString*) const {
  if (pValue) *pValue = string;
  return true;
}

bool KORV_COCOA_FORMATTER::isPartialStringValid(const NSString& partialString, NSString*, NSString*) const {
  if (filterCharacterSet) {
    for (NSUInteger i = 0; i < partialString.length(); ++i)
      if (!filterCharacterSet->characterIsMember(partialString.characterAtIndex(i))) return false;
  }
  if (maxLength && partialString.length() > static_cast<NSUInteger>(maxLength)) return false;
  if (maxValue && partialString.intValue() > maxValue) return false;
  return true;
}

NSString TextEntryCharacters(const IParam* pParam) {
  switch (pParam->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return "0123456789-+";
    case IParam::kTypeDouble: return "0123456789.-+";
    default: return "";
  }
}
