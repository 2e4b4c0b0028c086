#pragma once
// Slantwise EQ's editors: the framework's generated knobs (its default) or sliders.
class IFxBase;
class IGraphics;

struct SlantwiseEditorSize {
  int width, height;
};
// The size of a layout (EEditorLayout); {0, 0} for layouts it does not have.
SlantwiseEditorSize SlantwiseEditorSizeFor(int layout);
// Fills a freshly made editor of that size; false (nothing attached) for other layouts or null pointers.
bool AttachSlantwiseEditor(IFxBase* pPlug, IGraphics* pGraphics, int layout);
