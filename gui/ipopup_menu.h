#pragma once
// The platform-neutral menu model: the editor fills it, the platform shows it and stores the
// chosen item's index back into it.
#include "base/brm_string.h"
#include "base/ptr_list.h"

class IPopupMenu;

class IPopupMenuItem {
 public:
  enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

  IPopupMenuItem(const char* text, int flags = kNoFlags) : mText(text), mFlags(flags) {}
  // The submenu is not owned: deleting the item leaves it alone.
  IPopupMenuItem(const char* text, IPopupMenu* pSubMenu) : mText(text), mSubmenu(pSubMenu) {}

  void SetText(const char* text) { mText.Set(text); }
  const char* GetText() const { return mText.Get(); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetIsTitle() const { return mFlags & kTitle; }
  bool GetChecked() const { return mFlags & kChecked; }
  bool GetIsSeparator() const { return mFlags & kSeparator; }
  void SetChecked(bool state) { mFlags = state ? (mFlags | kChecked) : (mFlags & ~kChecked); }

 private:
  BRM_String mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags = kNoFlags;
};

class IPopupMenu {
 public:
  // Number prefixes put in front of item texts when shown: none, "%1d: ", "%02d: ", "%03d: ".
  enum EPrefix { kPrefixNone = 0, kPrefixOneDigit, kPrefixTwoDigits, kPrefixThreeDigits };

  explicit IPopupMenu(int prefix = kPrefixNone, bool multiCheck = false);
  ~IPopupMenu() { mMenuItems.Empty(true); }
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // index -1 appends; others are clamped to 0..count. The menu owns the item.
  IPopupMenuItem* AddItem(IPopupMenuItem* pItem, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* pSubMenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* pSubMenu) { return AddItem(text, -1, pSubMenu); }
  IPopupMenuItem* AddSeparator(int index = -1);

  // Null outside the list.
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  const char* GetItemText(int index) const { return mMenuItems.Get(index)->GetText(); }
  int GetNItems() const { return mMenuItems.GetSize(); }

  // Values other than the four prefixes are ignored.
  void SetPrefix(int prefix);
  int GetPrefix() const { return mPrefix; }

  bool CheckItem(int index, bool state);
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }

 private:
  int mPrefix = kPrefixNone;
  int mChosenItemIdx = -1;
  bool mCanMultiCheck;
  BRM_PtrList<IPopupMenuItem> mMenuItems;
};
