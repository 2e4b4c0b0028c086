#pragma once
// Controls that show one line of text: a plain label, and a caption showing a parameter's value.
#include "gui/icontrol.h"

// Stores str (null as empty) in *pStr; true when it differed from what was there.
bool ReplaceText(BRM_String* pStr, const char* str);

class ITextControl : public IControl {
 public:
  ITextControl(IFxBase* pPlug, IRECT rect, IText* pText, const char* str = "")
      : IControl(pPlug, rect), mStr(str) {
    mText = *pText;
  }
  // Marks the control for drawing only when the text changes.
  void SetTextFromPlug(const char* str);
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  const char* GetTextString() const { return mStr.Get(); }
  bool Draw(IGraphics* pGraphics) override;

 protected:
  BRM_String mStr;
};

// The bound parameter's display text (and label); a click or double click asks for a new value.
class ICaptionControl : public ITextControl {
 public:
  ICaptionControl(IFxBase* pPlug, IRECT rect, int paramIdx, IText* pText, bool showParamLabel = true)
      : ITextControl(pPlug, rect, pText), mShowParamLabel(showParamLabel) {
    mParamIdx = paramIdx;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

 protected:
  bool mShowParamLabel;
};
