// The editor's per-frame cost: a full redraw of the effect's layout (background and three
// 101-frame film-strip knobs) and the idle timer tick that finds nothing to draw.
#include <benchmark/benchmark.h>

#include "gui/knob_controls.h"
#include "tests/gui/gui_test_support.h"

using namespace gui_test;

namespace {

struct EffectEditor {
  EffectEditor() {
    mGfx = new TestGraphics(&mPlug, 203, 621);
    mGfx->AttachBackground(102, PictureName(203, 621).c_str());
    IBitmap dry = mGfx->LoadIBitmap(105, PictureName(99, 99 * 101).c_str(), 101);
    IBitmap wet = mGfx->LoadIBitmap(106, PictureName(99, 99 * 101).c_str(), 101);
    IBitmap out = mGfx->LoadIBitmap(104, PictureName(141, 141 * 101).c_str(), 101);
    mGfx->AttachControl(new IKnobMultiControl(&mPlug, 52, 69, kDry, &dry));
    mGfx->AttachControl(new IKnobMultiControl(&mPlug, 52, 207, kWet, &wet));
    mGfx->AttachControl(new IKnobMultiControl(&mPlug, 31, 396, kOut, &out));
    mPlug.AttachGraphics(mGfx);
  }
  GuiTestPlug mPlug;
  TestGraphics* mGfx;
};

void BM_FullRedraw(benchmark::State& state) {
  EffectEditor editor;
  for (auto _ : state) {
    editor.mGfx->SetAllControlsDirty();
    IRECT area;
    editor.mGfx->IsDirty(&area);
    editor.mGfx->Draw(&area);
    editor.mGfx->mScreenAreas.clear();
    benchmark::DoNotOptimize(editor.mGfx->GetBits());
  }
  state.SetItemsProcessed(state.iterations() * 203 * 621);
}
BENCHMARK(BM_FullRedraw);

void BM_IdleTick(benchmark::State& state) {
  EffectEditor editor;
  while (editor.mGfx->Tick()) {
  }
  for (auto _ : state) {
    IRECT area;
    benchmark::DoNotOptimize(editor.mGfx->IsDirty(&area));
  }
}
BENCHMARK(BM_IdleTick);

}  // namespace
