// A minimal component for the platform tests: records every call in its instance storage,
// answers through the out pointers it is given and sends a parameter event on every parameter change.
#include <AudioToolbox/AudioToolbox.h>

#include <cstring>

#include "test_component_state.h"

using korv_test_component::State;

namespace {

Float32 FloatFromWord(long word) {
  const UInt32 bits = static_cast<UInt32>(word);
  Float32 value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

template <class T>
T* PointerFromWord(long word) {
  return reinterpret_cast<T*>(word);
}

void Record(State* state, Handle storage, const ComponentParameters* params) {
  ++state->calls;
  if (reinterpret_cast<State*>(storage) != state || state->magic != korv_test_component::kMagic)
    ++state->callsWithWrongStorage;
  state->lastSelector = params->what;
  state->lastWordCount = params->paramSize / static_cast<int>(sizeof(long));
  for (int i = 0; i < state->lastWordCount && i < 8; ++i) state->lastWords[i] = params->params[i];
}

void FillOutputs(AudioBufferList* buffers, UInt32 frames) {
  if (!buffers) return;
  for (UInt32 b = 0; b < buffers->mNumberBuffers; ++b) {
    auto* samples = static_cast<Float32*>(buffers->mBuffers[b].mData);
    for (UInt32 i = 0; samples && i < frames; ++i) samples[i] = 1.0f;
  }
}

ComponentResult Serve(State* state, const ComponentParameters* params) {
  const long* w = params->params;
  switch (params->what) {
    case kComponentCanDoSelect:
      return (w[0] >= kAudioUnitInitializeSelect && w[0] <= kAudioUnitRemovePropertyListenerWithUserDataSelect) ? 1 : 0;
    case kComponentVersionSelect:
      return 0x00010000;
    case kAudioUnitGetPropertyInfoSelect:
      if (UInt32* size = PointerFromWord<UInt32>(w[4])) *size = 4;
      if (Boolean* writable = PointerFromWord<Boolean>(w[5])) *writable = true;
      return noErr;
    case kAudioUnitGetPropertySelect:
      if (UInt32* data = PointerFromWord<UInt32>(w[4])) *data = static_cast<UInt32>(w[1]) + 1;
      if (UInt32* size = PointerFromWord<UInt32>(w[5])) *size = 4;
      return noErr;
    case kAudioUnitSetPropertySelect:
      if (static_cast<UInt32>(w[1]) == korv_test_component::kCloseCounterProperty)
        state->closeCounter = PointerFromWord<int>(w[4]);
      return noErr;
    case kAudioUnitGetParameterSelect:
      if (auto* value = PointerFromWord<AudioUnitParameterValue>(w[4])) *value = 0.25f;
      return noErr;
    case kAudioUnitSetParameterSelect: {
      AudioUnitEvent event{};
      event.mEventType = kAudioUnitEvent_ParameterValueChange;
      event.mArgument.mParameter = {state->self, static_cast<UInt32>(w[1]), static_cast<UInt32>(w[2]),
                                    static_cast<UInt32>(w[3])};
      return FloatFromWord(w[4]) >= 0 ? AUEventListenerNotify(nullptr, state, &event) : kAudioUnitErr_InvalidParameter;
    }
    case kAudioUnitRenderSelect:
      FillOutputs(PointerFromWord<AudioBufferList>(w[5]), static_cast<UInt32>(w[4]));
      return noErr;
    case kMusicDeviceStartNoteSelect:
      if (auto* note = PointerFromWord<NoteInstanceID>(w[3])) *note = 60;
      return noErr;
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
    case kAudioUnitResetSelect:
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitScheduleParametersSelect:
    case kMusicDeviceMIDIEventSelect:
    case kMusicDeviceSysExSelect:
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
    case kMusicDeviceStopNoteSelect:
    case kAudioUnitCarbonViewCreateSelect:
      return noErr;
    default:
      return badComponentSelector;
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ComponentResult TestComponentEntry(ComponentParameters* params,
                                                                                    Handle storage) {
  if (params->what == kComponentOpenSelect) {
    auto* state = new State();
    state->self = reinterpret_cast<ComponentInstance>(params->params[1]);
    SetComponentInstanceStorage(state->self, reinterpret_cast<Handle>(state));
    Record(state, reinterpret_cast<Handle>(state), params);
    return noErr;
  }
  auto* state = reinterpret_cast<State*>(storage);
  if (!state) return badComponentInstance;
  Record(state, storage, params);
  if (params->what == kComponentCloseSelect) {
    if (state->closeCounter) ++*state->closeCounter;
    delete state;
    return noErr;
  }
  return Serve(state, params);
}

// Counts the close calls the refusing component receives.
extern "C" {
__attribute__((visibility("default"))) int TestRefusingCloseCount = 0;
}

// Refuses to open after making its storage, so only the close call that must follow can free it.
extern "C" __attribute__((visibility("default"))) ComponentResult TestRefusingEntry(ComponentParameters* params,
                                                                                   Handle storage) {
  if (params->what == kComponentOpenSelect) {
    auto* state = new State();
    SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(params->params[1]), reinterpret_cast<Handle>(state));
    return korv_test_component::kRefusedOpenStatus;
  }
  if (params->what == kComponentCloseSelect) {
    ++TestRefusingCloseCount;
    delete reinterpret_cast<State*>(storage);
  }
  return noErr;
}
