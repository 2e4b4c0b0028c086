#pragma once
// Controls that show a picture, a colour or nothing at all: panels, bitmaps, switches and buttons.
#include "gui/icontrol.h"

enum EDirection { kVertical = 0, kHorizontal = 1 };

// A solid colour over the whole rectangle.
class IPanelControl : public IControl {
 public:
  IPanelControl(IFxBase* pPlug, IRECT rect, const IColor* pColor)
      : IControl(pPlug, rect, -1, IChannelBlend(IChannelBlend::kBlendNone)), mColor(*pColor) {}
  bool Draw(IGraphics* pGraphics) override;

 protected:
  IColor mColor;
};

// The frame of its picture that shows its value (a one-frame picture always shows frame 1).
class IBitmapControl : public IControl {
 public:
  IBitmapControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone)
      : IControl(pPlug, IRECT(x, y, pBitmap), paramIdx, IChannelBlend(blendMethod)), mBitmap(*pBitmap) {}
  bool Draw(IGraphics* pGraphics) override;

 protected:
  IBitmap mBitmap;
};

// Each press steps to the next frame, wrapping from the last to the first.
class ISwitchControl : public IBitmapControl {
 public:
  ISwitchControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone)
      : IBitmapControl(pPlug, x, y, paramIdx, pBitmap, blendMethod) {}
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // A second click in quick succession is one more press.
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override { OnMouseDown(x, y, pMod); }
};

// A press asks for the value with a menu or text field.
class ISwitchPopUpControl : public ISwitchControl {
 public:
  ISwitchPopUpControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                      IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone)
      : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod) {}
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// The picture's frames laid out as buttons: pressing frame i selects value i / (N - 1).
class ISwitchFramesControl : public ISwitchControl {
 public:
  ISwitchFramesControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, bool imagesAreHorizontal = false,
                       IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  ~ISwitchFramesControl() override { mRECTs.Empty(true); }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;

 protected:
  BRM_PtrList<IRECT> mRECTs;
};

// A press toggles between 0 and 1; draws nothing.
class IInvisibleSwitchControl : public IControl {
 public:
  IInvisibleSwitchControl(IFxBase* pPlug, IRECT rect, int paramIdx)
      : IControl(pPlug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendClobber)) {}
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics*) override { return true; }
};

// A row or column of buttons drawn from a two-frame picture (frame 2 for the selected one).
class IRadioButtonsControl : public IControl {
 public:
  IRadioButtonsControl(IFxBase* pPlug, IRECT rect, int paramIdx, int nButtons, IBitmap* pBitmap,
                       EDirection direction = kVertical, bool reverse = false);
  ~IRadioButtonsControl() override { mRECTs.Empty(true); }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  const IRECT* GetButtonRECT(int i) const { return mRECTs.Get(i); }

 protected:
  BRM_PtrList<IRECT> mRECTs;
  IBitmap mBitmap;
};

// A momentary button: back to 0 on release.
class IContactControl : public ISwitchControl {
 public:
  IContactControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                  IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone)
      : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod) {}
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
};

// A switch that, while off, is hit in a separate target area and draws nothing.
class IBitmapOverlayControl : public ISwitchControl {
 public:
  IBitmapOverlayControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, IRECT targetArea)
      : ISwitchControl(pPlug, x, y, paramIdx, pBitmap), mTargetArea(targetArea) {}
  bool Draw(IGraphics* pGraphics) override;
  bool IsHit(int x, int y) override;

 protected:
  IRECT mTargetArea;
};
