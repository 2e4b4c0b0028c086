#pragma once
// Editors built from the parameter list alone: a grid of drawn knobs, or columns of sliders grouped
// under tabs, with an optional button that writes the current preset as source text.
#include <vector>

#include "gui/bitmap_controls.h"
#include "gui/knob_controls.h"

// A drawn knob: name on top, value at the bottom (click it to type a value), dial between.
class AGKnobControl : public IKnobControl {
 public:
  AGKnobControl(IFxBase* pPlug, IRECT rect, int paramIdx, IText* pText, const IColor* pBGColor,
                const IColor* pFGColor, int textHeight);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

 private:
  IColor mBGColor, mFGColor;
  float mMinAngle = -2.3561945f, mMaxAngle = 2.3561945f;
  float mInnerRadius = 0.0f, mOuterRadius;
  IRECT mLabelRect, mValueRect, mKnobRect, mTextEntryRect;
};

// Name on the left, value on the right (click it to type a value), a track between that a click or
// drag sets the value on.
class AGHSliderControl : public IControl {
 public:
  AGHSliderControl(IFxBase* pPlug, IRECT rect, int paramIdx, IText* pText, const IColor* pBGColor,
                   const IColor* pFGColor, int labelWidth, int valueWidth);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

 private:
  void SnapToMouse(int x);

  IColor mBGColor, mFGColor;
  IRECT mLabelRect, mValueRect, mTrackRect, mTextEntryRect;
};

struct AGTab {
  AGTab(IRECT rect, const char* label) : mRect(rect), mLabel(label) {}
  IRECT mRect;
  std::vector<int> mParamsToMux;
  BRM_String mLabel;
};

// Tabs that show one group of parameter controls at a time.
class AGPanelTabs : public IControl {
 public:
  AGPanelTabs(IFxBase* pPlug, IRECT rect, IText* pText, const IColor* pBGColor, const IColor* pFGColor,
              const IColor* pHLColor);
  ~AGPanelTabs() override;
  // The control owns the tab.
  void AddTab(AGTab* pTab) { mTabs.push_back(pTab); }
  int NTabs() const { return static_cast<int>(mTabs.size()); }
  int ActiveTab() const { return mActive; }
  // With one tab the value stays 0 instead of dividing by zero.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

 private:
  std::vector<AGTab*> mTabs;
  IColor mBGColor, mFGColor, mHLColor;
  int mActive = 0;
};

// A red button that asks for a file and writes the current preset into it as source text.
class AGPresetSaveButtonControl : public IPanelControl {
 public:
  AGPresetSaveButtonControl(IFxBase* pPlug, IRECT rect, IText* pText, const char** paramEnumNames);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

 private:
  const char** mParamNameStrings;
};

// One knob per typed parameter on a grid of equal cells, each at least minWidth by minHeight and
// big enough for every name and display text.
void GenerateKnobGUI(IGraphics* pGraphics, IFxBase* pPlug, IText* pText, const IColor* pBGColor,
                     const IColor* pFGColor, int minWidth, int minHeight);
// Sliders in columns of columnWidth. tabMode 0: no tabs; 1: tabs numbered 1, 2, ...; otherwise tabs
// named after the parameter groups. With paramNames a preset dump button sits on top. New columns
// start at the top of the slider area, under the button and tab bar.
void GenerateSliderGUI(IGraphics* pGraphics, IFxBase* pPlug, IText* pText, const IColor* pBGColor,
                       const IColor* pFGColor, int columnWidth, int tabMode, const char** paramNames);
