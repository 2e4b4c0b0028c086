#include "gui/text_controls.h"

#include <cstring>

#include "gui/igraphics.h"

bool ReplaceText(BRM_String* pStr, const char* str) {
  if (std::strcmp(pStr->Get(), str ? str : "") == 0) return false;
  pStr->Set(str);
  return true;
}

void ITextControl::SetTextFromPlug(const char* str) {
  if (ReplaceText(&mStr, str)) SetDirty(false);
}

bool ITextControl::Draw(IGraphics* pGraphics) {
  if (!mStr.GetLength()) return true;
  return pGraphics->DrawIText(&mText, mStr.Get(), &mRect);
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* pMod) {
  if (pMod->L || pMod->R) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) { PromptUserInput(); }

bool ICaptionControl::Draw(IGraphics* pGraphics) {
  if (IParam* pParam = GetParam()) {
    char display[kParamDisplayLen];
    pParam->GetDisplayForHost(display);
    mStr.Set(display);
    if (mShowParamLabel) {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabelForHost());
    }
  }
  return ITextControl::Draw(pGraphics);
}
