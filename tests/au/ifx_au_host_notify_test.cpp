// What the binding tells the host (parameter events, program and latency changes), the host
// transport queries, and the factory preset records.
#include <gtest/gtest.h>

#include <string>

#include "au/cf_au_preset.h"
#include "au/cf_text.h"
#include "au_test_support.h"
#include "korval_platform/host.h"

using namespace au_test;

namespace {

std::vector<AudioUnitEvent> s_auEvents;
void RecordAUEvent(void*, void*, const AudioUnitEvent* event) { s_auEvents.push_back(*event); }

TEST(HostNotifyTest, ParameterGesturesAndChangesArePostedAsEvents) {
  TestPlugOptions options;
  options.withEditor = true;
  OpenedPlug plug(options);
  s_auEvents.clear();
  ASSERT_EQ(noErr, KorvAddAUEventListener(RecordAUEvent, nullptr));
  plug->BeginInformHostOfParamChange(kOut);
  plug->SetParameterFromGUI(kOut, 0.75);
  plug->EndInformHostOfParamChange(kOut);
  KorvRemoveAUEventListener(RecordAUEvent, nullptr);
  ASSERT_EQ(3u, s_auEvents.size());
  EXPECT_EQ(kAudioUnitEvent_BeginParameterChangeGesture, s_auEvents[0].mEventType);
  EXPECT_EQ(kAudioUnitEvent_ParameterValueChange, s_auEvents[1].mEventType);
  EXPECT_EQ(kAudioUnitEvent_EndParameterChangeGesture, s_auEvents[2].mEventType);
  EXPECT_EQ(static_cast<UInt32>(kOut), s_auEvents[1].mArgument.mParameter.mParameterID);
  EXPECT_EQ(static_cast<UInt32>(kAudioUnitScope_Global), s_auEvents[1].mArgument.mParameter.mScope);
  // The host reads the new value back through the get-parameter procedure.
  Float32 value = 0;
  EXPECT_EQ(noErr, plug.GetParam(kOut, &value));
  EXPECT_FLOAT_EQ(7.5f, value);

  // A change the host made itself is not echoed back.
  s_auEvents.clear();
  ASSERT_EQ(noErr, KorvAddAUEventListener(RecordAUEvent, nullptr));
  plug.SetParam(kOut, 1.0f);
  KorvRemoveAUEventListener(RecordAUEvent, nullptr);
  EXPECT_TRUE(s_auEvents.empty());
}

struct Seen {
  AudioUnitPropertyID id;
  double latencySeconds;
  SInt32 presetNumber;
};
std::vector<Seen> s_seen;
TestAUPlug* s_plug = nullptr;

void ReadBack(void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
  Seen seen = {id, -1.0, -1};
  UInt32 size = sizeof(Float64);
  Call(s_plug, kAudioUnitGetPropertySelect,
       {Word(static_cast<UInt32>(kAudioUnitProperty_Latency)), Word(0u), Word(0u), Word(&seen.latencySeconds), Word(&size)});
  AUPreset preset = {-1, nullptr};
  size = sizeof(preset);
  Call(s_plug, kAudioUnitGetPropertySelect,
       {Word(static_cast<UInt32>(kAudioUnitProperty_PresentPreset)), Word(0u), Word(0u), Word(&preset), Word(&size)});
  seen.presetNumber = preset.presetNumber;
  if (preset.presetName) CFRelease(preset.presetName);
  s_seen.push_back(seen);
}

TEST(HostNotifyTest, LatencyListenersSeeTheOldValueProgramListenersTheNewPreset) {
  TestPlugOptions options;
  options.nPresets = 2;
  OpenedPlug plug(options);
  s_plug = plug.Get();
  s_seen.clear();
  for (UInt32 id : {static_cast<UInt32>(kAudioUnitProperty_Latency), static_cast<UInt32>(kAudioUnitProperty_PresentPreset)})
    Call(plug.Get(), kAudioUnitAddPropertyListenerSelect, {Word(id), ProcWord(ReadBack), Word(nullptr)});
  plug->SetLatency(441);
  ASSERT_EQ(1u, s_seen.size());
  EXPECT_EQ(0.0, s_seen[0].latencySeconds);
  EXPECT_EQ(441, plug->GetLatency());

  s_seen.clear();
  plug->RestorePreset(1);
  plug->InformHostOfProgramChange();
  ASSERT_EQ(1u, s_seen.size());
  EXPECT_EQ(1, s_seen[0].presetNumber);
  EXPECT_DOUBLE_EQ(0.01, s_seen[0].latencySeconds);
}

TEST(HostNotifyTest, PresentPresetSelectsByNumberAndIgnoresUnknownOnes) {
  TestPlugOptions options;
  options.nPresets = 2;
  OpenedPlug plug(options);
  AUPreset preset = {1, nullptr};
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, preset));
  EXPECT_DOUBLE_EQ(0.75, plug->GetParam(kGain)->Value());
  preset.presetNumber = 7;
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, preset));
  AUPreset current = {-1, nullptr};
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &current));
  EXPECT_EQ(1, current.presetNumber);
  CStrLocal name(current.presetName);
  EXPECT_STREQ("B", name.Get());
  CFRelease(current.presetName);
}

