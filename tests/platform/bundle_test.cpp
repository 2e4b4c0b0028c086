// Registering plug-in bundles, finding them and their resources, and the host's main bundle.
#include <AudioUnit/AudioUnit.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "korval_platform/host.h"
#include "platform_test_support.h"

using korv_platform_test::TempDir;
using korv_platform_test::WriteFile;

namespace {

const ComponentDescription kTestDescription = {kAudioUnitType_Effect, 0x54737431 /* 'Tst1' */,
                                               0x4B6F7276 /* 'Korv' */, 0, 0};

std::string Path(CFURLRef url) {
  UInt8 path[1024];
  return CFURLGetFileSystemRepresentation(url, true, path, sizeof path) ? reinterpret_cast<char*>(path) : "";
}

std::string ComponentPlist(const std::string& executable, const std::string& components) {
  return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>com.korvaline.test.damaged</string>"
         "<key>CFBundleExecutable</key><string>" + executable + "</string>"
         "<key>AudioComponents</key><array>" + components + "</array></dict></plist>";
}

std::string ComponentEntry(const std::string& subtype, const std::string& symbol) {
  return "<dict><key>type</key><string>aufx</string><key>subtype</key><string>" + subtype +
         "</string><key>manufacturer</key><string>Dmgd</string><key>name</key><string>Damaged</string>"
         "<key>version</key><integer>1</integer><key>factoryFunction</key><string>" + symbol + "</string></dict>";
}

// A bundle directory holding only the given Info.plist (none when plist is empty).
std::string MakeBundle(const TempDir& dir, const std::string& name, const std::string& plist) {
  const std::string bundle = dir.Path() + "/" + name + ".component";
  mkdir(bundle.c_str(), 0755);
  mkdir((bundle + "/Contents").c_str(), 0755);
  mkdir((bundle + "/Contents/MacOS").c_str(), 0755);
  if (!plist.empty()) WriteFile(bundle + "/Contents/Info.plist", plist);
  return bundle;
}

TEST(ComponentBundle, RegistersEveryComponentOnceAndFindsThemByDescription) {
  long count = 0;
  ASSERT_EQ(KorvRegisterComponentBundle(KORV_TEST_BUNDLE_DIR, &count), noErr);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(KorvRegisterComponentBundle(KORV_TEST_BUNDLE_DIR "/", &count), noErr);
  EXPECT_EQ(count, 2);

  ComponentDescription looking = kTestDescription;
  Component component = FindNextComponent(nullptr, &looking);
  ASSERT_NE(component, nullptr);
  EXPECT_EQ(FindNextComponent(component, &looking), nullptr);
  ComponentDescription found{};
  ASSERT_EQ(GetComponentInfo(component, &found, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(found.componentSubType, kTestDescription.componentSubType);

  ComponentDescription anyFromMaker = {0, 0, 0x4B6F7276, 0, 0};
  EXPECT_EQ(CountComponents(&anyFromMaker), 2);
  ComponentDescription nobody = {0, 0, 0x4E6F6E65, 0, 0};
  EXPECT_EQ(FindNextComponent(nullptr, &nobody), nullptr);
  // Flags are compared only under the mask.
  ComponentDescription flagged = {0, 0, 0x4B6F7276, 1, 1};
  EXPECT_EQ(CountComponents(&flagged), 0);
}

TEST(ComponentBundle, BundleIsFoundByIdentifierWithItsResources) {
  ASSERT_EQ(KorvRegisterComponentBundle(KORV_TEST_BUNDLE_DIR, nullptr), noErr);
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.korvaline.test.component"));
  ASSERT_NE(bundle, nullptr);
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  char resolved[1024];
  ASSERT_NE(realpath(KORV_TEST_BUNDLE_DIR, resolved), nullptr);
  EXPECT_EQ(Path(url), resolved);
  CFRelease(url);

  CFURLRef resource = CFBundleCopyResourceURL(bundle, CFSTR("sample"), CFSTR("txt"), nullptr);
  EXPECT_EQ(Path(resource), std::string(resolved) + "/Contents/Resources/sample.txt");
  CFRelease(resource);
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("png"), nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, nullptr, CFSTR("png"), nullptr), nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.korvaline.unknown")), nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(nullptr), nullptr);
}

TEST(ComponentBundle, HostSetsTheMainBundleIdentifier) {
  KorvSetMainBundle("com.korvaline.test.host", "/tmp/Host.app");
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(main), CFSTR("com.korvaline.test.host")));
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.korvaline.test.host")), main);
  CFURLRef url = CFBundleCopyBundleURL(main);
  EXPECT_EQ(Path(url), "/tmp/Host.app");
  CFRelease(url);

