// "--layout": which of the unit's editors the host asks for.
#include <AudioUnit/AudioUnit.h>

#include "au/korv_au_properties.h"
#include "host/commands/commands.h"

namespace korval_host {

int ParseLayoutOption(const std::string& text, unsigned* layout) {
  if (text == "fixed") *layout = kEditorLayoutFixed;
  else if (text == "knobs") *layout = kEditorLayoutKnobs;
  else if (text == "sliders") *layout = kEditorLayoutSliders;
  else return Fail(kExitBadInput, "--layout needs fixed, knobs or sliders");
  return kExitOk;
}

int SelectEditorLayout(const HostedUnit& unit, unsigned layout) {
  // The front panel is what the unit shows unless asked otherwise.
  if (layout == kEditorLayoutFixed) return kExitOk;
  const UInt32 value = layout;
  const OSStatus status = AudioUnitSetProperty(unit.Unit(), kKorvAUProperty_EditorLayout, kAudioUnitScope_Global, 0,
                                               &value, sizeof value);
  if (status != noErr) return Fail(kExitFailed, "the unit offers no such editor (" + StatusText(status) + ")");
  return kExitOk;
}

}  // namespace korval_host
