// The two layout generators of the generated editors.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/fx_base.h"
#include "gui/auto_gui.h"
#include "gui/igraphics.h"

namespace {

IRECT Measured(IGraphics* pGraphics, IText* pText, const char* str) {
  IRECT r;
  pGraphics->MeasureIText(pText, str, &r);
  return r;
}

IRECT DisplayTextsArea(IGraphics* pGraphics, IText* pText, const IParam* pParam) {
  IRECT area;
  for (int i = 0; i < pParam->GetNDisplayTexts(); ++i)
    area = area.Union(Measured(pGraphics, pText, pParam->GetDisplayTextAtIdx(i)));
  return area;
}

// The display texts, and the values at both ends and now with the label: a slider whose
// parameters have no display texts would otherwise get a value area 0 wide that no click can hit.
// The knob needs no such measure, its value area being as wide as its cell.
IRECT SliderValueArea(IGraphics* pGraphics, IText* pText, const IParam* pParam) {
  IRECT area = DisplayTextsArea(pGraphics, pText, pParam);
  for (double v : {0.0, 1.0, pParam->GetNormalized()}) {
    char display[kParamDisplayLen], text[2 * kParamDisplayLen];
    pParam->GetDisplayForHost(v, true, display);
    std::snprintf(text, sizeof text, "%s %s", display, pParam->GetLabelForHost());
    area = area.Union(Measured(pGraphics, pText, text));
  }
  return area;
}

bool IsTyped(const IParam* pParam) { return pParam->Type() != IParam::kTypeNone; }

}  // namespace

void GenerateKnobGUI(IGraphics* pGraphics, IFxBase* pPlug, IText* pText, const IColor* pBGColor,
                     const IColor* pFGColor, int minWidth, int minHeight) {
  pGraphics->AttachPanelBackground(pBGColor);
  IRECT textArea;
  for (int i = 0; i < pPlug->NParams(); ++i) {
    const IParam* pParam = pPlug->GetParam(i);
    textArea = textArea.Union(Measured(pGraphics, pText, pParam->GetNameForHost()));
    textArea = textArea.Union(DisplayTextsArea(pGraphics, pText, pParam));
  }
  int width = std::max(textArea.W(), minWidth);
  if (width % 2) ++width;
  const int height = std::max(textArea.H(), minHeight);

  int column = 0, row = 0;
  for (int i = 0; i < pPlug->NParams(); ++i) {
    // A cell wider than the editor still takes a row of its own rather than leaving one empty.
    if (column > 0 && (width + 2) * column + width + 2 >= pGraphics->Width()) {
      ++row;
      column = 0;
    }
    const int x = 2 + column * (width + 2), y = 2 + row * (height + 2);
    IRECT cell(x, y, x + width, y + height);
    ++column;
    if (IsTyped(pPlug->GetParam(i)))
      pGraphics->AttachControl(new AGKnobControl(pPlug, cell, i, pText, pBGColor, pFGColor, textArea.H()));
  }
}

void GenerateSliderGUI(IGraphics* pGraphics, IFxBase* pPlug, IText* pText, const IColor* pBGColor,
                       const IColor* pFGColor, int columnWidth, int tabMode, const char** paramNames) {
  pGraphics->AttachPanelBackground(pBGColor);
  IRECT labelArea, valueArea;
  std::vector<const char*> groups;
  for (int i = 0; i < pPlug->NParams(); ++i) {
    const IParam* pParam = pPlug->GetParam(i);
    labelArea = labelArea.Union(Measured(pGraphics, pText, pParam->GetNameForHost()));
    valueArea = valueArea.Union(SliderValueArea(pGraphics, pText, pParam));
    const char* group = pParam->GetParamGroupForHost();
    if (groups.empty() || std::strcmp(groups.back(), group)) groups.push_back(group);
  }
  const int labelH = labelArea.H();

  int y = 2;
  if (paramNames) {
    pGraphics->AttachControl(
        new AGPresetSaveButtonControl(pPlug, IRECT(2, 2, columnWidth - 2, 2 + labelH), pText, paramNames));
    y += 20;
  }
  AGPanelTabs* pTabs = nullptr;
  if (tabMode) {
    pTabs = new AGPanelTabs(pPlug, IRECT(2, y, columnWidth - 2, y + labelH), pText, pBGColor, pFGColor, &COLOR_RED);
    pGraphics->AttachControl(pTabs);
    y += 20;
  }
  const int sliderTop = y;

  int column = 0;
  const char* currentGroup = nullptr;
  AGTab* pTab = nullptr;
  for (int i = 0; i < pPlug->NParams(); ++i) {
    const char* group = pPlug->GetParam(i)->GetParamGroupForHost();
    if (pTabs && !groups.empty() && (!currentGroup || std::strcmp(group, currentGroup))) {
      const int tabIdx = pTabs->NTabs();
      char number[16];
      std::snprintf(number, sizeof number, "%i", tabIdx + 1);
      pTab = new AGTab(pTabs->GetRECT()->SubRectHorizontal(static_cast<int>(groups.size()), tabIdx),
                       tabMode == 1 ? number : group);
      pTabs->AddTab(pTab);
      currentGroup = group;
      column = 0;
      y = sliderTop;
    }
    if (pTab) pTab->mParamsToMux.push_back(i);

    IRECT r(column * columnWidth + 2, y, columnWidth * (column + 1), y + labelH);
    auto* pSlider = new AGHSliderControl(pPlug, r, i, pText, pBGColor, pFGColor, labelArea.W(), valueArea.W());
    if (pTabs && pTabs->NTabs() > 1) pSlider->Hide(true);
    pGraphics->AttachControl(pSlider);

    if (y + labelH < pGraphics->Height() - 5) {
      y += labelH;
    } else {
      ++column;
      y = sliderTop;
    }
  }
}
