// Sound and preset files as the host writes and reads them, the versions a bundle lists, and component
// codes on the command line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "host/files/audio_file.h"
#include "host/files/preset_file.h"
#include "host/unit/bundle_version.h"
#include "host/unit/hosted_unit.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

TEST(AudioFileWriter, TheTargetAppearsOnlyWhenCommitted) {
  TempDir dir;
  const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
  {
    AudioFileWriter abandoned;
    std::string error;
    ASSERT_TRUE(abandoned.Open(dir.Path("out.wav"), 8000, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, &error)) << error;
    ASSERT_TRUE(abandoned.Write(frames, 2));
  }
  EXPECT_TRUE(dir.Files().empty()) << "an abandoned write left " << dir.Files().front();

  AudioFileWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(dir.Path("out.wav"), 8000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, &error)) << error;
  ASSERT_TRUE(writer.Write(frames, 2));
  ASSERT_TRUE(writer.Commit(&error)) << error;
  ASSERT_EQ(dir.Files(), std::vector<std::string>{"out.wav"});
  const Sound written = ReadSound(dir.Path("out.wav"));
  EXPECT_EQ(written.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(written.samples, std::vector<float>(frames, frames + 4));
}

TEST(AudioFileWriter, IntegerOutputClipsInsteadOfWrapping) {
  TempDir dir;
  AudioFileWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(dir.Path("loud.wav"), 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, &error)) << error;
  const float loud[2] = {2.0f, -3.0f};
  ASSERT_TRUE(writer.Write(loud, 2));
  ASSERT_TRUE(writer.Commit(&error)) << error;
  const Sound clipped = ReadSound(dir.Path("loud.wav"));
  ASSERT_EQ(clipped.samples.size(), 2u);
  EXPECT_GT(clipped.samples[0], 0.99f);
  EXPECT_LT(clipped.samples[1], -0.99f);
}

TEST(AudioFileWriter, AnUnwritablePlaceIsReported) {
  AudioFileWriter writer;
  std::string error;
  EXPECT_FALSE(writer.Open("/nonexistent-directory/out.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, &error));
  EXPECT_NE(error.find("cannot write /nonexistent-directory/out.wav"), std::string::npos) << error;
}

TEST(PresetFile, OnlyPropertyListsHoldingADictionaryAreRead) {
  TempDir dir;
  CFRef<CFPropertyListRef> state;
  EXPECT_NE(ReadPresetFile(dir.Path("missing.aupreset"), &state).find("cannot read"), std::string::npos);
  WriteBytes(dir.Path("array.aupreset"),
             "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>");
  EXPECT_NE(ReadPresetFile(dir.Path("array.aupreset"), &state).find("holds no dictionary"), std::string::npos);
  WriteBytes(dir.Path("binary.aupreset"), std::string("\0\1\2\3", 4));
  EXPECT_NE(ReadPresetFile(dir.Path("binary.aupreset"), &state).find("not a preset file"), std::string::npos);
  EXPECT_FALSE(state);
}

TEST(PresetFile, WrittenDictionaryReadsBackAndDescribesItself) {
  TempDir dir;
  const SInt32 subtype = static_cast<SInt32>(MakeFourCharCode("Kor1"));
  CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &subtype));
  const UInt8 bytes[3] = {0xAB, 0x01, 0xFF};
  CFRef<CFDataRef> data(CFDataCreate(nullptr, bytes, sizeof bytes));
  CFRef<CFStringRef> name = MakeCFString("Warm room");
  CFRef<CFStringRef> subtypeKey = MakeCFString("subtype"), dataKey = MakeCFString("data"), nameKey = MakeCFString("name");
  const void* keys[] = {subtypeKey.Get(), dataKey.Get(), nameKey.Get()};
  const void* values[] = {number.Get(), data.Get(), name.Get()};
  CFRef<CFDictionaryRef> dictionary(CFDictionaryCreate(nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks));

  ASSERT_EQ(WritePresetFile(dir.Path("p.aupreset"), dictionary.Get()), "");
  CFRef<CFPropertyListRef> state;
  ASSERT_EQ(ReadPresetFile(dir.Path("p.aupreset"), &state), "");
  EXPECT_TRUE(CFEqual(state.Get(), dictionary.Get()));
  EXPECT_EQ(DescribePreset(state.Get()),
            "  data: 3 bytes ab01ff\n"
            "  name: \"Warm room\"\n"
            "  subtype: 'Kor1' (1265594929)\n");
  EXPECT_NE(WritePresetFile("/nonexistent-directory/p.aupreset", dictionary.Get()), "");
}

