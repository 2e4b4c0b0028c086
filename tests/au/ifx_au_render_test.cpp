// Rendering: input pulls once per time stamp, scratch outputs, bypass, refusals, notifications
// and the allocation-free audio path.
#include <gtest/gtest.h>

#include "au_test_support.h"
#include "support/alloc_counter.h"

using namespace au_test;

namespace {

constexpr int kFrames = 64;

struct Source {
  int pulls = 0;
  float level = 0.5f;
  OSStatus status = noErr;
  bool leaveNull = false;
};

OSStatus FillInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                   AudioBufferList* ioData) {
  Source* source = static_cast<Source*>(refCon);
  ++source->pulls;
  if (source->status != noErr) return source->status;
  for (UInt32 b = 0; b < ioData->mNumberBuffers; ++b) {
    if (source->leaveNull) {
      ioData->mBuffers[b].mData = nullptr;
      continue;
    }
    float* samples = static_cast<float*>(ioData->mBuffers[b].mData);
    for (UInt32 i = 0; i < nFrames; ++i) samples[i] = source->level * static_cast<float>(b + 1);
  }
  return noErr;
}

std::vector<std::string> s_events;

OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp*, UInt32, UInt32,
                AudioBufferList*) {
  const char* name = static_cast<const char*>(refCon);
  s_events.push_back(std::string(name) + (*ioActionFlags == kAudioUnitRenderAction_PreRender ? ":pre" : ":post"));
  return noErr;
}

OSStatus RecordingInput(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus,
                        UInt32 nFrames, AudioBufferList* ioData) {
  s_events.push_back("pull");
  return FillInput(refCon, flags, ts, bus, nFrames, ioData);
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s_events.clear();
    Connect(FillInput);
    mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(2));
    mPlug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, MakeFormat(2));
    ASSERT_EQ(noErr, Call(mPlug.Get(), kAudioUnitInitializeSelect, {}));
  }
  void Connect(AURenderCallback proc) {
    AURenderCallbackStruct callback = {proc, &mSource};
    ASSERT_EQ(noErr, mPlug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback));
  }
  OSStatus Render(Float64 sampleTime, HostBuffers& out, UInt32 nFrames = kFrames, UInt32 bus = 0) {
    AudioTimeStamp stamp = MakeTimeStamp(sampleTime);
    AudioUnitRenderActionFlags flags = 0;
    return IFxAU::RenderProc(mPlug.Get(), &flags, &stamp, bus, nFrames, out.List());
  }
  OSStatus RenderThroughEntry(Float64 sampleTime, HostBuffers& out, UInt32 nFrames = kFrames) {
    AudioTimeStamp stamp = MakeTimeStamp(sampleTime);
    AudioUnitRenderActionFlags flags = 0;
    return Call(mPlug.Get(), kAudioUnitRenderSelect, {Word(&flags), Word(&stamp), Word(0u), Word(nFrames), Word(out.List())});
  }

  Source mSource;
  OpenedPlug mPlug;
};

TEST_F(RenderTest, CallbackInputLandsInScratchAndIsProcessed) {
  const IFxAU::InputBusConnection* pConn = mPlug->GetInputConnection(0);
  EXPECT_EQ(IFxAU::eRenderCallback, pConn->mInputType);
  IFxAU::SetParamProc(mPlug.Get(), kGain, kAudioUnitScope_Global, 0, 2.0f, 0);
  HostBuffers out(2, kFrames);
  ASSERT_EQ(noErr, RenderThroughEntry(0, out));
  EXPECT_EQ(1, mSource.pulls);
  EXPECT_FLOAT_EQ(0.5f, mPlug->GetInputScratch()[0]);
  EXPECT_FLOAT_EQ(1.0f, mPlug->GetInputScratch()[kFrames]);
  EXPECT_FLOAT_EQ(1.0f, out.Channel(0)[kFrames - 1]);
  EXPECT_FLOAT_EQ(2.0f, out.Channel(1)[0]);
}

TEST_F(RenderTest, InputsArePulledOncePerTimeStamp) {
  HostBuffers out(2, kFrames);
  ASSERT_EQ(noErr, Render(100, out));
  ASSERT_EQ(noErr, Render(100, out));
  EXPECT_EQ(1, mSource.pulls);
  ASSERT_EQ(noErr, Render(164, out));
  EXPECT_EQ(2, mSource.pulls);
}

TEST_F(RenderTest, NullOutputBuffersAreServedFromScratch) {
  HostBuffers out(2, kFrames, false);
  ASSERT_EQ(noErr, Render(0, out));
  ASSERT_NE(nullptr, out.Channel(0));
  ASSERT_NE(nullptr, out.Channel(1));
  EXPECT_NE(out.Channel(0), out.Channel(1));
  EXPECT_EQ(kFrames * sizeof(float), out.List()->mBuffers[1].mDataByteSize);
  EXPECT_FLOAT_EQ(0.5f, out.Channel(0)[10]);
  EXPECT_FLOAT_EQ(1.0f, out.Channel(1)[10]);
}

