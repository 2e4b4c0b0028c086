#pragma once
// A plug-in whose editor asks for values: captions for a double in decibels, an enumeration and an
// integer, and a generated knob and slider.
#include <utility>

#include "au/ifx_au.h"
#include "gui/auto_gui.h"
#include "gui/mac/igraphics_mac.h"
#include "gui/text_controls.h"
#include "mac_test_plug.h"

namespace mac_test {

enum { kPOut = 0, kPMode, kPSteps, kPNumParams };

inline const IRECT kOutCaption(20, 100, 180, 120);
inline const IRECT kModeCaption(20, 140, 180, 160);
inline const IRECT kStepsCaption(20, 180, 180, 200);
inline const IRECT kOutKnob(50, 260, 150, 380);
inline const IRECT kStepsSlider(10, 420, 190, 440);

// Each parameter has a caption; Out also a generated knob, Steps a generated slider.
class PromptPlug : public IFxAU {
 public:
  PromptPlug()
      : IFxAU(IFxInstanceInfo{BRM_String(kTestBundleID), BRM_String(kTestViewClassName)}, kPNumParams, "1-1 2-2", 0,
              "PromptTest", "PromptTest", "KorvTest", 0x10000, kUniqueID, kMfrID, 0, false, false, false) {
    GetParam(kPOut)->InitDouble("Out", 0.0, -15.0, 15.0, 0.001, "dB");
    GetParam(kPMode)->InitEnum("Mode", 1, 3);
    GetParam(kPMode)->SetDisplayText(0, "Low");
    GetParam(kPMode)->SetDisplayText(1, "Mid");
    GetParam(kPMode)->SetDisplayText(2, "High");
    GetParam(kPSteps)->InitInt("Steps", 3, 0, 10);
    mEditor = new IGraphicsMac(this, kEditorW, kEditorH, 25);
    mEditor->AttachPanelBackground(&COLOR_GRAY);
    IText text(12, &COLOR_BLACK, "DejaVu Sans");
    for (auto [rect, paramIdx] : {std::pair{kOutCaption, kPOut}, {kModeCaption, kPMode}, {kStepsCaption, kPSteps}}) {
      auto* pCaption = new ICaptionControl(this, rect, paramIdx, &text);
      // Captions ask for values only when allowed to.
      pCaption->DisablePrompt(false);
      mEditor->AttachControl(pCaption);
    }
    mEditor->AttachControl(new AGKnobControl(this, kOutKnob, kPOut, &text, &COLOR_WHITE, &COLOR_BLACK, 16));
    mEditor->AttachControl(new AGHSliderControl(this, kStepsSlider, kPSteps, &text, &COLOR_WHITE, &COLOR_BLACK, 40, 40));
    AttachGraphics(mEditor);
  }
  IGraphicsMac* Editor() const { return mEditor; }

 private:
  IGraphicsMac* mEditor;
};

}  // namespace mac_test
