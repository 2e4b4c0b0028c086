// Property queries and changes that could hide real faults: parameter descriptions, names and
// texts, clumps, bus names, sizes and scopes, and the refusals of malformed host data.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "au/cf_text.h"
#include "au_test_support.h"

using namespace au_test;

namespace {

std::string Text(CFStringRef string) {
  CStrLocal text(string);
  return text.Get();
}

class PropertiesTest : public ::testing::Test {
 protected:
  AudioUnitParameterInfo Info(UInt32 paramID) {
    AudioUnitParameterInfo info;
    EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, paramID, &info));
    if (info.cfNameString) CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
    return info;
  }
  OSStatus IDName(UInt32 paramID, SInt32 desiredLength, std::string* pName) {
    AudioUnitParameterIDName request = {paramID, desiredLength, nullptr};
    OSStatus status = mPlug.Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, &request);
    if (request.outName) {
      *pName = Text(request.outName);
      CFRelease(request.outName);
    }
    return status;
  }
  OSStatus ClumpName(UInt32 clumpID, std::string* pName) {
    AudioUnitParameterNameInfo request = {clumpID, kAudioUnitParameterName_Full, nullptr};
    OSStatus status = mPlug.Get(kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, &request);
    if (request.outName) {
      *pName = Text(request.outName);
      CFRelease(request.outName);
    }
    return status;
  }
  OSStatus ValueFromString(UInt32 paramID, const char* text, Float32* pValue) {
    CFStrLocal string(text);
    AudioUnitParameterValueFromString request = {paramID, text ? string.Get() : nullptr, *pValue};
    OSStatus status = mPlug.Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &request);
    *pValue = request.outValue;
    return status;
  }

  OpenedPlug mPlug;
};

TEST_F(PropertiesTest, ParameterListDependsOnScope) {
  UInt32 size = 99;
  Boolean writable = true;
  EXPECT_EQ(noErr, mPlug.GetPropertyInfo(kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0, &size, &writable));
  EXPECT_EQ(0u, size);
  EXPECT_FALSE(writable);
  AudioUnitParameterID ids[kNumTestParams] = {};
  size = sizeof(ids);
  EXPECT_EQ(noErr, mPlug.GetProperty(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, &size));
  EXPECT_EQ(sizeof(ids), size);
  for (UInt32 i = 0; i < kNumTestParams; ++i) EXPECT_EQ(i, ids[i]);
  // A buffer for three IDs is refused rather than overrun.
  size = 3 * sizeof(AudioUnitParameterID);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.GetProperty(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, &size));
}

TEST_F(PropertiesTest, ParameterInfoDescribesKindRangeAndCurrentValue) {
  IFxAU::SetParamProc(mPlug.Get(), kOut, kAudioUnitScope_Global, 0, 4.5f, 0);
  AudioUnitParameterInfo out = Info(kOut);
  EXPECT_EQ(0xC8000010u, out.flags);
  EXPECT_EQ(kAudioUnitParameterUnit_Generic, out.unit);
  EXPECT_FLOAT_EQ(-15.0f, out.minValue);
  EXPECT_FLOAT_EQ(15.0f, out.maxValue);
  EXPECT_FLOAT_EQ(4.5f, out.defaultValue);
  EXPECT_STREQ("Out", out.name);
  EXPECT_EQ(0u, out.clumpID);

  AudioUnitParameterInfo gain;
  ASSERT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, kGain, &gain));
  EXPECT_EQ(kAudioUnitParameterUnit_CustomUnit, gain.unit);
  EXPECT_EQ("x", Text(gain.unitName));
  EXPECT_EQ("Gain", Text(gain.cfNameString));
  CFRelease(gain.unitName);
  CFRelease(gain.cfNameString);

  EXPECT_EQ(kAudioUnitParameterUnit_Boolean, Info(kInvert).unit);

  AudioUnitParameterInfo info;
  EXPECT_EQ(kAudioUnitErr_InvalidElement,
            mPlug.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, kNumTestParams, &info));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, mPlug.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Input, 0, &info));
}

TEST_F(PropertiesTest, ClumpsAreNumberedInTheOrderGroupsAreFirstAskedAbout) {
  EXPECT_EQ(1u, Info(kGain).clumpID);        // "Main"
  EXPECT_EQ(2u, Info(kInvert).clumpID);      // "Flags"
  EXPECT_EQ(1u, Info(kSaturation).clumpID);  // "Main" again
  EXPECT_EQ(1u, Info(kGain).clumpID);
  EXPECT_TRUE(Info(kGain).flags & kAudioUnitParameterFlag_HasClump);
  std::string name;
  EXPECT_EQ(noErr, ClumpName(2, &name));
  EXPECT_EQ("Flags", name);
  EXPECT_EQ(kAudioUnitErr_PropertyNotInUse, ClumpName(0, &name));
  EXPECT_EQ(kAudioUnitErr_PropertyNotInUse, ClumpName(3, &name));
}