TEST_F(RenderTest, BypassCopiesInputWithoutProcessing) {
  IFxAU::SetParamProc(mPlug.Get(), kGain, kAudioUnitScope_Global, 0, 0.0f, 0);
  ASSERT_EQ(noErr, mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 1u));
  HostBuffers out(2, kFrames);
  ASSERT_EQ(noErr, Render(0, out));
  EXPECT_EQ(0, mPlug->mProcessCalls.load());
  EXPECT_FLOAT_EQ(0.5f, out.Channel(0)[3]);
  EXPECT_FLOAT_EQ(1.0f, out.Channel(1)[3]);
}

TEST_F(RenderTest, RefusesFramesAboveTheMaximumAndMalformedCalls) {
  ASSERT_EQ(noErr, mPlug.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, 256u));
  HostBuffers out(2, 257);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(0, out, 257));
  EXPECT_EQ(0, mSource.pulls);
  EXPECT_EQ(noErr, Render(0, out, 256));

  AudioTimeStamp stamp = MakeTimeStamp(0);
  stamp.mFlags = kAudioTimeStampHostTimeValid;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, IFxAU::RenderProc(mPlug.Get(), nullptr, &stamp, 0, 16, out.List()));
  stamp = MakeTimeStamp(0);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, IFxAU::RenderProc(mPlug.Get(), nullptr, &stamp, 1, 16, out.List()));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, IFxAU::RenderProc(mPlug.Get(), nullptr, nullptr, 0, 16, out.List()));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, IFxAU::RenderProc(mPlug.Get(), nullptr, &stamp, 0, 16, nullptr));
  // A host buffer shorter than the frame count would be overrun.
  HostBuffers shortOut(2, 8);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(512, shortOut, 16));
}

TEST_F(RenderTest, RenderOutsideInitializationIsRefused) {
  HostBuffers out(2, kFrames);
  ASSERT_EQ(noErr, Call(mPlug.Get(), kAudioUnitUninitializeSelect, {}));
  EXPECT_EQ(kAudioUnitErr_Uninitialized, Render(0, out));
  EXPECT_EQ(kAudioUnitErr_Uninitialized, RenderThroughEntry(64, out));
  EXPECT_EQ(0, mSource.pulls);
  EXPECT_EQ(0, mPlug->mProcessCalls.load());
  ASSERT_EQ(noErr, Call(mPlug.Get(), kAudioUnitInitializeSelect, {}));
  EXPECT_EQ(noErr, Render(128, out));

  OpenedPlug neverInitialized;
  AudioTimeStamp stamp = MakeTimeStamp(0);
  EXPECT_EQ(kAudioUnitErr_Uninitialized, IFxAU::RenderProc(neverInitialized.Get(), nullptr, &stamp, 0, kFrames, out.List()));
}

TEST_F(RenderTest, ExtraHostBuffersAreSilencedAndNeverIndexPastTheBus) {
  HostBuffers out(4, kFrames);
  out.Channel(3)[0] = 7.0f;
  EXPECT_EQ(noErr, Render(0, out));
  EXPECT_FLOAT_EQ(0.5f, out.Channel(0)[0]);
  EXPECT_FLOAT_EQ(0.0f, out.Channel(3)[0]);
}

TEST_F(RenderTest, UpstreamFailureEndsTheRenderAndIsReturned) {
  mSource.status = kAudioUnitErr_NoConnection;
  AURenderCallbackStruct notify = {Notify, const_cast<char*>("n")};
  Call(mPlug.Get(), kAudioUnitAddRenderNotifySelect, {ProcWord(notify.inputProc), Word(notify.inputProcRefCon)});
  HostBuffers out(2, kFrames);
  EXPECT_EQ(kAudioUnitErr_NoConnection, Render(0, out));
  EXPECT_EQ(std::vector<std::string>({"n:pre"}), s_events);
  EXPECT_EQ(0, mPlug->mProcessCalls.load());
  // The failed time stamp was not recorded: rendering it again pulls again.
  mSource.status = noErr;
  EXPECT_EQ(noErr, Render(0, out));
  EXPECT_EQ(2, mSource.pulls);
}

TEST_F(RenderTest, UpstreamWithoutBuffersIsHeardAsSilence) {
  mSource.leaveNull = true;
  HostBuffers out(2, kFrames);
  out.Channel(0)[0] = 3.0f;
  EXPECT_EQ(noErr, Render(0, out));
  EXPECT_FLOAT_EQ(0.0f, out.Channel(0)[0]);
}

