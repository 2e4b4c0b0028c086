// Mouse, wheel and key routing with the host's gesture notifications, and value prompts.
#include <cstdlib>
#include <cstring>

#include "gui/icontrol.h"
#include "gui/igraphics.h"
#include "gui/ipopup_menu.h"

int IGraphics::GetMouseControlIdx(int x, int y, bool forHover) {
  if (mCaptureIdx >= 0) return mCaptureIdx;
  for (int i = mControlList.GetSize() - 1; i >= 0; --i) {
    IControl* pControl = mControlList.Get(i);
    bool usable = !pControl->IsGrayed() || (forHover && pControl->GetMOWhenGrayed());
    if (!pControl->IsHidden() && usable && pControl->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture() {
  mCaptureIdx = -1;
  mLastMouseX = mLastMouseY = -1;
}

void IGraphics::EndGesture() {
  if (mGestureParamIdx < 0) return;
  int paramIdx = mGestureParamIdx;
  mGestureParamIdx = -1;
  if (mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* pMod) {
  ReleaseMouseCapture();
  // A press whose release never came still owes the host the end of its gesture.
  EndGesture();
  int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  mCaptureIdx = c;
  mLastMouseX = x;
  mLastMouseY = y;
  IControl* pControl = mControlList.Get(c);
  int paramIdx = pControl->ParamIdx();
  if (paramIdx >= 0 && mPlug) {
    mGestureParamIdx = paramIdx;
    mPlug->BeginInformHostOfParamChange(paramIdx);
  }
  pControl->OnMouseDown(x, y, pMod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* pMod) {
  int c = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  if (c < 0) {
    EndGesture();
    return;
  }
  mControlList.Get(c)->OnMouseUp(x, y, pMod);
  EndGesture();
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* pMod) {
  if (mCaptureIdx < 0 || (x == mLastMouseX && y == mLastMouseY)) return;
  IControl* pControl = mControlList.Get(mCaptureIdx);
  if (!pControl) return;
  int dX = x - mLastMouseX;
  int dY = y - mLastMouseY;
  mLastMouseX = x;
  mLastMouseY = y;
  pControl->OnMouseDrag(x, y, dX, dY, pMod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* pMod) {
  ReleaseMouseCapture();
  EndGesture();
  int c = GetMouseControlIdx(x, y);
  if (c < 0) return false;
  IControl* pControl = mControlList.Get(c);
  if (pControl->MouseDblAsSingleClick()) {
    mCaptureIdx = c;
    mLastMouseX = x;
    mLastMouseY = y;
    pControl->OnMouseDown(x, y, pMod);
    return true;
  }
  pControl->OnMouseDblClick(x, y, pMod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* pMod, int delta) {
  if (IControl* pControl = mControlList.Get(GetMouseControlIdx(x, y))) pControl->OnMouseWheel(x, y, pMod, delta);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* pMod) {
  if (!mTrackHover) return false;
  int c = GetMouseControlIdx(x, y, true);
  if (c >= 0) {
    mLastMouseX = x;
    mLastMouseY = y;
    mControlList.Get(c)->OnMouseOver(x, y, pMod);
    if (mHoverIdx >= 0 && mHoverIdx != c) {
      if (IControl* pPrevious = mControlList.Get(mHoverIdx)) pPrevious->OnMouseOut();
    }
    mHoverIdx = c;
  }
  return true;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < mControlList.GetSize(); ++i) mControlList.Get(i)->OnMouseOut();
  mHoverIdx = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  int c = GetMouseControlIdx(x, y);
  if (c > 0) return mControlList.Get(c)->OnKeyDown(x, y, key);
  if (mKeyCatcherControl) return mKeyCatcherControl->OnKeyDown(x, y, key);
  return false;
}

void IGraphics::PopUpMenu(std::unique_ptr<IPopupMenu> pMenu, IRECT* pAreaRect, MenuChoice onChosen) {
  if (IPopupMenu* pChosen = CreateIPopupMenu(pMenu.get(), pAreaRect)) onChosen(pChosen);
}

void IGraphics::PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect) {
  if (!pControl || !pParam || !pTextRect) return;
  IParam::EParamType type = pParam->Type();
  int n = pParam->GetNDisplayTexts();
  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && n)) {
    char currentText[kParamDisplayLen];
    pParam->GetDisplayForHost(currentText);
    auto pMenu = std::make_unique<IPopupMenu>();
    for (int i = 0; i < n; ++i) {
      const char* str = pParam->GetDisplayTextAtIdx(i);
      IPopupMenuItem* pItem = pMenu->AddItem(str);
      if (pItem && !std::strcmp(str, currentText)) pItem->SetChecked(true);
    }
    // Only a choice in this menu sets the value; one in a submenu leaves the index at -1.
    const IPopupMenu* pShown = pMenu.get();
    PopUpMenu(std::move(pMenu), pTextRect, [pControl, pParam, pShown](IPopupMenu*) {
      if (pShown->GetChosenItemIdx() >= 0)
        pControl->SetValueFromUserInput(pParam->GetNormalized(static_cast<double>(pShown->GetChosenItemIdx())));
    });
    return;
  }
  char currentText[kParamDisplayLen];
  pParam->GetDisplayForHostNoDisplayText(currentText);
  CreateTextEntry(pControl, pControl->GetText(), pTextRect, currentText, pParam);
}

namespace {

// The decimal number at the start of txt; false when the text does not start with one. Only
// plain decimal notation is read, so "nan", "inf" or "0x1p4" cannot slip a special value through.
bool LeadingDecimal(const char* txt, double* pValue) {
  char number[64];
  int n = 0;
  const char* p = txt;
  while (*p == ' ' || *p == '\t') ++p;
  auto take = [&](char c) {
    if (n < static_cast<int>(sizeof number) - 1) number[n++] = c;
  };
  if (*p == '+' || *p == '-') take(*p++);
  bool digits = false;
  while (*p >= '0' && *p <= '9') take(*p++), digits = true;
  if (*p == '.') {
    take(*p++);
    while (*p >= '0' && *p <= '9') take(*p++), digits = true;
  }
  if (!digits) return false;
  if ((*p == 'e' || *p == 'E') && ((p[1] >= '0' && p[1] <= '9') ||
                                   ((p[1] == '+' || p[1] == '-') && p[2] >= '0' && p[2] <= '9'))) {
    take(*p++);
    if (*p == '+' || *p == '-') take(*p++);
    while (*p >= '0' && *p <= '9') take(*p++);
  }
  number[n] = 0;
  *pValue = std::strtod(number, nullptr);
  return true;
}

}  // namespace

void IGraphics::SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, const char* txt) {
  if (!pControl || !pParam || !txt) return;
  IParam::EParamType type = pParam->Type();
  double value;
  if (type == IParam::kTypeEnum || type == IParam::kTypeBool) {
    int idx = 0;
    pParam->MapDisplayText(txt, &idx);
    value = static_cast<double>(idx);
  } else {
    // A field left empty or holding no number is a slip of the keyboard, not a request for 0.
    if (!LeadingDecimal(txt, &value)) return;
    if (pParam->DisplayIsNegated()) value = -value;
  }
  pControl->SetValueFromUserInput(pParam->GetNormalized(value));
}