TEST_F(PropertiesTest, ValueStringsOnlyForParametersWithTexts) {
  CFArrayRef texts = nullptr;
  ASSERT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, kInvert, &texts));
  ASSERT_EQ(2, CFArrayGetCount(texts));
  EXPECT_EQ("off", Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 0))));
  EXPECT_EQ("on", Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 1))));
  CFRelease(texts);
  UInt32 size = 8;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            mPlug.GetPropertyInfo(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, kOut, &size, nullptr));
  EXPECT_EQ(0u, size);
  EXPECT_EQ(kAudioUnitErr_InvalidElement,
            mPlug.GetPropertyInfo(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, 9, &size, nullptr));
}

TEST_F(PropertiesTest, ParameterNamesAreCutToTheDesiredLength) {
  std::string name;
  EXPECT_EQ(noErr, IDName(kOut, 4, &name));
  EXPECT_EQ("Out", name);
  EXPECT_EQ(noErr, IDName(kSaturation, 4, &name));
  EXPECT_EQ("Satu", name);
  EXPECT_EQ(noErr, IDName(kSaturation, kAudioUnitParameterName_Full, &name));
  EXPECT_EQ("Saturation", name);
  EXPECT_EQ(noErr, IDName(kSaturation, 1000, &name));
  EXPECT_EQ("Saturation", name);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, IDName(kSaturation, -2, &name));
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, IDName(kNumTestParams, 4, &name));
}

TEST_F(PropertiesTest, TextToValueReadsNumbersAndDisplayTexts) {
  Float32 value = 99.0f;
  EXPECT_EQ(noErr, ValueFromString(kOut, "-6.5", &value));
  EXPECT_FLOAT_EQ(-6.5f, value);
  EXPECT_EQ(noErr, ValueFromString(kOut, "loud", &value));
  EXPECT_FLOAT_EQ(0.0f, value);
  EXPECT_EQ(noErr, ValueFromString(kInvert, "on", &value));
  EXPECT_FLOAT_EQ(1.0f, value);
  value = 42.0f;
  EXPECT_EQ(noErr, ValueFromString(kInvert, "maybe", &value));
  EXPECT_FLOAT_EQ(42.0f, value);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, ValueFromString(kOut, nullptr, &value));
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, ValueFromString(77, "1", &value));
}

TEST_F(PropertiesTest, ValueToTextFitsEvenTheWidestNumber) {
  Float32 value = 3.0e38f;
  AudioUnitParameterStringFromValue request = {kOut, &value, nullptr};
  ASSERT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request));
  EXPECT_EQ(43u, Text(request.outString).size());
  CFRelease(request.outString);
  value = 1.0f;
  request = {kInvert, &value, nullptr};
  ASSERT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request));
  EXPECT_EQ("on", Text(request.outString));
  CFRelease(request.outString);
  request = {kInvert, nullptr, nullptr};
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request));
  request = {kNumTestParams, &value, nullptr};
  EXPECT_EQ(kAudioUnitErr_InvalidParameter,
            mPlug.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &request));
  // Other scopes only report the size.
  request = {kInvert, &value, nullptr};
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Input, 0, &request));
  EXPECT_EQ(nullptr, request.outString);
}

TEST_F(PropertiesTest, BusNamesNeedDataAndAnExistingLabel) {
  UInt32 size = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            mPlug.GetPropertyInfo(kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &size, nullptr));
  CFStringRef name = nullptr;
  ASSERT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 1, &name));
  EXPECT_EQ("aux input", Text(name));
  CFRelease(name);
  ASSERT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, &name));
  EXPECT_EQ("output", Text(name));
  CFRelease(name);
  EXPECT_EQ(kAudioUnitErr_InvalidElement, mPlug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 2, &name));
  EXPECT_EQ(kAudioUnitErr_InvalidElement, mPlug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 1, &name));
  EXPECT_EQ(kAudioUnitErr_InvalidScope, mPlug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Global, 0, &name));
}

TEST_F(PropertiesTest, ShortOrMissingHostBuffersAreRefusedUntouched) {
  Float64 rate = 0.0;
  UInt32 size = 4;
  unsigned char guard[8];
  std::memset(guard, 0xAB, sizeof(guard));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.GetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, guard, &size));
  EXPECT_EQ(0xAB, guard[4]);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.GetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, nullptr));
  // Property info tolerates missing out pointers.
  EXPECT_EQ(noErr, mPlug.GetPropertyInfo(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, nullptr, nullptr));

  rate = 96000.0;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.SetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, 4));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, nullptr, 40));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, nullptr, 8));
  for (Float64 bad : {0.0, -44100.0, std::nan(""), 1000.0, 7999.0, 768001.0, 1e300, HUGE_VAL})
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, mPlug.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, bad))
        << bad;
  EXPECT_DOUBLE_EQ(44100.0, mPlug->GetSampleRate());
  for (UInt32 bad : {0u, IFxAU::kMaxFramesPerSliceLimit + 1})
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
              mPlug.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, bad))
        << bad;
  EXPECT_EQ(1024, mPlug->GetBlockSize());
}

