// Registering plug-in bundles, finding them and their resources, and the host's main bundle.
#include <AudioUnit/AudioUnit.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

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

// Runs call on a thread of its own. Should it still wait after ten seconds (on the FIFO, for a writer),
// the test fails and a writer that closes at once lets the call end.
template <typename Call>
auto WithoutWaitingOn(const std::string& fifo, Call call) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "still waiting on " << fifo;
    while (result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
      const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) close(writer);
    }
  }
  return result.get();
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
  // A FIFO is no file to read a description from, and opening one for reading would wait for a writer.
  const std::string fifoPlist = MakeBundle(dir, "FifoPlist", "");
  ASSERT_EQ(mkfifo((fifoPlist + "/Contents/Info.plist").c_str(), 0600), 0);
  EXPECT_EQ(WithoutWaitingOn(fifoPlist + "/Contents/Info.plist",
                             [&] { return KorvRegisterComponentBundle(fifoPlist.c_str(), nullptr); }),
            kAudioUnitErr_InvalidFile);
  ComponentDescription anyDamaged = {0, 0, 0x446D6764 /* 'Dmgd' */, 0, 0};
  EXPECT_EQ(CountComponents(&anyDamaged), 0);
}

TEST(ComponentBundle, ComponentsWhoseCodeCannotBeLoadedDoNotOpen) {
  enum Executable { kMissing, kTestBinary, kFifo, kLinkToFifo };
  const struct {
    const char* subtype;
    Executable executable;
    const char* entry;
    OSErr status;
  } cases[] = {
      {"NoL1", kMissing, "TestComponentEntry", cfragNoLibraryErr},
      {"Fif1", kFifo, "TestComponentEntry", cfragNoLibraryErr},
      {"Fif2", kLinkToFifo, "TestComponentEntry", cfragNoLibraryErr},
      {"NoE1", kTestBinary, "NoSuchEntry", cfragNoSymbolErr},
      {"Dat1", kTestBinary, "TestRefusingCloseCount", cfragNoSymbolErr},  // a variable: calling it would crash
      // Functions of the libraries the binary links, not of the binary itself.
      {"Abrt", kTestBinary, "abort", cfragNoSymbolErr},
      {"Exit", kTestBinary, "exit", cfragNoSymbolErr},
      {"Free", kTestBinary, "free", cfragNoSymbolErr},
      {"Mllc", kTestBinary, "malloc", cfragNoSymbolErr},
      {"CFRl", kTestBinary, "CFRelease", cfragNoSymbolErr},
  };
  TempDir dir;
  const std::string fifo = dir.Path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& c : cases) {
    const std::string bundle = MakeBundle(dir, c.subtype, ComponentPlist("Lib", ComponentEntry(c.subtype, c.entry)));
    const std::string library = bundle + "/Contents/MacOS/Lib";
    if (c.executable == kTestBinary) symlink(KORV_TEST_BUNDLE_DIR "/Contents/MacOS/KorvTest", library.c_str());
    if (c.executable == kFifo) mkfifo(library.c_str(), 0600);
    if (c.executable == kLinkToFifo) symlink(fifo.c_str(), library.c_str());
    ASSERT_EQ(KorvRegisterComponentBundle(bundle.c_str(), nullptr), noErr) << c.subtype;

    ComponentDescription looking = {0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) looking.componentSubType = looking.componentSubType << 8 | UInt8(c.subtype[i]);
    Component component = FindNextComponent(nullptr, &looking);
    ComponentInstance instance = reinterpret_cast<ComponentInstance>(1);
    const std::string waitedOn = c.executable == kFifo ? library : fifo;
    EXPECT_EQ(WithoutWaitingOn(waitedOn, [&] { return OpenAComponent(component, &instance); }), c.status)
        << c.subtype;
    EXPECT_EQ(instance, nullptr) << c.subtype;
    EXPECT_EQ(WithoutWaitingOn(waitedOn, [&] { return OpenComponent(component); }), nullptr) << c.subtype;
  }
  EXPECT_EQ(OpenComponent(nullptr), nullptr);
  EXPECT_EQ(OpenAComponent(nullptr, nullptr), paramErr);
}

}  // namespace
