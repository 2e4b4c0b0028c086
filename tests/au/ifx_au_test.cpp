// The component entry: selector table, locking, listeners, render notifications, scheduling and
// the fast-dispatch parameter procedures, driven with hand-built parameter blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "au_test_support.h"

using namespace au_test;

namespace {

struct ListenerCall {
  void* userData;
  AudioUnitPropertyID id;
  AudioUnitScope scope;
  bool mutexHeld;
};
std::vector<ListenerCall> s_listenerCalls;
TestAUPlug* s_listenedPlug = nullptr;

void RecordListener(void* userData, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement) {
  s_listenerCalls.push_back({userData, id, scope, false});
}

void OtherListener(void* userData, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement) {
  s_listenerCalls.push_back({userData, id, scope, true});
}

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override { s_listenerCalls.clear(); }
  OpenedPlug mPlug;
};

// The music-device selectors are offered only by a plug-in that takes MIDI.
TEST_F(EntryTest, CanDoAnswersServedSelectorsButNotEighteenOrInstrumentOnesOfAnEffect) {
  TestPlugOptions instrumentOptions;
  instrumentOptions.isInstrument = true;
  OpenedPlug instrument(instrumentOptions);
  for (TestAUPlug* pPlug : {mPlug.Get(), instrument.Get()}) {
    const long musicDevice = pPlug == instrument.Get() ? 1 : 0;
    for (long selector : {1L, 2L, 3L, 4L, 5L, 6L, 7L, 9L, 10L, 11L, 14L, 15L, 16L, 17L})
      EXPECT_EQ(1, Call(pPlug, kComponentCanDoSelect, {}, selector)) << selector;
    for (long selector : {0L, 8L, 12L, 13L, 18L, 256L, 263L, -1L, -2L})
      EXPECT_EQ(0, Call(pPlug, kComponentCanDoSelect, {}, selector)) << selector;
    for (long selector = 257; selector <= 262; ++selector)
      EXPECT_EQ(musicDevice, Call(pPlug, kComponentCanDoSelect, {}, selector)) << selector;
  }
}

TEST_F(EntryTest, VersionUnknownSelectorsAndMissingStorage) {
  EXPECT_EQ(65536, Call(mPlug.Get(), kComponentVersionSelect, {}));
  EXPECT_EQ(badComponentSelector, Call(mPlug.Get(), 8, {}));
  EXPECT_EQ(badComponentSelector, Call(mPlug.Get(), 300, {}));
  EXPECT_EQ(badComponentInstance, Call(nullptr, kAudioUnitResetSelect, {Word(0u), Word(0u)}));
  EXPECT_EQ(noErr, Call(nullptr, kComponentCloseSelect, {}));
  EXPECT_EQ(badComponentSelector, IFxAU::IFxAUEntry(nullptr, mPlug.Get()));
}

TEST_F(EntryTest, OpenIdentifiesTheHostAndPrunesUnfilledPresets) {
  EXPECT_EQ(1, mPlug->mHostIdentified);
  EXPECT_NE(kHostUninit, mPlug->GetHost());
  TestPlugOptions options;
  options.nPresets = 2;
  OpenedPlug withPresets(options);
  EXPECT_EQ(2, withPresets->NPresets());
}

TEST_F(EntryTest, InitializeChecksThePairOfChannelCounts) {
  // Each side alone is legal while uninitialised; together (1, 2) is not a listed configuration.
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(1)));
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, MakeFormat(2)));
  mPlug->mParamChanges.clear();
  EXPECT_EQ(badComponentSelector, Call(mPlug.Get(), kAudioUnitInitializeSelect, {}));
  EXPECT_FALSE(mPlug->IsInitialized());
  EXPECT_TRUE(mPlug->mParamChanges.empty());

  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, MakeFormat(1)));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kAudioUnitInitializeSelect, {}));
  EXPECT_TRUE(mPlug->IsInitialized());
  EXPECT_EQ(std::vector<int>({kGain, kInvert, kOut, kSaturation}), mPlug->mParamChanges);
  ASSERT_FALSE(mPlug->mActivations.empty());
  EXPECT_TRUE(mPlug->mActivations.back());

  // Initialised, the other side's count now constrains a change.
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, MakeFormat(2)));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kAudioUnitUninitializeSelect, {}));
  EXPECT_FALSE(mPlug->IsInitialized());
  EXPECT_FALSE(mPlug->mActivations.back());
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, MakeFormat(2)));
}

