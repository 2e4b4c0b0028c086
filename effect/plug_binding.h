#pragma once
// The effect's host binding is chosen when it is built: the Audio Unit binding for the plug-in
// bundle, or the host-less binding for offline use and tests. The effect's code is the same.
#include "framework/instance_info.h"

#if defined(KORV_BINDING_AU)
#include "au/ifx_au.h"
#include "gui/mac/igraphics_mac.h"
using KorvalineBinding = IFxAU;

// The editor the binding shows its host.
inline IGraphics* MakeBindingGraphics(KorvalineBinding* pPlug, int w, int h, int fps) {
  return MakeGraphics(pPlug, w, h, fps);
}
#else
#include "framework/fx_no_host.h"
class IGraphics;
using KorvalineBinding = IFxNoHost;

// Without a host nobody shows an editor, so none is built.
inline IGraphics* MakeBindingGraphics(KorvalineBinding*, int, int, int) { return nullptr; }
#endif
