#include "gui/bitmap_controls.h"

#include "gui/igraphics.h"

namespace {
// The value of the first of rects holding (x, y), the rects spread evenly over 0..1 (a single rect
// has only one position, 0). The value is left alone when no rect holds the point.
void ValueOfRectAt(const BRM_PtrList<IRECT>& rects, int x, int y, double* value) {
  int n = rects.GetSize();
  for (int i = 0; i < n; ++i) {
    if (rects.Get(i)->Contains(x, y)) {
      *value = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
      return;
    }
  }
}
}  // namespace

bool IPanelControl::Draw(IGraphics* pGraphics) {
  pGraphics->FillIRect(&mColor, &mRect, &mBlend);
  return true;
}

bool IBitmapControl::Draw(IGraphics* pGraphics) {
  return pGraphics->DrawBitmap(&mBitmap, &mRect, FrameForValue(mValue, mBitmap.Frames()), &mBlend);
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*) {
  double step = mBitmap.N > 1 ? 1.0 / static_cast<double>(mBitmap.N - 1) : 1.0;
  mValue += step;
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*) {
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                           bool imagesAreHorizontal, IChannelBlend::EBlendMethod blendMethod)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod) {
  mPromptDisabled = false;
  int n = mBitmap.Frames();
  for (int i = 0; i < n; ++i) {
    IRECT r = imagesAreHorizontal ? mRect.SubRectHorizontal(n, i) : mRect.SubRectVertical(n, i);
    mRECTs.Add(new IRECT(r));
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*) {
  ValueOfRectAt(mRECTs, x, y, &mValue);
  SetDirty(true);
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*) {
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

IRadioButtonsControl::IRadioButtonsControl(IFxBase* pPlug, IRECT rect, int paramIdx, int nButtons, IBitmap* pBitmap,
                                           EDirection direction, bool reverse)
    : IControl(pPlug, rect, paramIdx), mBitmap(*pBitmap) {
  int n = nButtons > 0 ? nButtons : 0;
  int w = mBitmap.W;
  int h = mBitmap.H / mBitmap.Frames();
  bool horizontal = direction == kHorizontal;
  int span = horizontal ? rect.W() : rect.H();
  int size = horizontal ? w : h;
  // One button has no gap to share out.
  int gap = n > 1 ? (span - n * size) / (n - 1) : 0;
  int step = size + gap;
  int start = horizontal ? (reverse ? rect.R - w : rect.L) : (reverse ? rect.B - h : rect.T);
  for (int i = 0; i < n; ++i) {
    int pos = reverse ? start - i * step : start + i * step;
    mRECTs.Add(horizontal ? new IRECT(pos, rect.T, pos + w, rect.T + h) : new IRECT(rect.L, pos, rect.L + w, pos + h));
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* pMod) {
  if (pMod->R) {
    PromptUserInput();
    return;
  }
  ValueOfRectAt(mRECTs, x, y, &mValue);
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* pGraphics) {
  int n = mRECTs.GetSize();
  int active = FrameForValue(mValue, n) - 1;
  for (int i = 0; i < n; ++i) pGraphics->DrawBitmap(&mBitmap, mRECTs.Get(i), i == active ? 2 : 1, &mBlend);
  return true;
}

void IContactControl::OnMouseUp(int, int, IMouseMod*) {
  mValue = 0.0;
  SetDirty(true);
}

bool IBitmapOverlayControl::IsHit(int x, int y) {
  mTargetRect = mValue < 0.5 ? mTargetArea : mRect;
  return IControl::IsHit(x, y);
}

bool IBitmapOverlayControl::Draw(IGraphics* pGraphics) {
  if (mValue < 0.5) {
    mTargetRect = mTargetArea;
    return true;
  }
  mTargetRect = mRect;
  return IBitmapControl::Draw(pGraphics);
}