TEST(ComponentDescription, ReadsThreeFourCharacterCodes) {
  ComponentDescription description{};
  ASSERT_TRUE(ParseComponentDescription("aufx:Kor1:Brmo", &description));
  EXPECT_EQ(description.componentType, static_cast<OSType>(kAudioUnitType_Effect));
  EXPECT_EQ(FourCharCodeText(description.componentSubType), "Kor1");
  EXPECT_EQ(FourCharCodeText(description.componentManufacturer), "Brmo");
  for (const char* bad : {"", "aufx:Kor1", "aufx:Kor1:Brm", "aufx-Kor1-Brmo", "aufx:Kor1:Brmoo"})
    EXPECT_FALSE(ParseComponentDescription(bad, &description)) << bad;
  EXPECT_EQ(FourCharCodeText(0x41000A42), "A??B");
}

TEST(BundleVersion, TheListedVersionIsTheOneOfTheComponentAsked) {
  const ComponentDescription effect{kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0};
  auto entry = [](const char* subtype, const std::string& version) {
    return std::string("<dict><key>type</key><string>aufx</string><key>subtype</key><string>") + subtype +
           "</string><key>manufacturer</key><string>Brmo</string><key>version</key>" + version + "</dict>";
  };
  auto plist = [](const std::string& components) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>AudioComponents</key><array>" + components +
           "</array></dict></plist>";
  };
  const struct {
    std::string contents;
    UInt32 version;
    const char* error;
  } cases[] = {
      {plist(entry("Kor0", "<integer>7</integer>") + entry("Kor1", "<integer>65794</integer>")), 0x10102, ""},
      {plist(entry("Kor1", "<string>1.0.0</string>")), 0, "lists no version for aufx:Kor1:Brmo"},
      {plist(entry("Kor1", "<integer>-1</integer>")), 0, "lists no version for aufx:Kor1:Brmo"},
      {plist(entry("Kor10", "<integer>1</integer>")), 0, "lists no component aufx:Kor1:Brmo"},
      {plist("<string>aufx</string>"), 0, "lists no component aufx:Kor1:Brmo"},
      {"<plist><array/></plist>", 0, "is not a bundle's Info.plist: it holds no dictionary"},
  };
  TempDir dir;
  mkdir(dir.Path("Contents").c_str(), 0700);
  for (const auto& c : cases) {
    WriteBytes(dir.Path("Contents/Info.plist"), c.contents);
    UInt32 version = 0;
    const std::string error = ReadListedVersion(dir.Path(""), effect, &version);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(error.empty(), *c.error == '\0') << error;
    EXPECT_EQ(version, c.version) << c.contents;
  }
  std::remove(dir.Path("Contents/Info.plist").c_str());
  rmdir(dir.Path("Contents").c_str());
  UInt32 version = 0;
  EXPECT_NE(ReadListedVersion(dir.Path("missing"), effect, &version).find("cannot read"), std::string::npos);
}

TEST(BundleVersion, ShownDottedAndInHex) {
  EXPECT_EQ(VersionText(0x00010000), "1.0.0 (0x00010000)");
  EXPECT_EQ(VersionText(0x0102030A), "258.3.10 (0x0102030A)");
}

