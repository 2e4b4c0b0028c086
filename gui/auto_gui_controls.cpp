// The controls of the generated editors, drawn with lines, arcs and text only.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/fx_base.h"
#include "gui/auto_gui.h"
#include "gui/igraphics.h"

namespace {

// The parameter's display text and label, as the value areas show them.
void ValueText(const IParam* pParam, char* buf, size_t size) {
  char display[kParamDisplayLen];
  pParam->GetDisplayForHost(display);
  std::snprintf(buf, size, "%s %s", display, pParam->GetLabelForHost());
}

IText Aligned(const IText* pText, IText::EAlign align) {
  IText text = *pText;
  text.mAlign = align;
  return text;
}

}  // namespace

AGKnobControl::AGKnobControl(IFxBase* pPlug, IRECT rect, int paramIdx, IText* pText, const IColor* pBGColor,
                             const IColor* pFGColor, int textHeight)
    : IKnobControl(pPlug, rect, paramIdx, kVertical, kDefaultGearing),
      mBGColor(*pBGColor),
      mFGColor(*pFGColor),
      mLabelRect(rect.L, rect.T, rect.R, rect.T + textHeight),
      mValueRect(rect.L, rect.B - textHeight, rect.R, rect.B),
      mKnobRect(rect.L, rect.T + textHeight, rect.R, rect.B - textHeight),
      mTextEntryRect(mValueRect.L + 2, mValueRect.T + 3, mValueRect.R - 2, mValueRect.B - 3) {
  mOuterRadius = 0.5f * mKnobRect.H();
  mText = Aligned(pText, IText::kAlignCenter);
  DisablePrompt(false);
}

void AGKnobControl::OnMouseDown(int x, int y, IMouseMod* pMod) {
  if (mValueRect.Contains(x, y)) {
    PromptUserInput(&mTextEntryRect);
    return;
  }
  IKnobControl::OnMouseDown(x, y, pMod);
}

bool AGKnobControl::Draw(IGraphics* pGraphics) {
  IRECT outline = mRect;
  pGraphics->RoundRect(&mFGColor, &outline, nullptr, 2, true);
  const IParam* pParam = GetParam();
  if (pParam) pGraphics->DrawIText(&mText, pParam->GetNameForHost(), &mLabelRect);

  const float cx = mKnobRect.MW(), cy = mKnobRect.MH();
  pGraphics->FillCircle(&mBGColor, static_cast<int>(cx), static_cast<int>(cy), mOuterRadius - 5.0f, nullptr, true);
  pGraphics->DrawArc(&mFGColor, cx, cy, mOuterRadius, mMinAngle, mMaxAngle, nullptr, true);
  pGraphics->DrawArc(&mFGColor, cx, cy, mOuterRadius + 1.0f, mMinAngle, mMaxAngle, nullptr, true);
  const float angle = mMinAngle + static_cast<float>(mValue) * (mMaxAngle - mMinAngle);
  pGraphics->DrawRadialLine(&mFGColor, cx, cy, angle, mInnerRadius, mOuterRadius, nullptr, true);
  // A second line one pixel over makes the indicator two pixels wide.
  const bool moreHorizontal = std::fabs(std::sin(angle)) > std::fabs(std::cos(angle));
  pGraphics->DrawRadialLine(&mFGColor, moreHorizontal ? cx : cx + 1.0f, moreHorizontal ? cy + 1.0f : cy, angle,
                            mInnerRadius, mOuterRadius, nullptr, true);

  if (pParam) {
    char value[2 * kParamDisplayLen];
    ValueText(pParam, value, sizeof value);
    pGraphics->DrawIText(&mText, value, &mValueRect);
  }
  return true;
}

AGHSliderControl::AGHSliderControl(IFxBase* pPlug, IRECT rect, int paramIdx, IText* pText, const IColor* pBGColor,
                                   const IColor* pFGColor, int labelWidth, int valueWidth)
    : IControl(pPlug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendNone)),
      mBGColor(*pBGColor),
      mFGColor(*pFGColor),
      mLabelRect(rect.L, rect.T, rect.L + labelWidth, rect.B),
      mValueRect(rect.R - valueWidth, rect.T, rect.R, rect.B),
      mTrackRect(rect.L + labelWidth + 2, rect.T, rect.R - valueWidth - 2, rect.B),
      mTextEntryRect(mValueRect) {
  mText = Aligned(pText, IText::kAlignNear);
  DisablePrompt(false);
}