TEST_F(PropertiesTest, TimingPropertiesAndTheirSetters) {
  Float64 seconds = -1.0;
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds));
  EXPECT_EQ(0.0, seconds);
  UInt32 size = 0;
  Boolean writable = true;
  EXPECT_EQ(noErr, mPlug.GetPropertyInfo(kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &size, &writable));
  EXPECT_FALSE(writable);
  EXPECT_EQ(8u, size);

  const int resets = mPlug->mResets;
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 3, 48000.0));
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, 512u));
  EXPECT_EQ(resets + 2, mPlug->mResets);
  UInt32 maxFrames = 0;
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames));
  EXPECT_EQ(512u, maxFrames);
  Float64 rate = 0;
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 0, &rate));
  EXPECT_EQ(48000.0, rate);
}

TEST_F(PropertiesTest, BypassDeactivatesResetsAndReportsBack) {
  const int resets = mPlug->mResets;
  mPlug->mActivations.clear();
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 1u));
  EXPECT_EQ(std::vector<bool>({false}), mPlug->mActivations);
  EXPECT_EQ(resets + 1, mPlug->mResets);
  UInt32 bypass = 0;
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypass));
  EXPECT_EQ(1u, bypass);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, mPlug.Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Input, 0, &bypass));
}

TEST_F(PropertiesTest, HostIdentifierPacksTheVersion) {
  CFStrLocal name("Some Host");
  AUHostIdentifier id = {name.Get(), {0, 0, 0x21, 5}};
  const int identified = mPlug->mHostIdentified;
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, id));
  EXPECT_EQ(0x50201, mPlug->GetHostVersion(false));
  EXPECT_EQ(identified + 1, mPlug->mHostIdentified);
  id.hostName = nullptr;
  EXPECT_EQ(noErr, mPlug.Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, id));
}

TEST_F(PropertiesTest, FastDispatchHandsOutTheThreeProcedures) {
  void* proc = nullptr;
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &proc));
  EXPECT_EQ(reinterpret_cast<void*>(&IFxAU::RenderProc), proc);
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitGetParameterSelect, &proc));
  EXPECT_EQ(reinterpret_cast<void*>(&IFxAU::GetParamProc), proc);
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitSetParameterSelect, &proc));
  EXPECT_EQ(reinterpret_cast<void*>(&IFxAU::SetParamProc), proc);
  proc = nullptr;
  EXPECT_EQ(kAudioUnitErr_InvalidElement,
            mPlug.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitResetSelect, &proc));
  EXPECT_EQ(nullptr, proc);
}

TEST_F(PropertiesTest, CountsChannelsAndUnsupportedRows) {
  UInt32 count = 0;
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(noErr, mPlug.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Group, 0, &count));
  EXPECT_EQ(0u, count);
  AUChannelInfo channels[2] = {};
  UInt32 size = sizeof(channels);
  EXPECT_EQ(noErr, mPlug.GetProperty(kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, channels, &size));
  EXPECT_EQ(1, channels[0].inChannels);
  EXPECT_EQ(2, channels[1].outChannels);
  UInt32 data = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            mPlug.Get(kAudioUnitProperty_AudioChannelLayout, kAudioUnitScope_Global, 0, &data));
  for (AudioUnitPropertyID id : {6u, 15u, 18u, 25u, 29u, 31u, 32u, 37u, 40u, 1000u, 77u})
    EXPECT_EQ(kAudioUnitErr_InvalidProperty, mPlug.Get(id, kAudioUnitScope_Global, 0, &data)) << id;
}

TEST(InstrumentPropertiesTest, InstrumentOutputsComeInStereoBusesWithLayoutTags) {
  TestPlugOptions options;
  options.channelIO = "0-5";
  options.isInstrument = true;
  OpenedPlug plug(options);
  UInt32 count = 0;
  EXPECT_EQ(noErr, plug.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &count));
  EXPECT_EQ(3u, count);
  EXPECT_EQ(noErr, plug.Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &count));
  EXPECT_EQ(0u, count);
  AudioChannelLayoutTag tag = 0;
  EXPECT_EQ(noErr, plug.Get(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 1, &tag));
  EXPECT_EQ(kAudioChannelLayoutTag_Stereo, tag);
  EXPECT_EQ(noErr, plug.Get(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 2, &tag));
  EXPECT_EQ(kAudioChannelLayoutTag_Mono, tag);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.Get(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Input, 0, &tag));
  CFStringRef name = nullptr;
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 2, &name));
  EXPECT_EQ("output 3", Text(name));
  CFRelease(name);
  EXPECT_EQ(noErr, plug.Get(kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, &count));
  EXPECT_EQ(1u, count);
}

}  // namespace
