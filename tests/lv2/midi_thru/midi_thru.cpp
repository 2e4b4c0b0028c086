// A MIDI effect for the tests, built by the same call as any plug-in: its audio passes through and every
// message it takes leaves again at the same offset (the base sends short messages on by itself).
#include "framework/plug_binding.h"
#include "korv_plugin_identity.h"

class KORVMIDITHRU : public PlugBinding {
 public:
  explicit KORVMIDITHRU(const IFxInstanceInfo& info)
      : PlugBinding(info, 0, "1-1 2-2", 0, KORV_PLUGIN_DISPLAY_NAME, "", KORV_PLUGIN_MAKER, KORV_PLUGIN_VERSION,
                    0x54687275 /* 'Thru' */, 0x4B727654 /* 'KrvT' */, 0, KORV_PLUGIN_DOES_MIDI, false,
                    KORV_PLUGIN_IS_INSTRUMENT, 0) {}
  void ProcessSysEx(ISysEx* pSysEx) override { SendSysEx(pSysEx); }
};

PlugBinding* MakePlug() { return MakeBoundPlug<KORVMIDITHRU>(KORV_PLUGIN_BUNDLE_ID, KORV_PLUGIN_VIEW_CLASS); }
