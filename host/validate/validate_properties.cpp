// Every property in every scope, with and without data, including elements that do not exist.
#include <cstring>
#include <set>
#include <vector>

#include "host/validate/validator.h"

namespace korval_host {

namespace {

constexpr UInt8 kGuardByte = 0xA5;
constexpr UInt32 kRoom = 256;  // what the host says it has; the buffer behind it is guarded

bool IsKnownStatus(OSStatus status) {
  static const std::set<OSStatus> known = {
      noErr, badComponentSelector, coreFoundationUnknownErr, kAudioUnitErr_InvalidProperty,
      kAudioUnitErr_InvalidParameter, kAudioUnitErr_InvalidElement, kAudioUnitErr_NoConnection,
      kAudioUnitErr_FailedInitialization, kAudioUnitErr_TooManyFramesToProcess, kAudioUnitErr_InvalidFile,
      kAudioUnitErr_FormatNotSupported, kAudioUnitErr_Uninitialized, kAudioUnitErr_InvalidScope,
      kAudioUnitErr_PropertyNotWritable, kAudioUnitErr_CannotDoInCurrentContext, kAudioUnitErr_InvalidPropertyValue,
      kAudioUnitErr_PropertyNotInUse, kAudioUnitErr_Initialized};
  return known.count(status) != 0;
}

template <typename Field>
void ReleaseAt(const UInt8* data, size_t offset) {
  Field object;
  std::memcpy(&object, data + offset, sizeof object);
  if (object) CFRelease(object);
}

size_t HandedRecordSize(AudioUnitPropertyID id) {
  switch (id) {
    case kAudioUnitProperty_ParameterInfo: return sizeof(AudioUnitParameterInfo);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: return sizeof(AUPreset);
    case kAudioUnitProperty_CocoaUI: return sizeof(AudioUnitCocoaViewInfo);
    case kAudioUnitProperty_ParameterStringFromValue: return sizeof(AudioUnitParameterStringFromValue);
    case kAudioUnitProperty_ParameterIDName:
    case kAudioUnitProperty_ParameterClumpName: return sizeof(AudioUnitParameterNameInfo);
    default: return sizeof(CFTypeRef);
  }
}

// Objects a property hands over become the host's; the sweep releases them, but only from a
// record of the right size (anything else cannot hold them).
void ReleaseHandedObjects(AudioUnitPropertyID id, const UInt8* data, UInt32 size) {
  if (size != HandedRecordSize(id)) return;
  switch (id) {
    case kAudioUnitProperty_ClassInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_FactoryPresets:
    case kAudioUnitProperty_ElementName:
      ReleaseAt<CFTypeRef>(data, 0);
      break;
    case kAudioUnitProperty_ParameterInfo: {
      AudioUnitParameterInfo info;
      std::memcpy(&info, data, sizeof info);
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
        ReleaseAt<CFTypeRef>(data, offsetof(AudioUnitParameterInfo, cfNameString));
        ReleaseAt<CFTypeRef>(data, offsetof(AudioUnitParameterInfo, unitName));
      }
      break;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      ReleaseAt<CFTypeRef>(data, offsetof(AUPreset, presetName));
      break;
    case kAudioUnitProperty_CocoaUI:
      ReleaseAt<CFTypeRef>(data, 0);
      ReleaseAt<CFTypeRef>(data, sizeof(CFURLRef));
      break;
    case kAudioUnitProperty_ParameterStringFromValue:
      ReleaseAt<CFTypeRef>(data, offsetof(AudioUnitParameterStringFromValue, outString));
      break;
    case kAudioUnitProperty_ParameterIDName:
    case kAudioUnitProperty_ParameterClumpName:
      ReleaseAt<CFTypeRef>(data, offsetof(AudioUnitParameterNameInfo, outName));
      break;
    default:
      break;
  }
}

std::vector<AudioUnitPropertyID> PropertiesToSweep() {
  std::vector<AudioUnitPropertyID> ids;
  for (AudioUnitPropertyID id = 0; id <= 50; ++id) ids.push_back(id);
  ids.push_back(kMusicDeviceProperty_InstrumentCount);
  ids.push_back(0x7FFF);  // no such property
  return ids;
}

// Every scope and element combination for one property; returns the problems found, or "".
std::string SweepProperty(AudioUnit unit, AudioUnitPropertyID id) {
  const AudioUnitScope scopes[] = {kAudioUnitScope_Global, kAudioUnitScope_Input, kAudioUnitScope_Output,
                                   kAudioUnitScope_Group,  kAudioUnitScope_Part,  99};
  const AudioUnitElement elements[] = {0, 1, 7, 0xFFFFFFFFu};
  for (AudioUnitScope scope : scopes) {
    for (AudioUnitElement element : elements) {
      const std::string where = " (scope " + std::to_string(scope) + ", element " + std::to_string(element) + ")";
      UInt32 size = 0;
      Boolean writable = false;
      OSStatus status = AudioUnitGetPropertyInfo(unit, id, scope, element, &size, &writable);
      if (!IsKnownStatus(status)) return "info query gave unknown " + StatusText(status) + where;
      if (AudioUnitGetPropertyInfo(unit, id, scope, element, nullptr, nullptr) != status)
        return "info query without out pointers answers differently" + where;

      // Zeroed room for the records some queries read, then a guard the unit must not touch.
      std::vector<UInt8> buffer(kRoom * 2, kGuardByte);
      std::memset(buffer.data(), 0, kRoom);
      UInt32 room = kRoom;
      status = AudioUnitGetProperty(unit, id, scope, element, buffer.data(), &room);
      if (!IsKnownStatus(status)) return "query gave unknown " + StatusText(status) + where;
      for (UInt32 i = kRoom; i < buffer.size(); ++i) {
        if (buffer[i] != kGuardByte) return "query wrote past the host's buffer" + where;
      }
      if (status == noErr) {
        if (room > kRoom) return "query reports " + std::to_string(room) + " bytes in " + std::to_string(kRoom) + where;
        ReleaseHandedObjects(id, buffer.data(), room);
      }

      // Too little room: nothing may be written beyond it.
      if (status == noErr && room > 1) {
        std::vector<UInt8> small(room, kGuardByte);
        UInt32 oneByte = 1;
        AudioUnitGetProperty(unit, id, scope, element, small.data(), &oneByte);
        for (UInt32 i = 1; i < small.size(); ++i) {
          if (small[i] != kGuardByte) return "query wrote past a 1-byte buffer" + where;
        }
      }

      if (AudioUnitSetProperty(unit, id, scope, element, nullptr, 0) == noErr)
        return "setting it from no data is accepted" + where;
    }
  }
  return {};
}

}  // namespace

void ValidateProperties(Validator& validator) {
  std::unique_ptr<HostedUnit> unit = validator.Open();
  if (!unit) return;
  for (AudioUnitPropertyID id : PropertiesToSweep()) {
    const std::string problem = SweepProperty(unit->Unit(), id);
    validator.Check("property " + std::to_string(id) + " in every scope, element and buffer size", problem.empty(),
                    problem);
  }

  const AudioUnit au = unit->Unit();
  UInt32 inputs = 0, outputs = 0, size = sizeof inputs;
  const bool counted =
      AudioUnitGetProperty(au, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &inputs, &size) == noErr &&
      AudioUnitGetProperty(au, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &outputs, &size) == noErr;
  // An instrument makes its sound from MIDI alone.
  const bool instrument = validator.Shape().isInstrument;
  validator.Check(instrument ? "element counts: no input bus (an instrument), at least one output bus"
                             : "element counts: at least one input and one output bus",
                  counted && (instrument ? inputs == 0 : inputs >= 1) && outputs >= 1,
                  std::to_string(inputs) + " in, " + std::to_string(outputs) + " out");
  AudioStreamBasicDescription format{};
  size = sizeof format;
  validator.Check("stream format of a bus that does not exist is refused",
                  AudioUnitGetProperty(au, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 9, &format, &size) !=
                          noErr &&
                      AudioUnitGetProperty(au, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, inputs, &format,
                                           &size) != noErr);
  Float64 seconds = -1;
  size = sizeof seconds;
  validator.Check("latency and tail are reported in seconds, not negative",
                  AudioUnitGetProperty(au, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds, &size) ==
                          noErr &&
                      seconds >= 0 &&
                      AudioUnitGetProperty(au, kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &seconds,
                                           &size) == noErr &&
                      seconds >= 0);
  const Float64 shortRate = 48000;
  validator.Check("a sample rate with a short data size is refused",
                  AudioUnitSetProperty(au, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &shortRate, 4) !=
                      noErr);
}

}  // namespace korval_host
