// The test plug-in's bundle: one component entry forwarding to the binding, and a second that
// hides the fast render procedure, as an upstream unit without one would.
#include "test_au_plug.h"

TestPlugOptions g_testPlugOptions;

IFxAU* MakePlug() { return new TestAUPlug(g_testPlugOptions); }

extern "C" __attribute__((visibility("default"))) ComponentResult TestAUPlug_Entry(ComponentParameters* params,
                                                                                  Handle pPlug) {
  return IFxAU::IFxAUEntry(params, pPlug);
}

extern "C" __attribute__((visibility("default"))) ComponentResult TestAUPlugNoFast_Entry(ComponentParameters* params,
                                                                                        Handle pPlug) {
  if (params && params->what == kAudioUnitGetPropertySelect &&
      static_cast<AudioUnitPropertyID>(params->params[1]) == kAudioUnitProperty_FastDispatch)
    return kAudioUnitErr_InvalidProperty;
  return IFxAU::IFxAUEntry(params, pPlug);
}
