#pragma once
// View components that give an Audio Unit a control in a host window.
#include <AudioUnit/AUComponent.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ComponentInstance AudioUnitCarbonView;
typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

typedef struct Float32Point {
  Float32 x;
  Float32 y;
} Float32Point;

enum : OSType { kAudioUnitCarbonViewComponentType = 0x61757677 /* 'auvw' */ };
enum : SInt16 { kAudioUnitCarbonViewCreateSelect = 0x0301 };

OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, WindowRef inWindow,
                                   ControlRef inParentControl, const Float32Point* inLocation,
                                   const Float32Point* inSize, ControlRef* outControl);

#ifdef __cplusplus
}
#endif
