#pragma once
// The protocol of the view factory classes that an Audio Unit names in its Cocoa view property.
#include <AppKit/NSView.h>
#include <AudioUnit/AUComponent.h>

class AUCocoaUIBase {
 public:
  virtual ~AUCocoaUIBase();
  virtual unsigned interfaceVersion() = 0;
  // A new view (the caller's reference) for the audio unit, or null.
  virtual NSView* uiViewForAudioUnit(AudioUnit audioUnit, NSSize preferredSize) = 0;
};
