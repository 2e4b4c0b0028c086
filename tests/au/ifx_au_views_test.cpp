// The editor view properties and the Carbon view entry of the binding, on systems of different
// versions: this program stands in for the system's version query.
#include <gtest/gtest.h>

#include <ApplicationServices/ApplicationServices.h>
#include <korval_platform/host.h>

#include "au/cf_text.h"
#include "au_test_support.h"

namespace {
SInt32 s_systemVersion = kKorvReportedSystemVersion;
bool s_versionQueryFails = false;
}  // namespace

OSErr Gestalt(OSType selector, SInt32* response) {
  if (selector != gestaltSystemVersion || s_versionQueryFails) return gestaltUndefSelectorErr;
  *response = s_systemVersion;
  return noErr;
}

using namespace au_test;

namespace {

class ViewPropertiesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(noErr, KorvRegisterComponentBundle(KORV_AU_TEST_BUNDLE_DIR, nullptr)); }
  void TearDown() override {
    s_systemVersion = kKorvReportedSystemVersion;
    s_versionQueryFails = false;
  }
  static TestPlugOptions WithEditor() {
    TestPlugOptions options;
    options.withEditor = true;
    return options;
  }
};

TEST_F(ViewPropertiesTest, CocoaViewNamesTheBundleAndTheFactoryClass) {
  OpenedPlug plug(WithEditor());
  s_systemVersion = 0x1090;
  UInt32 size = 0;
  Boolean writable = true;
  ASSERT_EQ(noErr, plug.GetPropertyInfo(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable));
  EXPECT_EQ(16u, size);
  EXPECT_FALSE(writable);
  AudioUnitCocoaViewInfo info = {};
  ASSERT_EQ(noErr, plug.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info));
  CFStringRef path = CFURLCopyFileSystemPath(info.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle);
  EXPECT_STREQ(KORV_AU_TEST_BUNDLE_DIR, CStrLocal(path).Get());
  EXPECT_STREQ("TestAUPlug_View", CStrLocal(info.mCocoaAUViewClass[0]).Get());
  CFRelease(path);
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
}

TEST_F(ViewPropertiesTest, NoCocoaViewBefore10_5WithoutAVersionOrWithoutAnEditor) {
  OpenedPlug withEditor(WithEditor());
  OpenedPlug withoutEditor;
  AudioUnitCocoaViewInfo info = {};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, withoutEditor.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info));
  s_systemVersion = 0x1049;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, withEditor.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info));
  s_systemVersion = 0x1050;
  UInt32 tooSmall = 8;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue,
            withEditor.GetProperty(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &tooSmall));
  s_versionQueryFails = true;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, withEditor.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info));
  EXPECT_EQ(nullptr, info.mCocoaAUViewBundleLocation);
}

TEST_F(ViewPropertiesTest, UIComponentListDescribesTheCarbonViewComponent) {
  OpenedPlug withEditor(WithEditor());
  OpenedPlug withoutEditor;
  ComponentDescription desc = {};
  ASSERT_EQ(noErr, withEditor.Get(kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &desc));
  EXPECT_EQ(kAudioUnitCarbonViewComponentType, desc.componentType);
  EXPECT_EQ(static_cast<OSType>(kTestAUUniqueID), desc.componentSubType);
  EXPECT_EQ(static_cast<OSType>(kTestAUMfrID), desc.componentManufacturer);
  EXPECT_EQ(0u, desc.componentFlags);
  EXPECT_EQ(0u, desc.componentFlagsMask);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            withoutEditor.Get(kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &desc));
}

ComponentResult CallView(void* pView, SInt16 selector, std::initializer_list<long> words) {
  Block block;
  block.what = selector;
  int i = 0;
  for (long w : words) block.params[i++] = w;
  return IFxAU::IFxAUCarbonViewEntry(reinterpret_cast<ComponentParameters*>(&block), pView);
}

TEST(CarbonViewEntryTest, AnswersOnlyOpenCloseAndCreate) {
  EXPECT_EQ(badComponentSelector, IFxAU::IFxAUCarbonViewEntry(nullptr, nullptr));
  EXPECT_EQ(badComponentSelector, CallView(nullptr, kComponentVersionSelect, {}));
  EXPECT_EQ(badComponentSelector, CallView(nullptr, kAudioUnitGetPropertySelect, {}));
  // A create before any open has no record to keep the plug-in in.
  ControlRef control = nullptr;
  EXPECT_EQ(badComponentInstance, CallView(nullptr, kAudioUnitCarbonViewCreateSelect, {Word(&control), 0, 0, 0, 0, 0}));
  EXPECT_EQ(noErr, CallView(nullptr, kComponentCloseSelect, {}));
}

}  // namespace