TEST_F(EntryTest, ParametersThroughTheEntryCheckScopeAndID) {
  Float32 value = -1.0f;
  EXPECT_EQ(noErr, mPlug.SetParam(kGain, 1.5f));
  EXPECT_EQ(noErr, mPlug.GetParam(kGain, &value));
  EXPECT_FLOAT_EQ(1.5f, value);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, mPlug.GetParam(kGain, &value, kAudioUnitScope_Input));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, mPlug.SetParam(kGain, 0.5f, kAudioUnitScope_Output));
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, mPlug.GetParam(kNumTestParams, &value));
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, mPlug.SetParam(0xFFFFFFFFu, 0.5f));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, mPlug.GetParam(kGain, nullptr));
  // Values are clamped to the range by the parameter.
  EXPECT_EQ(noErr, mPlug.SetParam(kGain, 7.0f));
  EXPECT_EQ(noErr, mPlug.GetParam(kGain, &value));
  EXPECT_FLOAT_EQ(2.0f, value);
}

TEST(EntryEditorTest, SetParamProcMovesTheEditorAndCallsOnParamChangeOnceWithoutEvents) {
  TestPlugOptions options;
  options.withEditor = true;
  OpenedPlug plug(options);
  plug->mEditor->mPushes.clear();
  plug->mParamChanges.clear();
  EXPECT_EQ(noErr, IFxAU::SetParamProc(plug.Get(), kOut, kAudioUnitScope_Global, 0, -6.0f, 0));
  ASSERT_EQ(1u, plug->mEditor->mPushes.size());
  EXPECT_EQ(kOut, plug->mEditor->mPushes[0].paramIdx);
  EXPECT_DOUBLE_EQ(-6.0, plug->mEditor->mPushes[0].value);
  EXPECT_FALSE(plug->mEditor->mPushes[0].normalized);
  EXPECT_EQ(std::vector<int>({kOut}), plug->mParamChanges);
}

TEST_F(EntryTest, PropertyListenerRegistrationKeepsTheFirstUserData) {
  int first = 1, second = 2;
  auto add = [&](AudioUnitPropertyListenerProc proc, void* data) {
    return Call(mPlug.Get(), kAudioUnitAddPropertyListenerSelect,
                {Word(static_cast<UInt32>(kAudioUnitProperty_BypassEffect)), ProcWord(proc), Word(data)});
  };
  EXPECT_EQ(noErr, add(RecordListener, &first));
  EXPECT_EQ(noErr, add(RecordListener, &second));
  EXPECT_EQ(noErr, add(OtherListener, &second));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, add(nullptr, &first));

  UInt32 on = 1;
  mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on);
  ASSERT_EQ(2u, s_listenerCalls.size());
  EXPECT_EQ(&first, s_listenerCalls[0].userData);
  EXPECT_EQ(&second, s_listenerCalls[1].userData);

  // Removing with the second user data matches nothing: the registration kept the first.
  auto removeWithData = [&](AudioUnitPropertyListenerProc proc, void* data) {
    return Call(mPlug.Get(), kAudioUnitRemovePropertyListenerWithUserDataSelect,
                {Word(static_cast<UInt32>(kAudioUnitProperty_BypassEffect)), ProcWord(proc), Word(data)});
  };
  EXPECT_EQ(noErr, removeWithData(RecordListener, &second));
  s_listenerCalls.clear();
  mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on);
  EXPECT_EQ(2u, s_listenerCalls.size());

  EXPECT_EQ(noErr, removeWithData(RecordListener, &first));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kAudioUnitRemovePropertyListenerSelect,
                        {Word(static_cast<UInt32>(kAudioUnitProperty_BypassEffect)), ProcWord(OtherListener)}));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kAudioUnitRemovePropertyListenerSelect,
                        {Word(static_cast<UInt32>(kAudioUnitProperty_BypassEffect)), ProcWord(OtherListener)}));
  s_listenerCalls.clear();
  mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on);
  EXPECT_TRUE(s_listenerCalls.empty());
}

