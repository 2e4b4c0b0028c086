#pragma once
// Knobs and faders: controls whose value follows a drag, the wheel or a click position.
#include "gui/bitmap_controls.h"

inline constexpr double kDefaultGearing = 4.0;

// Dragging across the knob changes the value by distance / knob size / gearing (ten times finer
// with Shift or Control); the wheel steps by 0.01 (0.001 fine).
class IKnobControl : public IControl {
 public:
  IKnobControl(IFxBase* pPlug, IRECT rect, int paramIdx, EDirection direction = kVertical,
               double gearing = kDefaultGearing)
      : IControl(pPlug, rect, paramIdx), mDirection(direction), mGearing(gearing) {}
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;

 protected:
  EDirection mDirection;
  double mGearing;
};

// A film strip with one frame per knob position.
class IKnobMultiControl : public IKnobControl {
 public:
  IKnobMultiControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, EDirection direction = kVertical,
                    double gearing = kDefaultGearing)
      : IKnobControl(pPlug, IRECT(x, y, pBitmap), paramIdx, direction, gearing), mBitmap(*pBitmap) {}
  bool Draw(IGraphics* pGraphics) override;

 protected:
  IBitmap mBitmap;
};

// One picture turned about its centre between two angles (radians, 0 up, clockwise).
class IKnobRotaterControl : public IKnobControl {
 public:
  IKnobRotaterControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, double minAngle = -0.75 * kPi,
                      double maxAngle = 0.75 * kPi, int yOffsetZeroDeg = 0,
                      EDirection direction = kVertical, double gearing = kDefaultGearing)
      : IKnobControl(pPlug, IRECT(x, y, x + pBitmap->W, y + pBitmap->H), paramIdx, direction, gearing),
        mBitmap(*pBitmap),
        mMinAngle(minAngle),
        mMaxAngle(maxAngle),
        mYOffset(yOffsetZeroDeg) {}
  bool Draw(IGraphics* pGraphics) override;

 protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A fixed base under a rotating alpha mask and a rotating top layer (angles in degrees).
class IKnobRotatingMaskControl : public IKnobControl {
 public:
  IKnobRotatingMaskControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase, IBitmap* pMask, IBitmap* pTop,
                           double minAngle = -135.0, double maxAngle = 135.0, EDirection direction = kVertical,
                           double gearing = kDefaultGearing)
      : IKnobControl(pPlug, IRECT(x, y, x + pBase->W, y + pBase->H), paramIdx, direction, gearing),
        mBase(*pBase),
        mMask(*pMask),
        mTop(*pTop),
        mMinAngle(minAngle),
        mMaxAngle(maxAngle) {}
  bool Draw(IGraphics* pGraphics) override;

 protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A pointer line between two radii around the rectangle's centre (angles in radians, 0 up).
class IKnobLineControl : public IKnobControl {
 public:
  // An outer radius of 0 reaches half the rectangle's width.
  IKnobLineControl(IFxBase* pPlug, IRECT rect, int paramIdx, const IColor* pColor, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * kPi,
                   double maxAngle = 0.75 * kPi, EDirection direction = kVertical,
                   double gearing = kDefaultGearing);
  bool Draw(IGraphics* pGraphics) override;

 protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A handle picture sliding along a track of length len; a press or drag puts the handle under
// the pointer.
class IFaderControl : public IControl {
 public:
  IFaderControl(IFxBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pHandle, EDirection direction = kVertical,
                bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  bool Draw(IGraphics* pGraphics) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);

  // The handle's box for value (the current value when value < 0).
  IRECT GetHandleRECT(double value = -1.0) const;

 protected:
  int mLen, mHandleHeadroom;
  IBitmap mHandleBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
