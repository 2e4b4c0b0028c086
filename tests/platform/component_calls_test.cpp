// The test component opened, called through every selector and closed.
#include <AudioToolbox/AudioToolbox.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>

#include "korval_platform/host.h"
#include "support/alloc_counter.h"
#include "test_component_state.h"

using korv_test_component::State;

namespace {

Component FindTestComponent(OSType subtype) {
  EXPECT_EQ(KorvRegisterComponentBundle(KORV_TEST_BUNDLE_DIR, nullptr), noErr);
  ComponentDescription looking = {kAudioUnitType_Effect, subtype, 0x4B6F7276 /* 'Korv' */, 0, 0};
  return FindNextComponent(nullptr, &looking);
}

class OpenTestComponent : public ::testing::Test {
 protected:
  void SetUp() override {
    Component component = FindTestComponent(0x54737431 /* 'Tst1' */);
    ASSERT_NE(component, nullptr);
    mUnit = OpenComponent(component);
    ASSERT_NE(mUnit, nullptr);
    mState = reinterpret_cast<State*>(GetComponentInstanceStorage(mUnit));
    ASSERT_NE(mState, nullptr);
    ASSERT_EQ(AudioUnitSetProperty(mUnit, korv_test_component::kCloseCounterProperty, kAudioUnitScope_Global, 0,
                                   &mCloses, sizeof mCloses),
              noErr);
  }
  void TearDown() override {
    if (mUnit) {
      EXPECT_EQ(CloseComponent(mUnit), noErr);
      EXPECT_EQ(mCloses, 1);
    }
  }

  // The words of the last call after word 0, which must always name the instance.
  void ExpectLastCall(SInt16 selector, std::initializer_list<long> arguments) {
    EXPECT_EQ(mState->lastSelector, selector);
    EXPECT_EQ(mState->lastWords[0], reinterpret_cast<long>(mUnit)) << "selector " << selector;
    ASSERT_EQ(mState->lastWordCount, static_cast<int>(arguments.size()) + 1) << "selector " << selector;
    int i = 1;
    for (long argument : arguments) EXPECT_EQ(mState->lastWords[i++], argument) << "selector " << selector << " word " << i - 1;
  }

  static long W(const void* pointer) { return reinterpret_cast<long>(pointer); }
  static long FloatWord(Float32 value) {
    UInt32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<long>(bits);
  }