TEST_F(EntryTest, ListenersRunBeforeTheChangeAndAlsoWhenItFails) {
  s_listenedPlug = mPlug.Get();
  auto readBypass = [](void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement) {
    s_listenerCalls.push_back({nullptr, id, scope, s_listenedPlug->IsBypassed()});
  };
  Call(mPlug.Get(), kAudioUnitAddPropertyListenerSelect,
       {Word(static_cast<UInt32>(kAudioUnitProperty_BypassEffect)), ProcWord(+readBypass), Word(nullptr)});
  Call(mPlug.Get(), kAudioUnitAddPropertyListenerSelect,
       {Word(static_cast<UInt32>(kAudioUnitProperty_CPULoad)), ProcWord(+readBypass), Word(nullptr)});
  UInt32 on = 1;
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, on));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, mPlug.Set(kAudioUnitProperty_CPULoad, kAudioUnitScope_Output, 0, on));
  ASSERT_EQ(2u, s_listenerCalls.size());
  EXPECT_FALSE(s_listenerCalls[0].mutexHeld);  // bypass still off when the listener ran
  EXPECT_EQ(static_cast<AudioUnitPropertyID>(kAudioUnitProperty_CPULoad), s_listenerCalls[1].id);
  EXPECT_EQ(static_cast<AudioUnitScope>(kAudioUnitScope_Output), s_listenerCalls[1].scope);
  EXPECT_TRUE(mPlug->IsBypassed());
}

void RemoveSelfListener(void* userData, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement) {
  s_listenerCalls.push_back({userData, id, scope, false});
  Call(s_listenedPlug, kAudioUnitRemovePropertyListenerSelect, {Word(id), ProcWord(RemoveSelfListener)});
}

TEST_F(EntryTest, ListenerRemovingItselfDoesNotHideTheNextOne) {
  s_listenedPlug = mPlug.Get();
  int first = 1, second = 2;
  const long id = Word(static_cast<UInt32>(kAudioUnitProperty_OfflineRender));
  Call(mPlug.Get(), kAudioUnitAddPropertyListenerSelect, {id, ProcWord(RemoveSelfListener), Word(&first)});
  Call(mPlug.Get(), kAudioUnitAddPropertyListenerSelect, {id, ProcWord(RecordListener), Word(&second)});
  UInt32 on = 1;
  mPlug.Set(kAudioUnitProperty_OfflineRender, kAudioUnitScope_Global, 0, on);
  ASSERT_EQ(2u, s_listenerCalls.size());
  EXPECT_EQ(&first, s_listenerCalls[0].userData);
  EXPECT_EQ(&second, s_listenerCalls[1].userData);
  EXPECT_TRUE(mPlug->IsRenderingOffline());
  s_listenerCalls.clear();
  mPlug.Set(kAudioUnitProperty_OfflineRender, kAudioUnitScope_Global, 0, on);
  ASSERT_EQ(1u, s_listenerCalls.size());
  EXPECT_EQ(&second, s_listenerCalls[0].userData);
}

TEST_F(EntryTest, SchedulingAppliesImmediateEventsUntilTheFirstFailure) {
  AudioUnitParameterEvent events[4];
  std::memset(events, 0, sizeof(events));
  auto immediate = [](AudioUnitParameterEvent& e, UInt32 scope, UInt32 id, Float32 value) {
    e.scope = scope;
    e.parameter = id;
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate.value = value;
  };
  events[0].eventType = kParameterEvent_Ramped;
  events[0].parameter = kOut;
  events[0].eventValues.ramp.startValue = 9.0f;
  immediate(events[1], kAudioUnitScope_Global, kGain, 0.25f);
  immediate(events[2], kAudioUnitScope_Output, kOut, 3.0f);
  immediate(events[3], kAudioUnitScope_Global, kSaturation, 0.75f);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Call(mPlug.Get(), kAudioUnitScheduleParametersSelect, {Word(events), Word(4u)}));
  EXPECT_DOUBLE_EQ(0.25, mPlug->GetParam(kGain)->Value());
  EXPECT_DOUBLE_EQ(0.0, mPlug->GetParam(kOut)->Value());
  EXPECT_DOUBLE_EQ(0.5, mPlug->GetParam(kSaturation)->Value());

  immediate(events[2], kAudioUnitScope_Global, 99, 3.0f);
  EXPECT_EQ(kAudioUnitErr_InvalidParameter,
            Call(mPlug.Get(), kAudioUnitScheduleParametersSelect, {Word(events), Word(4u)}));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            Call(mPlug.Get(), kAudioUnitScheduleParametersSelect, {Word(nullptr), Word(2u)}));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kAudioUnitScheduleParametersSelect, {Word(nullptr), Word(0u)}));
}

