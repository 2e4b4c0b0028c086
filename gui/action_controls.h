#pragma once
// Controls that act outside the editor: opening a web address, choosing a file.
#include "gui/bitmap_controls.h"

// A press opens the address (or the backup address when the first cannot be opened); draws nothing.
class IURLControl : public IControl {
 public:
  static constexpr int kURLLen = 256;
  static constexpr int kErrMsgLen = 1024;

  // Texts longer than their buffers are cut.
  IURLControl(IFxBase* pPlug, IRECT rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics*) override { return true; }

 protected:
  char mURL[kURLLen], mBackupURL[kURLLen], mErrMsg[kErrMsgLen];
};

// A press asks for a file; its bitmap shows while the question is open.
class IFileSelectorControl : public IControl {
 public:
  enum EFileSelectorState { kFSNone = 0, kFSSelecting, kFSDone };

  IFileSelectorControl(IFxBase* pPlug, IRECT rect, int paramIdx, IBitmap* pBitmap, EFileAction action,
                       const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  // True once more after a choice has finished, so that the finished state is drawn.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(BRM_String* pStr) { pStr->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  EFileSelectorState GetState() const { return mState; }

 protected:
  IBitmap mBitmap;
  BRM_String mFile, mDir, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
