#include "gui/action_controls.h"

#include "framework/text_copy.h"
#include "gui/igraphics.h"

IURLControl::IURLControl(IFxBase* pPlug, IRECT rect, const char* url, const char* backupURL, const char* errMsgOnFailure)
    : IControl(pPlug, rect) {
  CopyTextCut(mURL, url);
  CopyTextCut(mBackupURL, backupURL);
  CopyTextCut(mErrMsg, errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* pGraphics = GetEditor(mPlug);
  if (!pGraphics) return;
  bool opened = false;
  if (mURL[0]) opened = pGraphics->OpenURL(mURL, mErrMsg);
  if (!opened && mBackupURL[0]) pGraphics->OpenURL(mBackupURL, mErrMsg);
}

IFileSelectorControl::IFileSelectorControl(IFxBase* pPlug, IRECT rect, int paramIdx, IBitmap* pBitmap,
                                           EFileAction action, const char* dir, const char* extensions)
    : IControl(pPlug, rect, paramIdx), mBitmap(*pBitmap), mDir(dir), mExtensions(extensions), mFileAction(action) {}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* pGraphics = GetEditor(mPlug);
  if (!pGraphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  pGraphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* pGraphics) {
  if (mState != kFSSelecting) return true;
  return pGraphics->DrawBitmap(&mBitmap, &mRect, 0, 0, nullptr);
}

bool IFileSelectorControl::IsDirty() {
  if (mDirty) return true;
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return false;
}
