#include "effect/korvaline_generated_editor.h"

#include "framework/editor_layout.h"
#include "effect/korvaline.h"
#include "gui/auto_gui.h"
#include "gui/igraphics.h"

namespace {

const IColor kPanel(255, 232, 228, 218);
const IColor kInk(255, 38, 40, 50);
// Taller than wide by the two text strips, so that the dial fits the cell.
constexpr int kKnobCellW = 96, kKnobCellH = 112;
constexpr int kSliderColumnW = 300;
// The names the preset dump button writes, one per parameter in order.
const char* kParamEnumNames[kNumKorvalineParams] = {"kDry", "kWet", "kOut"};

IText GeneratedStyle() { return IText(12, &kInk, "DejaVu Sans", IText::kStyleNormal, IText::kAlignCenter, 0,
                                      IText::kQualityAntiAliased); }

}  // namespace

KorvalineGeneratedLayout KorvalineGeneratedEditorSize(int layout) {
  switch (layout) {
    // Three cells in a row with 2 pixels around each, and room to spare so that the row does not wrap.
    case kEditorLayoutKnobs: return {kNumKorvalineParams * (kKnobCellW + 2) + 4, kKnobCellH + 4};
    // The dump button, then one slider per parameter.
    case kEditorLayoutSliders: return {kSliderColumnW + 4, 24 + kNumKorvalineParams * 20 + 8};
    default: return {0, 0};
  }
}

bool AttachKorvalineGeneratedEditor(IFxBase* pPlug, IGraphics* pGraphics, int layout) {
  if (!pPlug || !pGraphics) return false;
  IText style = GeneratedStyle();
  switch (layout) {
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
