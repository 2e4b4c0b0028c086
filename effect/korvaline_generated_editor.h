#pragma once
// KORVAL-Q34's parameters in the framework's generated editors: a grid of drawn knobs or a column
// of sliders, as a host may ask for instead of the front panel.
class IFxBase;
class IGraphics;

struct KorvalineGeneratedLayout {
  int width, height;
};
// The editor size for a layout (EEditorLayout); {0, 0} for layouts that are not generated.
KorvalineGeneratedLayout KorvalineGeneratedEditorSize(int layout);
// Fills a freshly made editor of that size; false (nothing attached) for other layouts or null pointers.
bool AttachKorvalineGeneratedEditor(IFxBase* pPlug, IGraphics* pGraphics, int layout);