  AudioUnit mUnit = nullptr;
  State* mState = nullptr;
  int mCloses = 0;
};

void CountEvent(void* userData, void*, const AudioUnitEvent* event) {
  auto* received = static_cast<AudioUnitEvent*>(userData);
  *received = *event;
}

void PropertyListener(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
OSStatus RenderNotify(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return noErr;
}

TEST_F(OpenTestComponent, OpenRegistersStorageAndEveryCallPassesItBack) {
  EXPECT_EQ(mState->self, mUnit);
  ComponentDescription description{};
  ASSERT_EQ(GetComponentInfo(reinterpret_cast<Component>(mUnit), &description, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(description.componentSubType, 0x54737431u);
  EXPECT_EQ(GetComponentVersion(mUnit), 0x00010000);
  EXPECT_EQ(CallComponentCanDo(mUnit, kAudioUnitRenderSelect), 1);
  EXPECT_EQ(mState->lastWords[0], kAudioUnitRenderSelect);  // CanDo carries the asked selector in word 0
  EXPECT_EQ(CallComponentCanDo(mUnit, kMusicDeviceMIDIEventSelect), 0);
  EXPECT_EQ(mState->callsWithWrongStorage, 0);
}

TEST_F(OpenTestComponent, AudioUnitCallsLayTheirArgumentsOutOneWordEach) {
  EXPECT_EQ(AudioUnitInitialize(mUnit), noErr);
  ExpectLastCall(kAudioUnitInitializeSelect, {});
  EXPECT_EQ(AudioUnitUninitialize(mUnit), noErr);
  ExpectLastCall(kAudioUnitUninitializeSelect, {});

  UInt32 size = 0;
  Boolean writable = false;
  EXPECT_EQ(AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 3, &size, &writable),
            noErr);
  ExpectLastCall(kAudioUnitGetPropertyInfoSelect, {kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 3, W(&size),
                                                   W(&writable)});
  EXPECT_EQ(size, 4u);
  EXPECT_TRUE(writable);
  EXPECT_EQ(AudioUnitGetPropertyInfo(mUnit, 1, 0, 0, nullptr, nullptr), noErr);  // the component sees the nulls

  UInt32 value = 0;
  size = sizeof value;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, 0xFFFFFFF0u, kAudioUnitScope_Output, 0xFFFFFFFFu, &value, &size), noErr);
  ExpectLastCall(kAudioUnitGetPropertySelect, {0xFFFFFFF0l, kAudioUnitScope_Output, 0xFFFFFFFFl, W(&value), W(&size)});
  EXPECT_EQ(value, 0xFFFFFFF1u);  // 32-bit values occupy the low half of their word, unsigned

  const Float64 rate = 48000;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof rate),
            noErr);
  ExpectLastCall(kAudioUnitSetPropertySelect, {kAudioUnitProperty_SampleRate, 0, 0, W(&rate), 8});

  AudioUnitParameterValue parameter = 0;
  EXPECT_EQ(AudioUnitGetParameter(mUnit, 2, kAudioUnitScope_Global, 0, &parameter), noErr);
  ExpectLastCall(kAudioUnitGetParameterSelect, {2, 0, 0, W(&parameter)});
  EXPECT_EQ(parameter, 0.25f);

  EXPECT_EQ(AudioUnitSetParameter(mUnit, 1, kAudioUnitScope_Global, 0, -6.5f, 17), kAudioUnitErr_InvalidParameter);
  ExpectLastCall(kAudioUnitSetParameterSelect, {1, 0, 0, FloatWord(-6.5f), 17});

  EXPECT_EQ(AudioUnitReset(mUnit, kAudioUnitScope_Global, 5), noErr);
  ExpectLastCall(kAudioUnitResetSelect, {0, 5});

  int userData = 0;
  EXPECT_EQ(AudioUnitAddPropertyListener(mUnit, 21, PropertyListener, &userData), noErr);
  ExpectLastCall(kAudioUnitAddPropertyListenerSelect, {21, W(reinterpret_cast<void*>(PropertyListener)), W(&userData)});
  EXPECT_EQ(AudioUnitRemovePropertyListener(mUnit, 21, PropertyListener), noErr);
  ExpectLastCall(kAudioUnitRemovePropertyListenerSelect, {21, W(reinterpret_cast<void*>(PropertyListener))});
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(mUnit, 21, PropertyListener, &userData), noErr);
  ExpectLastCall(kAudioUnitRemovePropertyListenerWithUserDataSelect,
                 {21, W(reinterpret_cast<void*>(PropertyListener)), W(&userData)});

  EXPECT_EQ(AudioUnitAddRenderNotify(mUnit, RenderNotify, &userData), noErr);
  ExpectLastCall(kAudioUnitAddRenderNotifySelect, {W(reinterpret_cast<void*>(RenderNotify)), W(&userData)});
  EXPECT_EQ(AudioUnitRemoveRenderNotify(mUnit, RenderNotify, &userData), noErr);
  ExpectLastCall(kAudioUnitRemoveRenderNotifySelect, {W(reinterpret_cast<void*>(RenderNotify)), W(&userData)});

  AudioUnitParameterEvent events[2] = {};
  EXPECT_EQ(AudioUnitScheduleParameters(mUnit, events, 2), noErr);
  ExpectLastCall(kAudioUnitScheduleParametersSelect, {W(events), 2});

  EXPECT_EQ(mState->callsWithWrongStorage, 0);
}

TEST_F(OpenTestComponent, MusicDeviceAndViewCallsLayTheirArgumentsOut) {
  EXPECT_EQ(MusicDeviceMIDIEvent(mUnit, 0x90, 60, 100, 12), noErr);
  ExpectLastCall(kMusicDeviceMIDIEventSelect, {0x90, 60, 100, 12});
  const UInt8 sysex[3] = {0xF0, 1, 0xF7};
  EXPECT_EQ(MusicDeviceSysEx(mUnit, sysex, 3), noErr);
  ExpectLastCall(kMusicDeviceSysExSelect, {W(sysex), 3});
  EXPECT_EQ(MusicDevicePrepareInstrument(mUnit, 4), noErr);
  ExpectLastCall(kMusicDevicePrepareInstrumentSelect, {4});
  EXPECT_EQ(MusicDeviceReleaseInstrument(mUnit, 4), noErr);
  ExpectLastCall(kMusicDeviceReleaseInstrumentSelect, {4});

  MusicDeviceNoteParams note{2, 60.7f, 99.0f, {}};
  NoteInstanceID noteID = 0;
  EXPECT_EQ(MusicDeviceStartNote(mUnit, 1, 2, &noteID, 8, &note), noErr);
  ExpectLastCall(kMusicDeviceStartNoteSelect, {1, 2, W(&noteID), 8, W(&note)});
  EXPECT_EQ(noteID, 60u);
  EXPECT_EQ(MusicDeviceStopNote(mUnit, 2, 60, 9), noErr);
  ExpectLastCall(kMusicDeviceStopNoteSelect, {2, 60, 9});

  // The view call carries its arguments in reverse order, the audio unit in the sixth word.
  Float32Point location{1, 2}, size{3, 4};
  ControlRef control = nullptr;
  auto* window = reinterpret_cast<WindowRef>(0x1000);
  auto* parent = reinterpret_cast<ControlRef>(0x2000);
  EXPECT_EQ(AudioUnitCarbonViewCreate(mUnit, mUnit, window, parent, &location, &size, &control), noErr);
  EXPECT_EQ(mState->lastSelector, kAudioUnitCarbonViewCreateSelect);
  EXPECT_EQ(mState->lastWordCount, 6);
  const long expected[6] = {W(&control), W(&size), W(&location), W(parent), W(window), W(mUnit)};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(mState->lastWords[i], expected[i]) << i;

  EXPECT_EQ(mState->callsWithWrongStorage, 0);
}

