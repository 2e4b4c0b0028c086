#pragma once
// Host-side calls of the stand-in that the platform has no name for: registering plug-in bundles,
// naming the host process's main bundle and listening to Audio Unit events.
#include <AudioToolbox/AudioUnitUtilities.h>

#ifdef __cplusplus
extern "C" {
#endif

// Reads NAME.component/Contents/Info.plist and registers every component it lists, or none:
// paramErr for a null path, fnfErr when Info.plist is missing, kAudioUnitErr_InvalidFile when it is
// malformed. Registering the same directory again changes nothing. outComponentCount may be null.
OSStatus KorvRegisterComponentBundle(const char* bundlePath, long* outComponentCount);

// The host application's bundle as CFBundleGetMainBundle reports it. A null identifier means none;
// a null path means the directory of the running program.
void KorvSetMainBundle(const char* identifier, const char* bundlePath);

typedef void (*KorvAUEventListenerProc)(void* userData, void* sendingObject, const AudioUnitEvent* event);
enum { kKorvMaxAUEventListeners = 16 };

// paramErr for a null procedure or when kKorvMaxAUEventListeners are registered.
OSStatus KorvAddAUEventListener(KorvAUEventListenerProc proc, void* userData);
void KorvRemoveAUEventListener(KorvAUEventListenerProc proc, void* userData);

#ifdef __cplusplus
}
#endif