  // A host without an identifier: the main bundle exists but names nothing.
  KorvSetMainBundle(nullptr, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(CFBundleGetMainBundle()), nullptr);
}

TEST(ComponentBundle, DamagedBundlesAreRefusedWholeWithAClearStatus) {
  TempDir dir;
  const std::string good = ComponentEntry("Gud1", "TestComponentEntry");
  EXPECT_EQ(KorvRegisterComponentBundle(nullptr, nullptr), paramErr);
  EXPECT_EQ(KorvRegisterComponentBundle((dir.Path() + "/absent.component").c_str(), nullptr), fnfErr);
  EXPECT_EQ(KorvRegisterComponentBundle(MakeBundle(dir, "NoPlist", "").c_str(), nullptr), fnfErr);

  const struct {
    const char* name;
    std::string plist;
  } damaged[] = {
      {"Garbage", "not a property list"},
      {"NotDict", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"},
      {"NoComponents", ComponentPlist("Lib", "")},
      {"EscapingExecutable", ComponentPlist("../../evil", good)},
      {"ShortCode", ComponentPlist("Lib", good + ComponentEntry("Bad", "Entry"))},
      {"NoSymbol", ComponentPlist("Lib", "<dict><key>type</key><string>aufx</string></dict>")},
      {"NotADict", ComponentPlist("Lib", "<string>aufx</string>")},
  };
  for (const auto& bundle : damaged) {
    long count = -1;
    EXPECT_EQ(KorvRegisterComponentBundle(MakeBundle(dir, bundle.name, bundle.plist).c_str(), &count),
              kAudioUnitErr_InvalidFile)
        << bundle.name;
    EXPECT_EQ(count, 0) << bundle.name;
  }
  ComponentDescription anyDamaged = {0, 0, 0x446D6764 /* 'Dmgd' */, 0, 0};
  EXPECT_EQ(CountComponents(&anyDamaged), 0);
}

TEST(ComponentBundle, ComponentsWhoseCodeCannotBeLoadedDoNotOpen) {
  TempDir dir;
  const std::string noLibrary =
      MakeBundle(dir, "NoLibrary", ComponentPlist("Missing", ComponentEntry("NoL1", "TestComponentEntry")));
  const std::string noEntry = MakeBundle(dir, "NoEntry", ComponentPlist("Lib", ComponentEntry("NoE1", "NoSuchEntry")));
  // The entry named is a variable of the library: calling it would crash.
  const std::string dataEntry =
      MakeBundle(dir, "DataEntry", ComponentPlist("Lib", ComponentEntry("Dat1", "TestRefusingCloseCount")));
  for (const std::string& bundle : {noEntry, dataEntry})
    ASSERT_EQ(symlink(KORV_TEST_BUNDLE_DIR "/Contents/MacOS/KorvTest", (bundle + "/Contents/MacOS/Lib").c_str()), 0);
  ASSERT_EQ(KorvRegisterComponentBundle(noLibrary.c_str(), nullptr), noErr);
  ASSERT_EQ(KorvRegisterComponentBundle(noEntry.c_str(), nullptr), noErr);
  ASSERT_EQ(KorvRegisterComponentBundle(dataEntry.c_str(), nullptr), noErr);

  ComponentDescription missingLibrary = {0, 0x4E6F4C31 /* 'NoL1' */, 0, 0, 0};
  ComponentDescription missingEntry = {0, 0x4E6F4531 /* 'NoE1' */, 0, 0, 0};
  ComponentInstance instance = reinterpret_cast<ComponentInstance>(1);
  EXPECT_EQ(OpenAComponent(FindNextComponent(nullptr, &missingLibrary), &instance), cfragNoLibraryErr);
  EXPECT_EQ(instance, nullptr);
  EXPECT_EQ(OpenAComponent(FindNextComponent(nullptr, &missingEntry), &instance), cfragNoSymbolErr);
  EXPECT_EQ(OpenComponent(FindNextComponent(nullptr, &missingEntry)), nullptr);
  ComponentDescription dataAsEntry = {0, 0x44617431 /* 'Dat1' */, 0, 0, 0};
  EXPECT_EQ(OpenAComponent(FindNextComponent(nullptr, &dataAsEntry), &instance), cfragNoSymbolErr);
  EXPECT_EQ(instance, nullptr);
  EXPECT_EQ(OpenComponent(nullptr), nullptr);
  EXPECT_EQ(OpenAComponent(nullptr, nullptr), paramErr);
}

}  // namespace
