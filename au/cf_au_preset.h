#pragma once
// Reference-counted factory preset records, laid out so that a host reading an array element as
// an AUPreset finds the number and the name.
#include <AudioUnit/AudioUnitProperties.h>
#include <CoreFoundation/CFArray.h>

struct CFAUPreset {
  AUPreset auPreset;
  UInt32 version;
  CFAllocatorRef allocator;
  CFIndex retainCount;
};
typedef CFAUPreset* CFAUPresetRef;

// Null when the allocator fails; the name (may be null) is copied with the same allocator.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name);
CFAUPresetRef CFAUPresetRetain(CFAUPresetRef preset);
void CFAUPresetRelease(CFAUPresetRef preset);

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* preset);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* preset);
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset);
Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2);

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* pCallBacks);
// Filled when the library is loaded.
extern CFArrayCallBacks kCFAUPresetArrayCallBacks;
