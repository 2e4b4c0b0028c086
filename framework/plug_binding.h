#pragma once
// A plug-in's host binding is chosen when it is built (KORV_BINDING_AU or KORV_BINDING_LV2, set
// by korv_add_plugin): the Audio Unit binding for the plug-in bundle, the LV2 binding for the LV2
// bundle, or the quiet base for offline use and tests. The plug-in's code is the same for each; only
// this header names the bindings, and only a plug-in's own sources include it.
#include <mutex>

#include "framework/instance_info.h"

#if defined(KORV_BINDING_AU)
#include "au/ifx_au.h"
#include "gui/mac/igraphics_mac.h"
using PlugBinding = IFxAU;

// The editor the binding shows its host.
inline IGraphics* MakeBindingGraphics(PlugBinding* pPlug, int w, int h, int fps) {
  return MakeGraphics(pPlug, w, h, fps);
}

// A plug-in that processes one channel processes the first input alone, as Audio Unit hosts expect.
constexpr bool kBindingHearsEveryInput = false;
#elif defined(KORV_BINDING_LV2)
#include "lv2/ifx_lv2.h"
class IGraphics;
using PlugBinding = IFxLV2;

// An LV2 editor lives in the host's UI process on a plug-in object of its own, its parameter model;
// only that object makes one (the running instance makes none).
inline IGraphics* MakeBindingGraphics(PlugBinding* pPlug, int w, int h, int fps) {
  return pPlug->MakeEditorGraphics(w, h, fps);
}

// Every input port an LV2 host connects must count, also for a plug-in that processes one channel.
constexpr bool kBindingHearsEveryInput = true;
#else
#include "framework/fx_quiet_base.h"
class IGraphics;
using PlugBinding = IFxQuietBase;

// Without a host nobody shows an editor, so none is built.
inline IGraphics* MakeBindingGraphics(PlugBinding*, int, int, int) { return nullptr; }

// Offline callers feed a plug-in that processes one channel through its first input.
constexpr bool kBindingHearsEveryInput = false;
#endif

// What a plug-in's MakePlug does: builds one instance with its identity, one at a time under a
// process-wide mutex, as a binding's construction shares process-wide tables.
template <class Plug>
PlugBinding* MakeBoundPlug(const char* bundleID, const char* viewFactoryClassName) {
  static std::mutex factoryMutex;
  std::lock_guard<std::mutex> lock(factoryMutex);
  IFxInstanceInfo info;
  info.mBundleID.Set(bundleID);
  info.mCocoaViewFactoryClassName.Set(viewFactoryClassName);
  return new Plug(info);
}