TEST(HostCliBundle, AMissingBundleIsReported) {
  const HostRun run = RunHost({"--bundle", "/nonexistent/Some.component", "info"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.output.find("cannot load the plug-in bundle /nonexistent/Some.component"), std::string::npos)
      << run.output;
}

#ifdef KORV_FAULTY_BUNDLE_DIR
// A bundle listing the unit aufx:Hst1:Korv made by `entry`, its binary the test component's.
std::string MakeBundle(const TempDir& dir, const std::string& name, const std::string& entry) {
  const std::string bundle = dir.Path(name + ".component");
  std::filesystem::create_directories(bundle + "/Contents/MacOS");
  WriteBytes(bundle + "/Contents/Info.plist",
             "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>" + name +
                 "</string><key>CFBundleExecutable</key><string>Lib</string><key>AudioComponents</key><array><dict>"
                 "<key>type</key><string>aufx</string><key>subtype</key><string>Hst1</string><key>manufacturer</key>"
                 "<string>Korv</string><key>name</key><string>Hostile</string><key>version</key><integer>1</integer>"
                 "<key>factoryFunction</key><string>" + entry + "</string></dict></array></dict></plist>");
  symlink(KORV_FAULTY_BUNDLE_DIR "/Contents/MacOS/KorvTest", (bundle + "/Contents/MacOS/Lib").c_str());
  return bundle;
}
#endif

// Nothing a bundle holds may make the host call what is not the unit's factory, or wait: a view's entry
// answers open and close but none of a unit's calls, a variable cannot be called at all, functions of
// the C library are not the bundle's, and a FIFO is no file to read a description or code from.
TEST(HostCliBundle, ABundleThatGivesNoUnitIsRefusedPromptly) {
  struct Case {
    std::vector<std::string> arguments;
    const char* said;
  };
  std::vector<Case> cases = {{{"--component", "auvw:Kor1:Brmo", "info"}, "does not answer as an Audio Unit"}};
#ifdef KORV_FAULTY_BUNDLE_DIR
  TempDir dir;
  for (const char* entry : {"TestRefusingCloseCount", "abort", "exit", "free", "malloc"})
    cases.push_back({{"--bundle", MakeBundle(dir, entry, entry), "info"}, "names no function of its binary"});
  const std::string fifoBinary = MakeBundle(dir, "FifoBinary", "TestComponentEntry");
  std::remove((fifoBinary + "/Contents/MacOS/Lib").c_str());
  mkfifo((fifoBinary + "/Contents/MacOS/Lib").c_str(), 0600);
  const std::string linkedFifo = MakeBundle(dir, "LinkedFifo", "TestComponentEntry");
  std::remove((linkedFifo + "/Contents/MacOS/Lib").c_str());
  symlink((fifoBinary + "/Contents/MacOS/Lib").c_str(), (linkedFifo + "/Contents/MacOS/Lib").c_str());
  const std::string fifoPlist = MakeBundle(dir, "FifoPlist", "TestComponentEntry");
  std::remove((fifoPlist + "/Contents/Info.plist").c_str());
  mkfifo((fifoPlist + "/Contents/Info.plist").c_str(), 0600);
  cases.insert(cases.end(), {{{"--bundle", fifoBinary, "info"}, "binary for aufx:Hst1:Korv cannot be loaded"},
                             {{"--bundle", linkedFifo, "info"}, "binary for aufx:Hst1:Korv cannot be loaded"},
                             {{"--bundle", fifoPlist, "info"}, "Info.plist: it is not a regular file"},
                             {{"--bundle", fifoPlist, "--component", "aufx:Hst1:Korv", "info"},
                              "Info.plist is no regular file"}});
#endif
  for (const Case& c : cases) {
    const std::string what = c.arguments[1];
    const HostRun run = RunHost(c.arguments, 30);
    EXPECT_EQ(run.exitStatus, 2) << what << ": " << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << what << ": " << run.output;
    EXPECT_EQ(run.output.find("version"), std::string::npos) << what << ": " << run.output;
  }
}

}  // namespace
