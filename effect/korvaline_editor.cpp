#include "effect/korvaline_editor.h"

#include "effect/korvaline.h"
#include "gui/igraphics.h"
#include "gui/knob_controls.h"

static_assert(kKorvalineKnobs[0].paramIdx == kDry && kKorvalineKnobs[1].paramIdx == kWet &&
                  kKorvalineKnobs[2].paramIdx == kOut,
              "each knob drives the parameter its label names");

bool AttachKorvalineEditorControls(IFxBase* pPlug, IGraphics* pGraphics) {
  if (!pPlug || !pGraphics) return false;
  pGraphics->AttachBackground(kKorvalineBackgroundId, kKorvalineBackgroundPicture);
  for (const KorvalineKnobLayout& knob : kKorvalineKnobs) {
    IBitmap strip = pGraphics->LoadIBitmap(knob.resourceId, knob.picture, kKorvalineKnobFrames, false);
    pGraphics->AttachControl(
        new IKnobMultiControl(pPlug, knob.x, knob.y, knob.paramIdx, &strip, kVertical, kKorvalineKnobGearing));
  }
  return true;
}