TEST_F(EntryTest, MusicDeviceSelectorsReachTheMidiHook) {
  EXPECT_EQ(noErr, Call(mPlug.Get(), kMusicDeviceMIDIEventSelect, {Word(0x90u), Word(60u), Word(100u), Word(12u)}));
  MusicDeviceNoteParams note = {2, 64.7f, 90.9f, {}};
  NoteInstanceID noteID = 0;
  EXPECT_EQ(noErr, Call(mPlug.Get(), kMusicDeviceStartNoteSelect,
                        {Word(0u), Word(0u), Word(&noteID), Word(5u), Word(&note)}));
  EXPECT_EQ(64u, noteID);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Call(mPlug.Get(), kMusicDeviceStartNoteSelect,
                                                     {Word(0u), Word(0u), Word(&noteID), Word(5u), Word(nullptr)}));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kMusicDeviceStopNoteSelect, {Word(0u), Word(64u), Word(7u)}));
  EXPECT_EQ(noErr, Call(mPlug.Get(), kMusicDevicePrepareInstrumentSelect, {Word(0u)}));
  ASSERT_EQ(3u, mPlug->mMidi.size());
  EXPECT_EQ(12, mPlug->mMidi[0].mOffset);
  EXPECT_EQ(0x90, mPlug->mMidi[0].mStatus);
  EXPECT_EQ(60, mPlug->mMidi[0].NoteNumber());
  EXPECT_EQ(64, mPlug->mMidi[1].NoteNumber());
  EXPECT_EQ(90, mPlug->mMidi[1].Velocity());
  EXPECT_EQ(5, mPlug->mMidi[1].mOffset);
  EXPECT_EQ(IMidiMsg::kNoteOff, mPlug->mMidi[2].StatusMsg());
  EXPECT_EQ(7, mPlug->mMidi[2].mOffset);
}

// Only the host's reset forgets the audio heard so far; the other calls that reach the effect's
// reset keep it.
TEST_F(EntryTest, ResetSelectorCallsTheEffectsResetAndForgetsTheAudioHistory) {
  ASSERT_EQ(noErr, mPlug.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, 512u));
  ASSERT_EQ(noErr, mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 1u));
  ASSERT_EQ(noErr, mPlug.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, 48000.0));
  ASSERT_EQ(noErr, Call(mPlug.Get(), kAudioUnitInitializeSelect, {}));
  EXPECT_EQ(0, mPlug->mHistoryForgotten);
  const int before = mPlug->mResets;
  EXPECT_EQ(noErr, Call(mPlug.Get(), kAudioUnitResetSelect, {Word(0u), Word(0u)}));
  EXPECT_EQ(before + 1, mPlug->mResets);
  EXPECT_EQ(1, mPlug->mHistoryForgotten);
}

// The effect builds its rate-dependent state in Reset, since render may not allocate: whatever
// order a host configures the unit in, the last reset before rendering saw the running rate.
TEST(EntryRateTest, InitializeFindsTheEffectResetForTheRateItRunsAt) {
  enum Step { kMaxFrames, kFormat48k, kRate96k, kInitialize };
  const std::vector<std::pair<std::vector<Step>, double>> orders = {
      {{kMaxFrames, kFormat48k, kInitialize}, 48000.0},
      {{kInitialize}, 44100.0},
      {{kRate96k, kFormat48k, kInitialize}, 48000.0},
      {{kFormat48k, kRate96k, kInitialize}, 96000.0},
  };
  for (const auto& [steps, rate] : orders) {
    OpenedPlug plug;
    for (Step step : steps) {
      switch (step) {
        case kMaxFrames:
          ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, 512u));
          break;
        case kFormat48k:
          ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(2, 48000.0)));
          break;
        case kRate96k:
          ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, 96000.0));
          break;
        case kInitialize:
          ASSERT_EQ(noErr, Call(plug.Get(), kAudioUnitInitializeSelect, {}));
          break;
      }
    }
    EXPECT_EQ(rate, plug->GetSampleRate());
    EXPECT_EQ(rate, plug->mLastResetRate);
  }
}

// The same rates as the rate property takes.
TEST_F(EntryTest, StreamFormatsWithARateNoEffectCanUseAreRefused) {
  for (Float64 rate : {Float64(INFINITY), -Float64(INFINITY), Float64(NAN), -48000.0, 0.0, 1000.0, 7999.0, 768001.0,
                       1e7, 1e300}) {
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
              mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(2, rate)))
        << rate;
    EXPECT_EQ(44100.0, mPlug->GetSampleRate());
  }
  for (Float64 rate : {8000.0, 768000.0}) {
    EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(2, rate))) << rate;
    EXPECT_EQ(rate, mPlug->GetSampleRate());
  }
}

}  // namespace
