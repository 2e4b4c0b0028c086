// The class-info dictionary through the platform: saving, restoring into another instance, and
// refusing dictionaries that are foreign, incomplete, mistyped or short.
#include <gtest/gtest.h>

#include <string>

#include "au/cf_text.h"
#include "au_test_support.h"
#include "korval_platform/host.h"

using namespace au_test;

namespace {

class StateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(noErr, KorvRegisterComponentBundle(KORV_AU_TEST_BUNDLE_DIR, nullptr));
    ComponentDescription desc = {kAudioUnitType_Effect, static_cast<OSType>(kTestAUUniqueID),
                                 static_cast<OSType>(kTestAUMfrID), 0, 0};
    Component component = FindNextComponent(nullptr, &desc);
    mUnit = OpenComponent(component);
    mOther = OpenComponent(component);
    ASSERT_TRUE(mUnit && mOther);
  }
  void TearDown() override {
    CloseComponent(mUnit);
    CloseComponent(mOther);
  }

  CFMutableDictionaryRef Save(AudioUnit unit) {
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof(state);
    EXPECT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size));
    return const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(state));
  }
  OSStatus Restore(AudioUnit unit, CFPropertyListRef state) {
    return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state));
  }
  Float32 Param(AudioUnit unit, UInt32 id) {
    Float32 value = -99.0f;
    AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value);
    return value;
  }
  void SetValue(CFMutableDictionaryRef dict, const char* key, CFTypeRef value) {
    CFStrLocal cfKey(key);
    CFDictionarySetValue(dict, cfKey.Get(), value);
    CFRelease(value);
  }
  SInt32 Number(CFDictionaryRef dict, const char* key) {
    CFStrLocal cfKey(key);
    SInt32 value = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, cfKey.Get())), kCFNumberSInt32Type, &value);
    return value;
  }

  AudioUnit mUnit = nullptr;
  AudioUnit mOther = nullptr;
};

TEST_F(StateTest, SavedDictionaryHoldsIdentityNameAndParameterChunk) {
  AudioUnitSetParameter(mUnit, kOut, kAudioUnitScope_Global, 0, -6.0f, 0);
  CFMutableDictionaryRef state = Save(mUnit);
  ASSERT_NE(nullptr, state);
  EXPECT_EQ(6, CFDictionaryGetCount(state));
  EXPECT_EQ(65536, Number(state, "version"));
  EXPECT_EQ(static_cast<SInt32>(kAudioUnitType_Effect), Number(state, "type"));
  EXPECT_EQ(kTestAUUniqueID, Number(state, "subtype"));
  EXPECT_EQ(kTestAUMfrID, Number(state, "manufacturer"));
  CFStrLocal nameKey("name"), dataKey("data");
  EXPECT_STREQ("", CStrLocal(static_cast<CFStringRef>(CFDictionaryGetValue(state, nameKey.Get()))).Get());
  CFDataRef data = static_cast<CFDataRef>(CFDictionaryGetValue(state, dataKey.Get()));
  ASSERT_EQ(static_cast<CFIndex>(kNumTestParams * sizeof(double)), CFDataGetLength(data));
  double out;
  std::memcpy(&out, CFDataGetBytePtr(data) + kOut * sizeof(double), sizeof(out));
  EXPECT_EQ(-6.0, out);
  CFRelease(state);
}

TEST_F(StateTest, RoundTripRestoresEveryParameterAndRedrawsTheEditor) {
  AudioUnitSetParameter(mUnit, kGain, kAudioUnitScope_Global, 0, 1.25f, 0);
  AudioUnitSetParameter(mUnit, kInvert, kAudioUnitScope_Global, 0, 1.0f, 0);
  AudioUnitSetParameter(mUnit, kOut, kAudioUnitScope_Global, 0, 12.0f, 0);
  CFMutableDictionaryRef state = Save(mUnit);
  EXPECT_EQ(noErr, Restore(mOther, state));
  for (UInt32 id = 0; id < kNumTestParams; ++id) EXPECT_EQ(Param(mUnit, id), Param(mOther, id)) << id;

  // Saving again gives the same bytes.
  CFMutableDictionaryRef again = Save(mOther);
  EXPECT_TRUE(CFEqual(state, again));
  CFRelease(again);
  CFRelease(state);
}

TEST_F(StateTest, RefusedDictionariesChangeNothing) {
  AudioUnitSetParameter(mUnit, kOut, kAudioUnitScope_Global, 0, 9.0f, 0);
  CFMutableDictionaryRef good = Save(mUnit);
  AudioUnitSetParameter(mOther, kOut, kAudioUnitScope_Global, 0, -4.0f, 0);
  AudioUnitSetParameter(mOther, kGain, kAudioUnitScope_Global, 0, 0.5f, 0);

  auto refused = [&](auto&& damage) {
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionaryApplyFunction(
        good, [](const void* k, const void* v, void* d) { CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(d), k, v); },
        copy);
    damage(copy);
    OSStatus status = Restore(mOther, copy);
    CFRelease(copy);
    EXPECT_FLOAT_EQ(-4.0f, Param(mOther, kOut));
    EXPECT_FLOAT_EQ(0.5f, Param(mOther, kGain));
    return status;
  };
  const SInt32 otherSubtype = 0x58585858;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, refused([&](CFMutableDictionaryRef d) {
              SetValue(d, "subtype", CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSubtype));
            }));
  for (const char* key : {"version", "type", "subtype", "manufacturer", "name", "data"}) {
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, refused([&](CFMutableDictionaryRef d) {
                CFStrLocal cfKey(key);
                CFDictionaryRemoveValue(d, cfKey.Get());
              })) << key;
  }
  // Values of the wrong kind.
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            refused([&](CFMutableDictionaryRef d) { SetValue(d, "type", MakeCFString("aufx")); }));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            refused([&](CFMutableDictionaryRef d) { SetValue(d, "name", CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSubtype)); }));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            refused([&](CFMutableDictionaryRef d) { SetValue(d, "data", MakeCFString("bytes")); }));
  // A chunk too short for the parameters: 16 bytes for four doubles.
  const UInt8 shortChunk[16] = {};
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            refused([&](CFMutableDictionaryRef d) { SetValue(d, "data", CFDataCreate(nullptr, shortChunk, 16)); }));

  // Not a dictionary at all, or nothing.
  CFStringRef notADict = MakeCFString("state");
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Restore(mOther, notADict));
  CFRelease(notADict);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Restore(mOther, nullptr));
  CFRelease(good);
}

TEST_F(StateTest, LongPresetNamesAreCutBeforeTheLookup) {
  CFMutableDictionaryRef state = Save(mUnit);
  SetValue(state, "name", MakeCFString(std::string(100, 'n').c_str()));
  EXPECT_EQ(noErr, Restore(mOther, state));
  CFRelease(state);
}

}  // namespace
