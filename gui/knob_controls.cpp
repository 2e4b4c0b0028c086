#include "gui/knob_controls.h"

#include "gui/igraphics.h"

namespace {

// The wheel and drags move ten times finer with Shift or Control.
bool FineMode(const IMouseMod* pMod) { return pMod->S || pMod->C; }

double WheelStep(const IMouseMod* pMod, int d) { return (FineMode(pMod) ? 0.001 : 0.01) * d; }

}  // namespace

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* pMod) {
  double gearing = FineMode(pMod) ? mGearing * 10.0 : mGearing;
  // Moving up raises the value: the vertical span is negative.
  int span = mDirection == kVertical ? mRect.T - mRect.B : mRect.R - mRect.L;
  int delta = mDirection == kVertical ? dY : dX;
  // A knob without extent (or without gearing) has no drag scale.
  if (span == 0 || gearing == 0.0) return;
  mValue += static_cast<double>(delta) / static_cast<double>(span) / gearing;
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* pMod, int d) {
  mValue += WheelStep(pMod, d);
  SetDirty(true);
}

bool IKnobMultiControl::Draw(IGraphics* pGraphics) {
  return pGraphics->DrawBitmap(&mBitmap, &mRect, FrameForValue(mValue, mBitmap.Frames()), &mBlend);
}

bool IKnobRotaterControl::Draw(IGraphics* pGraphics) {
  int cX = (mRect.L + mRect.R) / 2;
  int cY = (mRect.T + mRect.B) / 2;
  double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedBitmap(&mBitmap, cX, cY, angle, mYOffset, &mBlend);
}

bool IKnobRotatingMaskControl::Draw(IGraphics* pGraphics) {
  double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRect.L, mRect.T, angle, &mBlend);
}

IKnobLineControl::IKnobLineControl(IFxBase* pPlug, IRECT rect, int paramIdx, const IColor* pColor, double innerRadius,
                                   double outerRadius, double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
    : IKnobControl(pPlug, rect, paramIdx, direction, gearing),
      mColor(*pColor),
      mMinAngle(static_cast<float>(minAngle)),
      mMaxAngle(static_cast<float>(maxAngle)),
      mInnerRadius(static_cast<float>(innerRadius)),
      mOuterRadius(static_cast<float>(outerRadius)) {
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * static_cast<float>(rect.W());
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber);
}

bool IKnobLineControl::Draw(IGraphics* pGraphics) {
  float angle = mMinAngle + static_cast<float>(mValue) * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRadialLine(&mColor, mRect.MW(), mRect.MH(), angle, mInnerRadius, mOuterRadius, &mBlend, true);
}

IFaderControl::IFaderControl(IFxBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pHandle,
                             EDirection direction, bool onlyHandle)
    : IControl(pPlug, IRECT(), paramIdx),
      mLen(len),
      mHandleBitmap(*pHandle),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {
  if (direction == kVertical) {
    mHandleHeadroom = pHandle->H;
    mRect = mTargetRect = IRECT(x, y, x + pHandle->W, y + len);
  } else {
    mHandleHeadroom = pHandle->W;
    mRect = mTargetRect = IRECT(x, y, x + len, y + pHandle->H);
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const {
  if (value < 0.0) value = mValue;
  IRECT r(mRect.L, mRect.T, mRect.L + mHandleBitmap.W, mRect.T + mHandleBitmap.H);
  double travel = static_cast<double>(mLen - mHandleHeadroom);
  if (mDirection == kVertical) {
    int offs = static_cast<int>((1.0 - value) * travel);
    r.T += offs;
    r.B += offs;
  } else {
    int offs = static_cast<int>(value * travel);
    r.L += offs;
    r.R += offs;
  }
  return r;
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* pMod) {
  if (pMod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) { SnapToMouse(x, y); }

void IFaderControl::OnMouseWheel(int, int, IMouseMod* pMod, int d) {
  mValue += WheelStep(pMod, d);
  SetDirty(true);
}

void IFaderControl::SnapToMouse(int x, int y) {
  int travel = mLen - mHandleHeadroom;
  // A track no longer than the handle has no positions to choose from.
  if (travel > 0) {
    if (mDirection == kVertical) {
      mValue = 1.0 - static_cast<double>(y - mRect.T - mHandleHeadroom / 2) / static_cast<double>(travel);
    } else {
      mValue = static_cast<double>(x - mRect.L - mHandleHeadroom / 2) / static_cast<double>(travel);
    }
  }
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* pGraphics) {
  IRECT r = GetHandleRECT();
  return pGraphics->DrawBitmap(&mHandleBitmap, &r, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) {
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return mTargetRect.Contains(x, y);
}
