#include "host/unit/midi_feed.h"

namespace korval_host {

OSStatus MidiFeed::SendSlice(int64_t start, UInt32 frames) {
  const std::vector<MidiEvent>& events = mSequence.events;
  for (; mNext < events.size() && events[mNext].sample < start + frames; ++mNext) {
    const MidiEvent& event = events[mNext];
    const OSStatus status =
        event.status == kSysExStatus
            ? MusicDeviceSysEx(mUnit, mSequence.sysExBytes.data() + event.sysExStart, event.sysExSize)
            : MusicDeviceMIDIEvent(mUnit, event.status, event.data1, event.data2,
                                   static_cast<UInt32>(event.sample - start));
    if (status != noErr) return status;
  }
  return noErr;
}

}  // namespace korval_host
