#pragma once
// One open instance of an Audio Unit, driven only through the component calls and the fast-dispatch
// procedures the unit hands out.
#include <AudioToolbox/AudioToolbox.h>

#include <memory>
#include <string>
#include <vector>

#include "host/unit/cf_ref.h"

namespace korval_host {

struct ParameterDescription {
  AudioUnitParameterID id = 0;
  std::string name;
  std::string unitName;
  AudioUnitParameterUnit unit = kAudioUnitParameterUnit_Generic;
  float minValue = 0, maxValue = 0, defaultValue = 0;
  AudioUnitParameterOptions flags = 0;
  // For a list of choices, the text of each value from minValue up.
  std::vector<std::string> valueNames;
};

// Makes the components of the bundle at bundleDir known to this process. Empty on success, else why not;
// *damaged (if given) tells whether the bundle is there but its Info.plist is unusable.
std::string RegisterBundle(const std::string& bundleDir, bool* damaged = nullptr);

constexpr OSType MakeFourCharCode(const char (&code)[5]) {
  return (OSType(UInt8(code[0])) << 24) | (OSType(UInt8(code[1])) << 16) | (OSType(UInt8(code[2])) << 8) |
         OSType(UInt8(code[3]));
}
// The component type of an effect that is played by MIDI too (an instrument's is
// kAudioUnitType_MusicDevice).
constexpr OSType kMusicEffectUnitType = MakeFourCharCode("aumf");
std::string FourCharCodeText(OSType code);
// "aufx:Kor1:Brmo": type, subtype and manufacturer.
std::string ComponentCodesText(const ComponentDescription& description);
// "aufx:Kor1:Brmo" → description; false when the text is not three four-character codes.
bool ParseComponentDescription(const std::string& text, ComponentDescription* description);

class HostedUnit {
 public:
  // Null, with the reason in *error, when no registered component matches or it refuses to open;
  // *damaged (if given) tells whether the fault is the bundle's: its binary cannot be loaded, or the
  // entry it names is no function of that binary or does not answer as an Audio Unit.
  static std::unique_ptr<HostedUnit> Open(const ComponentDescription& looking, std::string* error,
                                          bool* damaged = nullptr);
  ~HostedUnit();
  HostedUnit(const HostedUnit&) = delete;
  HostedUnit& operator=(const HostedUnit&) = delete;

  AudioUnit Unit() const { return mUnit; }
  const ComponentDescription& Description() const { return mDescription; }

  // Instruments and effects played by MIDI, by their component type.
  bool TakesMidi() const;
  bool IsInstrument() const { return mDescription.componentType == kAudioUnitType_MusicDevice; }
  // Whether the unit has an input bus for sound to go in.
  bool TakesSound() const;
  // The channels of output bus 0 as the unit offers them; 0 when it does not say.
  UInt32 OutputChannels() const;

  // Stream formats of both buses, the sample rate and the maximum frames per slice.
  OSStatus Configure(double sampleRate, UInt32 channels, UInt32 maxFrames);
  // The same for a unit without an input bus.
  OSStatus ConfigureOutput(double sampleRate, UInt32 channels, UInt32 maxFrames);
  OSStatus SetStreamFormat(AudioUnitScope scope, double sampleRate, UInt32 channels);
  OSStatus SetMaximumFrames(UInt32 maxFrames);
  OSStatus SetBypass(bool bypass);

  std::vector<ParameterDescription> Parameters() const;
  // Through the fast-dispatch parameter procedures when the unit offers them, else the component calls.
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value) const;
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitParameterValue* value) const;
  std::string DisplayValue(AudioUnitParameterID id, AudioUnitParameterValue value) const;

  // The class-info dictionary; the caller owns it.
  OSStatus SaveState(CFRef<CFPropertyListRef>* state) const;
  OSStatus RestoreState(CFPropertyListRef state) const;

  // Render through the component call, or through the unit's fast-dispatch render procedure.
  OSStatus Render(bool fastDispatch, const AudioTimeStamp* time, UInt32 frames, AudioBufferList* buffers) const;
  bool HasFastRender() const { return mRenderProc != nullptr; }
  void* Storage() const { return mStorage; }
  AudioUnitSetParameterProc FastSetParameterProc() const { return mSetParameterProc; }

 private:
  HostedUnit(AudioUnit unit, const ComponentDescription& description);

  AudioUnit mUnit;
  ComponentDescription mDescription;
  void* mStorage = nullptr;
  AudioUnitGetParameterProc mGetParameterProc = nullptr;
  AudioUnitSetParameterProc mSetParameterProc = nullptr;
  AudioUnitRenderProc mRenderProc = nullptr;
};

// A property of fixed size; an answer of any other size counts as a failure, since the value
// (possibly an object the host would have to release) cannot be trusted.
template <typename Value>
OSStatus GetPropertyValue(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                          Value* value) {
  UInt32 size = sizeof *value;
  const OSStatus status = AudioUnitGetProperty(unit, id, scope, element, value, &size);
  return status == noErr && size != sizeof *value ? kAudioUnitErr_InvalidPropertyValue : status;
}

// The canonical non-interleaved 32-bit float format.
AudioStreamBasicDescription CanonicalFormat(double sampleRate, UInt32 channels);

}  // namespace korval_host