TEST_F(OpenTestComponent, RenderReachesTheComponentWithoutAllocating) {
  float left[64] = {}, right[64] = {};
  struct {
    AudioBufferList list;
    AudioBuffer second;
  } buffers = {{2, {{1, sizeof left, left}}}, {1, sizeof right, right}};
  AudioTimeStamp time{};
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;

  korv_test::AllocationScope allocations;
  const OSStatus status = AudioUnitRender(mUnit, &flags, &time, 0, 64, &buffers.list);
  EXPECT_EQ(allocations.Count(), 0);
  EXPECT_EQ(status, noErr);
  ExpectLastCall(kAudioUnitRenderSelect, {W(&flags), W(&time), 0, 64, W(&buffers.list)});
  EXPECT_EQ(left[63], 1.0f);
  EXPECT_EQ(right[0], 1.0f);
}

TEST_F(OpenTestComponent, ParameterEventsFromThePlugInReachTheHostListener) {
  AudioUnitEvent received{};
  received.mEventType = 99;
  ASSERT_EQ(KorvAddAUEventListener(CountEvent, &received), noErr);
  {
    korv_test::AllocationScope allocations;
    EXPECT_EQ(AudioUnitSetParameter(mUnit, 2, kAudioUnitScope_Global, 0, 0.75f, 0), noErr);
    EXPECT_EQ(allocations.Count(), 0);
  }
  KorvRemoveAUEventListener(CountEvent, &received);
  EXPECT_EQ(received.mEventType, kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(received.mArgument.mParameter.mAudioUnit, mUnit);
  EXPECT_EQ(received.mArgument.mParameter.mParameterID, 2u);

  received.mEventType = 99;
  EXPECT_EQ(AudioUnitSetParameter(mUnit, 2, kAudioUnitScope_Global, 0, 0.5f, 0), noErr);
  EXPECT_EQ(received.mEventType, 99u);  // removed listeners hear nothing
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), paramErr);
}

TEST(AUEventListeners, TheTableRefusesNullAndOverflow) {
  AudioUnitEvent sink{};
  EXPECT_EQ(KorvAddAUEventListener(nullptr, nullptr), paramErr);
  int added = 0;
  while (KorvAddAUEventListener(CountEvent, &sink) == noErr && added <= kKorvMaxAUEventListeners) ++added;
  EXPECT_EQ(added, kKorvMaxAUEventListeners);
  for (int i = 0; i < added; ++i) KorvRemoveAUEventListener(CountEvent, &sink);
  EXPECT_EQ(KorvAddAUEventListener(CountEvent, &sink), noErr);
  KorvRemoveAUEventListener(CountEvent, &sink);
}

TEST(ComponentInstances, CallsOnInstancesThatAreNotOpenAreRefused) {
  Component component = FindTestComponent(0x54737431 /* 'Tst1' */);
  AudioUnit unit = OpenComponent(component);
  ASSERT_NE(unit, nullptr);
  ASSERT_EQ(CloseComponent(unit), noErr);

  for (AudioUnit stale : {unit, static_cast<AudioUnit>(nullptr)}) {
    EXPECT_EQ(AudioUnitInitialize(stale), badComponentInstance);
    EXPECT_EQ(AudioUnitRender(stale, nullptr, nullptr, 0, 0, nullptr), badComponentInstance);
    EXPECT_EQ(GetComponentInstanceStorage(stale), nullptr);
    SetComponentInstanceStorage(stale, nullptr);
    EXPECT_EQ(CloseComponent(stale), invalidComponentID);
    EXPECT_EQ(GetComponentInfo(reinterpret_cast<Component>(stale), nullptr, nullptr, nullptr, nullptr),
              invalidComponentID);
  }
  Handle name = nullptr;
  EXPECT_EQ(GetComponentInfo(component, nullptr, reinterpret_cast<Handle>(&name), nullptr, nullptr), paramErr);
}

TEST(ComponentInstances, ARefusedOpenReportsItsStatusAndStillCloses) {
  Component refusing = FindTestComponent(0x52656631 /* 'Ref1' */);
  ASSERT_NE(refusing, nullptr);
  ComponentInstance instance = nullptr;
  EXPECT_EQ(OpenAComponent(refusing, &instance), korv_test_component::kRefusedOpenStatus);
  EXPECT_EQ(instance, nullptr);

  void* library = dlopen(KORV_TEST_BUNDLE_DIR "/Contents/MacOS/KorvTest", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  const int* closes = static_cast<const int*>(dlsym(library, "TestRefusingCloseCount"));
  ASSERT_NE(closes, nullptr);
  EXPECT_EQ(*closes, 1);
  dlclose(library);
}

}  // namespace
