// The plug-in bundle's exported component entry: every host call arrives here and goes on, unchanged,
// to the binding's dispatcher.
#include "effect/korvaline.h"

extern "C" __attribute__((visibility("default"))) ComponentResult KORVALINE_Entry(ComponentParameters* params,
                                                                                  Handle pPlug) {
  return IFxAU::IFxAUEntry(params, pPlug);
}
