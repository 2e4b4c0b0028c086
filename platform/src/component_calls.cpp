// The calls a host makes on an open instance, each sent through the instance's entry as a
// parameter block: word 0 the instance, then one word per argument.
#include <AudioUnit/AudioUnit.h>

#include <cstring>
#include <initializer_list>

#include "platform/src/component_registry.h"

namespace {

constexpr int kMaxWords = 8;

struct ParameterBlock {
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[kMaxWords];
};
static_assert(offsetof(ParameterBlock, params) == offsetof(ComponentParameters, params), "parameter block layout");

// 32-bit arguments occupy the low half of their word.
long Word(UInt32 value) { return static_cast<long>(value); }
long Word(const void* pointer) { return reinterpret_cast<long>(pointer); }
long Word(Float32 value) {
  UInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return static_cast<long>(bits);
}

OSStatus Call(ComponentInstance instance, SInt16 selector, std::initializer_list<long> arguments) {
  long words[kMaxWords] = {Word(instance)};
  int count = 1;
  for (long argument : arguments) words[count++] = argument;
  return korv_cm::CallWithWords(instance, selector, words, count);
}

}  // namespace

namespace korv_cm {

ComponentResult CallWithWords(ComponentInstance instance, SInt16 selector, const long* words, int wordCount) {
  CallTarget target;
  if (!ResolveInstance(instance, target)) return badComponentInstance;
  ParameterBlock block{};
  block.what = selector;
  block.paramSize = static_cast<UInt8>(wordCount * sizeof(long));
  for (int i = 0; i < wordCount && i < kMaxWords; ++i) block.params[i] = words[i];
  return target.entry(reinterpret_cast<ComponentParameters*>(&block), target.storage);
}

}  // namespace korv_cm

ComponentResult CallComponentCanDo(ComponentInstance ci, SInt16 ftnNumber) {
  const long words[1] = {static_cast<long>(ftnNumber)};
  return korv_cm::CallWithWords(ci, kComponentCanDoSelect, words, 1);
}

ComponentResult GetComponentVersion(ComponentInstance ci) { return Call(ci, kComponentVersionSelect, {}); }

OSStatus AudioUnitInitialize(AudioUnit inUnit) { return Call(inUnit, kAudioUnitInitializeSelect, {}); }

OSStatus AudioUnitUninitialize(AudioUnit inUnit) { return Call(inUnit, kAudioUnitUninitializeSelect, {}); }

OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable) {
  return Call(inUnit, kAudioUnitGetPropertyInfoSelect,
              {Word(inID), Word(inScope), Word(inElement), Word(outDataSize), Word(outWritable)});
}

OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
  return Call(inUnit, kAudioUnitGetPropertySelect,
              {Word(inID), Word(inScope), Word(inElement), Word(outData), Word(ioDataSize)});
}

OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
  return Call(inUnit, kAudioUnitSetPropertySelect,
              {Word(inID), Word(inScope), Word(inElement), Word(inData), Word(inDataSize)});
}

OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue) {
  return Call(inUnit, kAudioUnitGetParameterSelect, {Word(inID), Word(inScope), Word(inElement), Word(outValue)});
}

OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames) {
  return Call(inUnit, kAudioUnitSetParameterSelect,
              {Word(inID), Word(inScope), Word(inElement), Word(inValue), Word(inBufferOffsetInFrames)});
}

OSStatus AudioUnitReset(AudioUnit inUnit, AudioUnitScope inScope, AudioUnitElement inElement) {
  return Call(inUnit, kAudioUnitResetSelect, {Word(inScope), Word(inElement)});
}

OSStatus AudioUnitAddPropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                      void* inProcUserData) {
  return Call(inUnit, kAudioUnitAddPropertyListenerSelect,
              {Word(inID), Word(reinterpret_cast<const void*>(inProc)), Word(inProcUserData)});
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitPropertyListenerProc inProc) {
  return Call(inUnit, kAudioUnitRemovePropertyListenerSelect,
              {Word(inID), Word(reinterpret_cast<const void*>(inProc))});
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit inUnit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc, void* inProcUserData) {
  return Call(inUnit, kAudioUnitRemovePropertyListenerWithUserDataSelect,
              {Word(inID), Word(reinterpret_cast<const void*>(inProc)), Word(inProcUserData)});
}

OSStatus AudioUnitAddRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData) {
  return Call(inUnit, kAudioUnitAddRenderNotifySelect,
              {Word(reinterpret_cast<const void*>(inProc)), Word(inProcUserData)});
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData) {
  return Call(inUnit, kAudioUnitRemoveRenderNotifySelect,
              {Word(reinterpret_cast<const void*>(inProc)), Word(inProcUserData)});
}

OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData) {
  return Call(inUnit, kAudioUnitRenderSelect,
              {Word(ioActionFlags), Word(inTimeStamp), Word(inOutputBusNumber), Word(inNumberFrames), Word(ioData)});
}

OSStatus AudioUnitScheduleParameters(AudioUnit inUnit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents) {
  return Call(inUnit, kAudioUnitScheduleParametersSelect, {Word(inParameterEvent), Word(inNumParamEvents)});
}

OSStatus MusicDeviceMIDIEvent(AudioUnit inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame) {
  return Call(inUnit, kMusicDeviceMIDIEventSelect,
              {Word(inStatus), Word(inData1), Word(inData2), Word(inOffsetSampleFrame)});
}

OSStatus MusicDeviceSysEx(AudioUnit inUnit, const UInt8* inData, UInt32 inLength) {
  return Call(inUnit, kMusicDeviceSysExSelect, {Word(inData), Word(inLength)});
}

OSStatus MusicDevicePrepareInstrument(AudioUnit inUnit, MusicDeviceInstrumentID inInstrument) {
  return Call(inUnit, kMusicDevicePrepareInstrumentSelect, {Word(inInstrument)});
}

OSStatus MusicDeviceReleaseInstrument(AudioUnit inUnit, MusicDeviceInstrumentID inInstrument) {
  return Call(inUnit, kMusicDeviceReleaseInstrumentSelect, {Word(inInstrument)});
}

OSStatus MusicDeviceStartNote(AudioUnit inUnit, MusicDeviceInstrumentID inInstrument, MusicDeviceGroupID inGroupID,
                              NoteInstanceID* outNoteInstanceID, UInt32 inOffsetSampleFrame,
                              const MusicDeviceNoteParams* inParams) {
  return Call(inUnit, kMusicDeviceStartNoteSelect,
              {Word(inInstrument), Word(inGroupID), Word(outNoteInstanceID), Word(inOffsetSampleFrame),
               Word(inParams)});
}

OSStatus MusicDeviceStopNote(AudioUnit inUnit, MusicDeviceGroupID inGroupID, NoteInstanceID inNoteInstanceID,
                             UInt32 inOffsetSampleFrame) {
  return Call(inUnit, kMusicDeviceStopNoteSelect, {Word(inGroupID), Word(inNoteInstanceID), Word(inOffsetSampleFrame)});
}

OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, WindowRef inWindow,
                                   ControlRef inParentControl, const Float32Point* inLocation,
                                   const Float32Point* inSize, ControlRef* outControl) {
  // This call's words run in reverse order of its parameters.
  const long words[6] = {Word(outControl), Word(inSize),          Word(inLocation),
                         Word(inParentControl), Word(inWindow), Word(inAudioUnit)};
  return korv_cm::CallWithWords(inView, kAudioUnitCarbonViewCreateSelect, words, 6);
}
