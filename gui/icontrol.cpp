#include "gui/icontrol.h"

#include <cstdio>

#include "framework/fx_assert.h"
#include "gui/igraphics.h"
#include "gui/text_controls.h"

IControl::IControl(IFxBase* pPlug, IRECT rect, int paramIdx, IChannelBlend blend)
    : mPlug(pPlug), mRect(rect), mTargetRect(rect), mParamIdx(paramIdx), mAuxParams(64), mBlend(blend) {}

void IControl::OnMouseDown(int, int, IMouseMod* pMod) {
  if (pMod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (mDefaultValue >= 0.0) {
    mValue = mDefaultValue;
    SetDirty(true);
  }
}

void IControl::SetValueFromPlug(double value) {
  if (mDefaultValue < 0.0) mDefaultValue = mValue = value;
  if (mValue != value) {
    mValue = value;
    SetDirty(false);
    Redraw();
  }
}

void IControl::SetValueFromUserInput(double value) {
  if (mValue != value) {
    mValue = value;
    SetDirty(true);
    Redraw();
  }
}

void IControl::Hide(bool hide) {
  mHidden = hide;
  mRedrawPending = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

IParam* IControl::GetParam() const { return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr; }

void IControl::SetDirty(bool pushParamToPlug) {
  if (mValue < mClampLo) {
    mValue = mClampLo;
  } else if (mValue > mClampHi) {
    mValue = mClampHi;
  }
  mDirty = true;
  if (pushParamToPlug) PushValueToPlugAndHost();
}

void IControl::PushValueToPlugAndHost() {
  if (!mPlug || mParamIdx < 0) return;
  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  IParam* pParam = GetParam();
  if (!pParam) return;
  if (mValueDisplay) {
    char display[kParamDisplayLen], text[80];
    pParam->GetDisplayForHost(display);
    std::snprintf(text, sizeof text, "%.32s %.32s", display, pParam->GetLabelForHost());
    mValueDisplay->SetTextFromPlug(text);
  }
  if (mNameDisplay) {
    char text[40];
    std::snprintf(text, sizeof text, "%.32s", pParam->GetNameForHost());
    mNameDisplay->SetTextFromPlug(text);
  }
}

void IControl::SetClean() {
  mDirty = mRedrawPending;
  mRedrawPending = false;
}

void IControl::PromptUserInput() {
  if (mParamIdx < 0 || mPromptDisabled) return;
  IParam* pParam = GetParam();
  if (pParam && pParam->GetNDisplayTexts()) {
    PromptUserInput(&mRect);
    return;
  }
  int cX = static_cast<int>(mRect.MW());
  int cY = static_cast<int>(mRect.MH());
  IRECT txtRect(cX - 20, cY - 8, cX + 20, cY + 8);
  PromptUserInput(&txtRect);
}

void IControl::PromptUserInput(IRECT* pTextRect) {
  if (mParamIdx < 0 || mPromptDisabled) return;
  if (IGraphics* pGraphics = GetEditor(mPlug)) pGraphics->PromptUserInput(this, GetParam(), pTextRect);
  Redraw();
}

// A failure report quotes these expressions, so the argument keeps the name idx.
void IControl::AddAuxParam(int idx) {
  FX_ASSERT(idx > -1);
  int n = mAuxParams.GetSize();
  if (!mAuxParams.Resize(n + 1)) return;
  mAuxParams.Get()[n] = AuxParam{0.0, idx};
}

IControl::AuxParam* IControl::GetAuxParam(int idx) {
  FX_ASSERT(idx > -1 && idx < mAuxParams.GetSize());
  return mAuxParams.Get() + idx;
}

int IControl::AuxParamIdx(int paramIdx) const {
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  AuxParam* pAux = GetAuxParam(auxParamIdx);
  if (pAux->mValue != value) {
    pAux->mValue = value;
    SetDirty(false);
    Redraw();
  }
}

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i) {
    const AuxParam& aux = mAuxParams.Get()[i];
    mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}

int FrameForValue(double value, int nFrames) {
  if (nFrames < 1) nFrames = 1;
  double position = 0.5 + value * static_cast<double>(nFrames - 1);
  // Limited before the conversion so that huge or undefined values cannot overflow the int.
  if (!(position >= 0.0)) return 1;
  if (position >= static_cast<double>(nFrames)) return nFrames;
  return 1 + static_cast<int>(position);
}
