#include "slantwise_editor.h"

#include "framework/editor_layout.h"
#include "slantwise.h"
#include "gui/auto_gui.h"
#include "gui/igraphics.h"

namespace {

const IColor kPanel(255, 214, 226, 230);
const IColor kInk(255, 24, 44, 56);
constexpr int kKnobCellW = 96, kKnobCellH = 112;
constexpr int kSliderColumnW = 300;
const char* kParamEnumNames[kNumSlantwiseParams] = {"kTilt", "kPivot", "kOutput", "kMode", "kMono"};

}  // namespace

SlantwiseEditorSize SlantwiseEditorSizeFor(int layout) {
  switch (layout) {
    // The example's own panel is its row of generated knobs: hosts that ask for the plug-in's own
    // editor (the LV2 one does) get that.
    // One row of cells with 2 pixels around each, and room to spare so that the row does not wrap.
    case kEditorLayoutFixed:
    case kEditorLayoutKnobs: return {kNumSlantwiseParams * (kKnobCellW + 2) + 4, kKnobCellH + 4};
    case kEditorLayoutSliders: return {kSliderColumnW + 4, 24 + kNumSlantwiseParams * 20 + 8};
    default: return {0, 0};
  }
}

bool AttachSlantwiseEditor(IFxBase* pPlug, IGraphics* pGraphics, int layout) {
  if (!pPlug || !pGraphics) return false;
  IText style(12, &kInk, "DejaVu Sans", IText::kStyleNormal, IText::kAlignCenter, 0, IText::kQualityAntiAliased);
  switch (layout) {
    case kEditorLayoutFixed:
    case kEditorLayoutKnobs:
      GenerateKnobGUI(pGraphics, pPlug, &style, &kPanel, &kInk, kKnobCellW, kKnobCellH);
      return true;
    case kEditorLayoutSliders:
      GenerateSliderGUI(pGraphics, pPlug, &style, &kPanel, &kInk, kSliderColumnW, 0, kParamEnumNames);
      return true;
    default:
      return false;
  }
}