void AGHSliderControl::SnapToMouse(int x) {
  // A track too short to slide on leaves the value alone.
  if (mTrackRect.Contains(x, mTrackRect.T + 3) && mTrackRect.W() > 4) {
    const float v = static_cast<float>(x - mTrackRect.L - 2) / static_cast<float>(mTrackRect.W() - 4);
    mValue = std::clamp(v, 0.0f, 1.0f);
  }
  SetDirty(true);
}

void AGHSliderControl::OnMouseDown(int x, int y, IMouseMod*) {
  if (mValueRect.Contains(x, y)) {
    PromptUserInput(&mTextEntryRect);
    return;
  }
  SnapToMouse(x);
}

void AGHSliderControl::OnMouseDrag(int x, int, int, int, IMouseMod*) { SnapToMouse(x); }

bool AGHSliderControl::Draw(IGraphics* pGraphics) {
  const IParam* pParam = GetParam();
  if (pParam) pGraphics->DrawIText(&mText, pParam->GetNameForHost(), &mLabelRect);
  pGraphics->DrawHorizontalLine(&mFGColor, (mTrackRect.T + mTrackRect.B) / 2, mTrackRect.L, mTrackRect.R);
  const int handleL = mTrackRect.L + static_cast<int>(mValue * (mTrackRect.W() - 4));
  IRECT handle(handleL, mRect.T + 4, handleL + 5, mRect.B - 4);
  pGraphics->FillRoundRect(&mFGColor, &handle, nullptr, 2, true);
  if (pParam) {
    char value[2 * kParamDisplayLen];
    ValueText(pParam, value, sizeof value);
    pGraphics->DrawIText(&mText, value, &mValueRect);
  }
  return true;
}

AGPanelTabs::AGPanelTabs(IFxBase* pPlug, IRECT rect, IText* pText, const IColor* pBGColor, const IColor* pFGColor,
                         const IColor* pHLColor)
    : IControl(pPlug, rect), mBGColor(*pBGColor), mFGColor(*pFGColor), mHLColor(*pHLColor) {
  mText = Aligned(pText, IText::kAlignCenter);
  mDblAsSingleClick = true;
}

AGPanelTabs::~AGPanelTabs() {
  for (AGTab* pTab : mTabs) delete pTab;
}

void AGPanelTabs::OnMouseDown(int x, int y, IMouseMod*) {
  auto hit = std::find_if(mTabs.begin(), mTabs.end(), [&](const AGTab* pTab) { return pTab->mRect.Contains(x, y); });
  if (hit != mTabs.end()) mActive = static_cast<int>(hit - mTabs.begin());
  mValue = mTabs.size() > 1 ? static_cast<double>(mActive) / (mTabs.size() - 1) : 0.0;
  if (IGraphics* pGraphics = GetEditor(mPlug)) {
    for (int t = 0; t < NTabs(); ++t)
      for (int paramIdx : mTabs[t]->mParamsToMux) pGraphics->HideControl(paramIdx, t != mActive);
  }
  SetDirty(true);
}

bool AGPanelTabs::Draw(IGraphics* pGraphics) {
  for (int t = 0; t < NTabs(); ++t) {
    IRECT r = mTabs[t]->mRect;
    if (t == mActive) pGraphics->FillIRect(&mHLColor, &r);
    pGraphics->DrawRect(&mFGColor, &r);
    pGraphics->DrawIText(&mText, mTabs[t]->mLabel.Get(), &r);
  }
  return true;
}

AGPresetSaveButtonControl::AGPresetSaveButtonControl(IFxBase* pPlug, IRECT rect, IText* pText,
                                                     const char** paramEnumNames)
    : IPanelControl(pPlug, rect, &COLOR_RED), mParamNameStrings(paramEnumNames) {
  mText = Aligned(pText, IText::kAlignCenter);
}

void AGPresetSaveButtonControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* pGraphics = GetEditor(mPlug);
  if (!pGraphics) return;
  BRM_String file, dir;
  pGraphics->DesktopPath(&dir);
  pGraphics->PromptForFile(&file, kFileSave, &dir, "txt");
  if (file.GetLength()) mPlug->DumpPresetSrcCode(file.Get(), mParamNameStrings);
}

bool AGPresetSaveButtonControl::Draw(IGraphics* pGraphics) {
  IPanelControl::Draw(pGraphics);
  return pGraphics->DrawIText(&mText, "Dump preset", &mRect);
}