TEST_F(RenderTest, NotificationsWrapThePullInRegistrationOrder) {
  Connect(RecordingInput);
  auto add = [&](const char* name) {
    return Call(mPlug.Get(), kAudioUnitAddRenderNotifySelect, {ProcWord(Notify), Word(name)});
  };
  add("a");
  add("b");
  HostBuffers out(2, kFrames);
  ASSERT_EQ(noErr, Render(0, out));
  EXPECT_EQ(std::vector<std::string>({"a:pre", "b:pre", "pull", "a:post", "b:post"}), s_events);
  // One remove deletes only the first registration of the procedure.
  Call(mPlug.Get(), kAudioUnitRemoveRenderNotifySelect, {ProcWord(Notify), Word(nullptr)});
  s_events.clear();
  ASSERT_EQ(noErr, Render(64, out));
  EXPECT_EQ(std::vector<std::string>({"b:pre", "pull", "b:post"}), s_events);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            Call(mPlug.Get(), kAudioUnitAddRenderNotifySelect, {Word(nullptr), Word(nullptr)}));
}

TEST_F(RenderTest, FastRenderPathAllocatesNothing) {
  HostBuffers out(2, kFrames);
  HostBuffers scratchOut(2, kFrames, false);
  Call(mPlug.Get(), kAudioUnitAddRenderNotifySelect, {ProcWord(Notify), Word("a")});
  s_events.reserve(64);
  ASSERT_EQ(noErr, Render(0, out));
  korv_test::AllocationScope scope;
  for (int block = 1; block <= 8; ++block) {
    ASSERT_EQ(noErr, Render(block * kFrames, out));
    AudioBufferList* list = scratchOut.List();
    list->mBuffers[0].mData = list->mBuffers[1].mData = nullptr;
    ASSERT_EQ(noErr, Render(block * kFrames, scratchOut));
  }
  EXPECT_EQ(0, scope.Count());
  EXPECT_EQ(9, mSource.pulls);
}

TEST(RenderFormatTest, FormatsAreCheckedForKindCountAndLegality) {
  OpenedPlug plug;
  AudioStreamBasicDescription format = MakeFormat(2);
  format.mFormatID = 0x696E7420;  // 'int '
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, format));
  AudioStreamBasicDescription reported;
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &reported));
  EXPECT_EQ(0u, reported.mChannelsPerFrame);
  EXPECT_EQ(0x29u, reported.mFormatFlags);
  EXPECT_EQ(4u, reported.mBytesPerFrame);

  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(3)));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(0)));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, MakeFormat(2)));
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(1, 22050.0)));
  EXPECT_EQ(22050.0, plug->GetSampleRate());
  // A refused format does not apply its sample rate.
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, MakeFormat(5, 96000.0)));
  EXPECT_EQ(22050.0, plug->GetSampleRate());
  // Global scope addresses the output bus.
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, MakeFormat(1)));
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &reported));
  EXPECT_EQ(1u, reported.mChannelsPerFrame);
}

TEST(RenderFormatTest, ConnectingWithoutAFormatAssumesThePlugInChannels) {
  OpenedPlug plug;
  Source source;
  AURenderCallbackStruct callback = {FillInput, &source};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, plug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0, callback));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, plug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, callback));
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback));
  EXPECT_EQ(2, plug->GetBus(kAudioUnitScope_Input, 0)->mHostChannelCount);
  EXPECT_TRUE(plug->IsInChannelConnected(1));
  callback.inputProc = nullptr;
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback));
  EXPECT_FALSE(plug->GetBus(kAudioUnitScope_Input, 0)->mIsConnected);
  EXPECT_FALSE(plug->IsInChannelConnected(0));
}

TEST(RenderSideChainTest, HostChannelsBeyondThePlugInChannelsAreRefusedAtRender) {
  TestPlugOptions options;
  options.channelIO = "3-2";
  options.nSideChain = 1;
  OpenedPlug plug(options);
  // Uninitialised, 3 channels on the two-channel main bus passes the configuration check.
  ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, MakeFormat(3)));
  Source source;
  AURenderCallbackStruct callback = {FillInput, &source};
  ASSERT_EQ(noErr, plug.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, callback));
  ASSERT_EQ(noErr, Call(plug.Get(), kAudioUnitInitializeSelect, {}));
  HostBuffers out(2, kFrames);
  AudioTimeStamp stamp = MakeTimeStamp(0);
  EXPECT_EQ(kAudioUnitErr_FormatNotSupported, IFxAU::RenderProc(plug.Get(), nullptr, &stamp, 0, kFrames, out.List()));
  EXPECT_EQ(0, source.pulls);
  CFStringRef name = nullptr;
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name));
  CFRelease(name);
}

}  // namespace

namespace {

TEST(RenderFormatTest, MoreChannelsOnABusThanAPullCanCarryAreRefused) {
  TestPlugOptions options;
  options.channelIO = "129-129 128-128";
  OpenedPlug plug(options);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(129)));
  EXPECT_EQ(noErr, plug.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, MakeFormat(128)));
}

}  // namespace