TEST(FactoryPresetsTest, ArrayHoldsTheOnlyReferenceToEachRecord) {
  TestPlugOptions options;
  options.nPresets = 2;
  OpenedPlug plug(options);
  CFArrayRef presets = nullptr;
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets));
  ASSERT_EQ(2, CFArrayGetCount(presets));
  const CFAUPreset* second = static_cast<const CFAUPreset*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(1, second->auPreset.presetNumber);
  EXPECT_EQ(1, second->retainCount);
  EXPECT_EQ(1, CFGetRetainCount(second->auPreset.presetName));
  CFStringRef description = CFAUPresetArrayCopyDescriptionCallBack(second);
  EXPECT_STREQ("AUPreset:\npreset number = 1\npreset name = B", CStrLocal(description).Get());
  CFRelease(description);
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(second, CFArrayGetValueAtIndex(presets, 0)));
  EXPECT_TRUE(CFAUPresetArrayEqualCallBack(second, second));
  CFRelease(presets);

  OpenedPlug none;
  ASSERT_EQ(noErr, none.Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets));
  EXPECT_EQ(0, CFArrayGetCount(presets));
  CFRelease(presets);
}

TEST(FactoryPresetsTest, RecordCountsAndNamesMoveTogether) {
  CFStrLocal name("Warm");
  CFAUPresetRef preset = CFAUPresetCreate(nullptr, 3, name.Get());
  ASSERT_NE(nullptr, preset);
  CFStringRef copy = preset->auPreset.presetName;
  ASSERT_NE(nullptr, copy);
  CFAUPresetRetain(preset);
  EXPECT_EQ(2, preset->retainCount);
  EXPECT_EQ(2, CFGetRetainCount(copy));
  CFAUPresetRelease(preset);
  EXPECT_EQ(1, CFGetRetainCount(copy));
  CFAUPresetRelease(preset);

  CFAUPresetRef unnamed = CFAUPresetCreate(nullptr, 0, nullptr);
  ASSERT_NE(nullptr, unnamed);
  unnamed->retainCount = 0;
  CFAUPresetRelease(unnamed);  // a count of 0 does nothing
  EXPECT_EQ(0, unnamed->retainCount);
  unnamed->retainCount = 1;
  CFAUPresetRelease(unnamed);
  CFAUPresetRelease(nullptr);
}

struct Transport {
  Float64 beat = 0, tempo = 0, samplePos = 0, cycleStart = 0, cycleEnd = 0, downBeat = 0;
  Float32 numerator = 0;
  UInt32 denominator = 0;
  Boolean playing = false, cycling = false;
};

OSStatus BeatAndTempo(void* data, Float64* beat, Float64* tempo) {
  const Transport* t = static_cast<Transport*>(data);
  *beat = t->beat;
  *tempo = t->tempo;
  return noErr;
}
OSStatus TimeLocation(void* data, UInt32*, Float32* numerator, UInt32* denominator, Float64* downBeat) {
  const Transport* t = static_cast<Transport*>(data);
  *numerator = t->numerator;
  *denominator = t->denominator;
  *downBeat = t->downBeat;
  return noErr;
}
OSStatus TransportState(void* data, Boolean* playing, Boolean*, Float64* samplePos, Boolean* cycling,
                        Float64* cycleStart, Float64* cycleEnd) {
  const Transport* t = static_cast<Transport*>(data);
  *playing = t->playing;
  *samplePos = t->samplePos;
  *cycling = t->cycling;
  *cycleStart = t->cycleStart;
  *cycleEnd = t->cycleEnd;
  return noErr;
}

TEST(TransportTest, QueriesGoThroughTheHostCallbacksAndKeepUnreportedFields) {
  OpenedPlug plug;
  EXPECT_EQ(120.0, plug->GetTempo());
  EXPECT_EQ(0, plug->GetSamplePos());
  int num = 3, denom = 8;
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(3, num);

  Transport t;
  t.tempo = 90.0;
  t.beat = 4.5;
  t.samplePos = 1000.6;
  t.numerator = 7.9f;
  t.denominator = 8;
  t.playing = true;
  HostCallbackInfo info = {&t, BeatAndTempo, TimeLocation, TransportState};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, plug.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Input, 0, info));
  ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, info));
  EXPECT_EQ(90.0, plug->GetTempo());
  EXPECT_EQ(1001, plug->GetSamplePos());
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(7, num);
  EXPECT_EQ(8, denom);
  t.tempo = 0.0;
  EXPECT_EQ(90.0, plug->GetTempo());

  ITimeInfo time;
  time.mCycleStart = 12.0;
  plug->GetTime(&time);
  EXPECT_EQ(0.0, time.mTempo);  // not above 0: left as it was
  EXPECT_EQ(4.5, time.mPPQPos);
  EXPECT_EQ(1000.6, time.mSamplePos);
  EXPECT_EQ(12.0, time.mCycleStart);
  EXPECT_TRUE(time.mTransportIsRunning);
  EXPECT_EQ(7, time.mNumerator);

  // A shorter record from an older host leaves the procedures it lacks unset.
  ASSERT_EQ(noErr, plug.SetProperty(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &info, 20));
  EXPECT_EQ(0, plug->GetSamplePos());
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(7, num);
  t.tempo = 60.0;
  EXPECT_EQ(60.0, plug->GetTempo());
}

}  // namespace
