#include "gui/igraphics.h"

#include <cmath>

#include "gui/bitmap_cache.h"
#include "gui/bitmap_controls.h"
#include "gui/icontrol.h"

namespace {
constexpr int kDefaultFrameRate = 25;
}

IGraphics* GetEditor(IFxBase* pPlug) { return pPlug ? dynamic_cast<IGraphics*>(pPlug->GetGUI()) : nullptr; }

IGraphics::IGraphics(IFxBase* pPlug, int w, int h, int fps)
    : mPlug(pPlug), mWidth(w), mHeight(h), mFrameRate(fps > 0 ? fps : kDefaultFrameRate) {}

IGraphics::~IGraphics() {
  delete mKeyCatcherControl;
  DeleteControls();
  delete mCanvas;
  delete mScratchBitmap;
}

void IGraphics::DeleteControls() {
  ReleaseMouseCapture();
  mHoverIdx = -1;
  mControlList.Empty(true);
}

void IGraphics::PrepDraw() {
  delete mCanvas;
  mCanvas = new RAST_SysBitmap(mWidth, mHeight);
  delete mScratchBitmap;
  mScratchBitmap = new RAST_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h) {
  mWidth = w;
  mHeight = h;
  EndGesture();
  DeleteControls();
  delete mCanvas;
  mCanvas = nullptr;
  delete mScratchBitmap;
  mScratchBitmap = nullptr;
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::AttachBackground(int id, const char* name) {
  IBitmap bg = LoadIBitmap(id, name, 1, false);
  mControlList.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber));
}

void IGraphics::AttachPanelBackground(const IColor* pColor) {
  mControlList.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), pColor));
}

int IGraphics::AttachControl(IControl* pControl) {
  if (!mControlList.Add(pControl)) {
    delete pControl;
    return -1;
  }
  return mControlList.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* pControl) {
  if (pControl == mKeyCatcherControl) return;
  delete mKeyCatcherControl;
  mKeyCatcherControl = pControl;
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal) {
  RAST_IBitmap* pBitmap = s_bitmapCache.Find(id);
  if (!pBitmap) {
    // Loaded outside the cache's lock: file reading must not hold up other editors.
    pBitmap = OSLoadBitmap(id, name);
    if (pBitmap) pBitmap = s_bitmapCache.AddUnlessPresent(pBitmap, id);
  }
  if (!pBitmap) return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
  return IBitmap(pBitmap, pBitmap->getWidth(), pBitmap->getHeight(), nStates, framesAreHorizontal);
}

bool IGraphics::RetainBitmap(IBitmap* pBitmap) {
  return pBitmap->mData && s_bitmapCache.Add(pBitmap->mData, BitmapStorage::kUnkeyed);
}

void IGraphics::ReleaseBitmap(IBitmap* pBitmap) {
  if (s_bitmapCache.Remove(pBitmap->mData)) pBitmap->mData = nullptr;
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrictDrawing = strict;
  SetAllControlsDirty();
}

RAST_pixel* IGraphics::GetBits() { return mCanvas ? mCanvas->getBits() : nullptr; }

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    value = pParam->GetNormalized(value);
  }
  // A host may send anything; a value that is not a number must not reach the controls.
  if (!std::isfinite(value)) return;
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromPlug(value);
    int auxIdx = pControl->AuxParamIdx(paramIdx);
    if (auxIdx > -1) pControl->SetAuxParamValueFromPlug(auxIdx, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* pControl = mControlList.Get(controlIdx)) pControl->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->GrayOut(gray);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    lo = pParam->GetNormalized(lo);
    hi = pParam->GetNormalized(hi);
  }
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->Clamp(lo, hi);
  }
}

void IGraphics::SetAllControlsDirty() {
  for (int i = 0; i < mControlList.GetSize(); ++i) mControlList.Get(i)->SetDirty(false);
}

void IGraphics::AssignParamNameToolTips() {
  for (int i = 0; i < mControlList.GetSize(); ++i) {
    IControl* pControl = mControlList.Get(i);
    if (IParam* pParam = pControl->GetParam()) pControl->SetTooltip(pParam->GetNameForHost());
  }
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  int idx = GetMouseControlIdx(x, y);
  mLastClickedParamIdx = idx > 0 ? mControlList.Get(idx)->ParamIdx() : -1;
  return mLastClickedParamIdx;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  int idx = mLastClickedParamIdx;
  mLastClickedParamIdx = -1;
  return idx;
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < mControlList.GetSize(); ++i) mControlList.Get(i)->OnGUIIdle();
}
