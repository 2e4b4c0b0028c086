#pragma once
// One element of the editor: a rectangle on the canvas, usually bound to a plug-in parameter,
// holding that parameter's value normalised to 0..1. User gestures change the value and hand it
// to the plug-in; host changes arrive through SetValueFromPlug and only mark it for redrawing.
#include "base/brm_string.h"
#include "base/heap_buf.h"
#include "framework/fx_base.h"
#include "gui/gui_types.h"

class IGraphics;
class ITextControl;

class IControl {
 public:
  static constexpr int kDefaultTextEntryLength = 7;

  IControl(IFxBase* pPlug, IRECT rect, int paramIdx = -1, IChannelBlend blend = IChannelBlend());
  virtual ~IControl() {}
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // The right button prompts for a value (when prompts are enabled).
  virtual void OnMouseDown(int x, int y, IMouseMod* pMod);
  virtual void OnMouseUp(int, int, IMouseMod*) {}
  virtual void OnMouseDrag(int, int, int, int, IMouseMod*) {}
  // Back to the default value, once one is known.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  virtual void OnMouseWheel(int, int, IMouseMod*, int) {}
  virtual bool OnKeyDown(int, int, int) { return false; }
  virtual void OnMouseOver(int, int, IMouseMod*) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* pGraphics) = 0;
  // The first value from the plug-in also becomes the default.
  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromUserInput(double value);
  // Text typed into a field opened for a control without a parameter.
  virtual void TextFromTextEntry(const char*) {}
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRect.Contains(x, y); }
  // Clamps the value and marks the control for drawing. With pushParamToPlug it also sends the value
  // to the plug-in and on to the host (PushValueToPlugAndHost).
  virtual void SetDirty(bool pushParamToPlug = true);
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

  int ParamIdx() const { return mParamIdx; }
  // Null without a parameter.
  IParam* GetParam() const;
  const IRECT* GetRECT() const { return &mRect; }
  const IRECT* GetTargetRECT() const { return &mTargetRect; }
  double GetValue() const { return mValue; }
  bool IsHidden() const { return mHidden; }
  bool IsGrayed() const { return mGrayed; }
  bool GetMOWhenGrayed() const { return mHoverWhenGrayed; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  IText* GetText() { return &mText; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip); }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void Clamp(double lo, double hi) {
    mClampLo = lo;
    mClampHi = hi;
  }
  // Keeps the control dirty for one more drawing pass.
  void Redraw() { mRedrawPending = true; }
  void DisablePrompt(bool disable) { mPromptDisabled = disable; }
  // Text controls (not owned) that show the parameter's value and name after user changes.
  void SetValDisplayControl(ITextControl* pControl) { mValueDisplay = pControl; }
  void SetNameDisplayControl(ITextControl* pControl) { mNameDisplay = pControl; }

  void PromptUserInput();
  void PromptUserInput(IRECT* pTextRect);

  // A second parameter driven by the same control.
  struct AuxParam {
    double mValue;
    int mParamIdx;
  };
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int auxIdx);
  // Position of the first record for paramIdx, or -1.
  int AuxParamIdx(int paramIdx) const;
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

 protected:
  // The plug-in (and through it the host) gets the value; the value and name displays follow.
  void PushValueToPlugAndHost();

  int mTextEntryLength = kDefaultTextEntryLength;
  IText mText;
  IFxBase* mPlug;
  IRECT mRect, mTargetRect;
  int mParamIdx;
  BRM_TypedBuf<AuxParam> mAuxParams;
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0, mClampHi = 1.0;
  bool mDirty = true;
  bool mHidden = false;
  bool mGrayed = false;
  bool mRedrawPending = false;
  bool mPromptDisabled = true;
  bool mDblAsSingleClick = false;
  bool mHoverWhenGrayed = false;
  IChannelBlend mBlend;
  ITextControl* mValueDisplay = nullptr;
  ITextControl* mNameDisplay = nullptr;
  BRM_String mTooltip;
};

// The 1-based frame of an N-frame strip that shows value: 1 + round-half-up((N - 1) value),
// limited to 1..N (a value that is not a number shows frame 1).
int FrameForValue(double value, int nFrames);
