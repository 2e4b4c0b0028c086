// The test plug-in loaded from its bundle and driven only through the platform's component calls,
// as a host would: lifecycle, properties, and chains of units connected upstream.
#include <gtest/gtest.h>

#include "au_test_support.h"
#include "korval_platform/host.h"

using namespace au_test;

namespace {

AudioUnit OpenUnit(OSType subtype) {
  static const OSStatus registered = KorvRegisterComponentBundle(KORV_AU_TEST_BUNDLE_DIR, nullptr);
  EXPECT_EQ(noErr, registered);
  ComponentDescription desc = {kAudioUnitType_Effect, subtype, static_cast<OSType>(kTestAUMfrID), 0, 0};
  Component component = FindNextComponent(nullptr, &desc);
  EXPECT_NE(nullptr, component);
  return component ? OpenComponent(component) : nullptr;
}

constexpr OSType kSubtype = kTestAUUniqueID;
constexpr OSType kNoFastSubtype = 0x5473744E;  // 'TstN'
constexpr UInt32 kFrames = 128;

OSStatus Ramp(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
              AudioBufferList* ioData) {
  for (UInt32 b = 0; b < ioData->mNumberBuffers; ++b) {
    float* samples = static_cast<float*>(ioData->mBuffers[b].mData);
    for (UInt32 i = 0; i < nFrames; ++i) samples[i] = static_cast<float>(ts->mSampleTime + i) * 0.001f;
  }
  return noErr;
}

void Prepare(AudioUnit unit, Float32 gain) {
  AudioStreamBasicDescription format = MakeFormat(2);
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format,
                                        sizeof(format)));
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                        sizeof(format)));
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, kAudioUnitScope_Global, 0, gain, 0));
}

TEST(ComponentTest, OpensAnswersAndClosesThroughThePlatform) {
  AudioUnit unit = OpenUnit(kSubtype);
  ASSERT_NE(nullptr, unit);
  EXPECT_EQ(65536, GetComponentVersion(unit));
  EXPECT_EQ(1, CallComponentCanDo(unit, kAudioUnitRenderSelect));
  EXPECT_EQ(0, CallComponentCanDo(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect));
  UInt32 size = 0;
  Boolean writable = false;
  EXPECT_EQ(noErr, AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &size, &writable));
  EXPECT_EQ(8u, size);
  EXPECT_TRUE(writable);
  Float32 value = 0;
  EXPECT_EQ(noErr, AudioUnitSetParameter(unit, kOut, kAudioUnitScope_Global, 0, -3.0f, 0));
  EXPECT_EQ(noErr, AudioUnitGetParameter(unit, kOut, kAudioUnitScope_Global, 0, &value));
  EXPECT_FLOAT_EQ(-3.0f, value);
  EXPECT_NE(nullptr, GetComponentInstanceStorage(unit));
  EXPECT_EQ(noErr, CloseComponent(unit));
}

class ChainTest : public ::testing::TestWithParam<OSType> {};

TEST_P(ChainTest, DownstreamUnitPullsItsUpstreamOncePerTimeStamp) {
  AudioUnit upstream = OpenUnit(GetParam());
  AudioUnit downstream = OpenUnit(kSubtype);
  ASSERT_TRUE(upstream && downstream);
  Prepare(upstream, 2.0f);
  AURenderCallbackStruct callback = {Ramp, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(upstream, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                        &callback, sizeof(callback)));
  AudioUnitConnection connection = {upstream, 0, 0};
  ASSERT_EQ(noErr, AudioUnitSetProperty(downstream, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                        &connection, sizeof(connection)));
  Prepare(downstream, 1.5f);
  auto* pDown = reinterpret_cast<IFxAU*>(GetComponentInstanceStorage(downstream));
  EXPECT_EQ(GetParam() == kSubtype ? IFxAU::eDirectFastProc : IFxAU::eDirectNoFastProc,
            pDown->GetInputConnection(0)->mInputType);

  AudioUnitRenderProc render = nullptr;
  UInt32 size = sizeof(render);
  ASSERT_EQ(noErr, AudioUnitGetProperty(downstream, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                        kAudioUnitRenderSelect, &render, &size));
  HostBuffers out(2, kFrames);
  AudioTimeStamp stamp = MakeTimeStamp(1000);
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(noErr, render(pDown, &flags, &stamp, 0, kFrames, out.List()));
  EXPECT_FLOAT_EQ(1.0f * 2.0f * 1.5f, out.Channel(0)[0]);
  EXPECT_FLOAT_EQ(1.127f * 3.0f, out.Channel(1)[127]);

  // Disconnecting with a null source leaves the input silent.
  connection.sourceAudioUnit = nullptr;
  ASSERT_EQ(noErr, AudioUnitSetProperty(downstream, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                        &connection, sizeof(connection)));
  EXPECT_EQ(IFxAU::eNotConnected, pDown->GetInputConnection(0)->mInputType);
  stamp.mSampleTime += kFrames;
  ASSERT_EQ(noErr, AudioUnitRender(downstream, &flags, &stamp, 0, kFrames, out.List()));
  EXPECT_FLOAT_EQ(0.0f, out.Channel(0)[5]);
  CloseComponent(downstream);
  CloseComponent(upstream);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutFastRender, ChainTest, ::testing::Values(kSubtype, kNoFastSubtype));

TEST(ComponentTest, ConnectionsAreRefusedForBadTargetsAndUnreadableSources) {
  AudioUnit unit = OpenUnit(kSubtype);
  ASSERT_NE(nullptr, unit);
  AudioUnitConnection connection = {unit, 0, 1};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitSetProperty(unit, kAudioUnitProperty_MakeConnection,
                                                                kAudioUnitScope_Input, 0, &connection, sizeof(connection)));
  connection.destInputNumber = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitSetProperty(unit, kAudioUnitProperty_MakeConnection,
                                                                kAudioUnitScope_Output, 0, &connection, sizeof(connection)));
  // A source whose output format cannot be read leaves the input disconnected.
  connection.sourceOutputNumber = 5;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitSetProperty(unit, kAudioUnitProperty_MakeConnection,
                                                                kAudioUnitScope_Input, 0, &connection, sizeof(connection)));
  auto* pPlug = reinterpret_cast<IFxAU*>(GetComponentInstanceStorage(unit));
  EXPECT_EQ(IFxAU::eNotConnected, pPlug->GetInputConnection(0)->mInputType);
  CloseComponent(unit);
}

}  // namespace
