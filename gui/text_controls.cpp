#include "gui/text_controls.h"

#include <cstring>

#include "gui/igraphics.h"

void ITextControl::SetTextFromPlug(const char* str) {
  if (std::strcmp(mStr.Get(), str ? str : "") != 0) {
    SetDirty(false);
    mStr.Set(str);
  }
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
