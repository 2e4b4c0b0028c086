// Opening the unit a command works on: a bundle that is missing, or gives no unit, is refused with the reason
// and without waiting.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host_test_support.h"

using namespace korval_host_test;

namespace {

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
