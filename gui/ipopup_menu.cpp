#include "gui/ipopup_menu.h"

IPopupMenu::IPopupMenu(int prefix, bool multiCheck) : mCanMultiCheck(multiCheck) { SetPrefix(prefix); }

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* pItem, int index) {
  int n = mMenuItems.GetSize();
  if (index != -1) index = index < 0 ? 0 : (index > n ? n : index);
  if (!mMenuItems.Insert(index == -1 ? n : index, pItem)) {
    delete pItem;
    return nullptr;
  }
  return pItem;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int itemFlags) {
  return AddItem(new IPopupMenuItem(text, itemFlags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* pSubMenu) {
  return AddItem(new IPopupMenuItem(text, pSubMenu), index);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

void IPopupMenu::SetPrefix(int prefix) {
  if (prefix >= kPrefixNone && prefix <= kPrefixThreeDigits) mPrefix = prefix;
}

bool IPopupMenu::CheckItem(int index, bool state) {
  IPopupMenuItem* pItem = mMenuItems.Get(index);
  if (!pItem) return false;
  pItem->SetChecked(state);
  return true;
}

void IPopupMenu::CheckItemAlone(int index) {
  for (int i = 0; i < mMenuItems.GetSize(); ++i) mMenuItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const {
  IPopupMenuItem* pItem = mMenuItems.Get(index);
  return pItem && pItem->GetChecked();
}
