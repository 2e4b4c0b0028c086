// The Foundation layer: classes made by name, URLs, strings and their paths, and the standard directories.
#include <ApplicationServices/ApplicationServices.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <Foundation/Foundation.h>
#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

class SampleFactory : public NSObject, public AUCocoaUIBase {
 public:
  unsigned interfaceVersion() override { return 0; }
  NSView* uiViewForAudioUnit(AudioUnit, NSSize) override { return new NSView(NSMakeRect(0, 0, 203, 621)); }
  NSString description() const override { return "Sample View"; }
};

class OtherFactory : public NSObject {};

}  // namespace

NS_REGISTER_CLASS(SampleFactory);

TEST(ClassRegistry, ViewFactoriesAreFoundByName) {
  Class cls = NSClassFromString("SampleFactory");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(NSStringFromClass(cls), NSString("SampleFactory"));
  EXPECT_EQ(NSClassFromString("NoSuchFactory"), nullptr);
  EXPECT_EQ(NSClassCreateInstance(nullptr), nullptr);

  NSObject* object = NSClassCreateInstance(cls);
  auto* factory = dynamic_cast<AUCocoaUIBase*>(object);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(object->description(), NSString("Sample View"));
  NSView* view = factory->uiViewForAudioUnit(nullptr, NSMakeSize(10, 10));
  EXPECT_DOUBLE_EQ(NSWidth(view->frame()), 203);
  view->release();
  object->release();
}

TEST(ClassRegistry, TheFirstRegistrationOfANameWinsAndUnloadingRemovesIt) {
  {
    NSClassRegistration duplicate("SampleFactory", []() -> NSObject* { return new OtherFactory(); });
    NSObject* object = NSClassCreateInstance(NSClassFromString("SampleFactory"));
    EXPECT_NE(dynamic_cast<SampleFactory*>(object), nullptr);
    object->release();
  }
  EXPECT_NE(NSClassFromString("SampleFactory"), nullptr);
  {
    NSClassRegistration scoped("ScopedFactory", []() -> NSObject* { return new OtherFactory(); });
    EXPECT_NE(NSClassFromString("ScopedFactory"), nullptr);
  }
  EXPECT_EQ(NSClassFromString("ScopedFactory"), nullptr);
}

TEST(Urls, OnlyWellFormedTextsBecomeUrls) {
  EXPECT_EQ(NSURL::URLWithString(""), nullptr);
  EXPECT_EQ(NSURL::URLWithString("no scheme here"), nullptr);
  EXPECT_EQ(NSURL::URLWithString("http://a b"), nullptr);
  EXPECT_EQ(NSURL::URLWithString("1http://x"), nullptr);
  NSURL* web = NSURL::URLWithString("https://brightmoor.example/manual");
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(web->scheme(), NSString("https"));
  EXPECT_FALSE(web->isFileURL());
  EXPECT_EQ(NSURL::fileURLWithPath(""), nullptr);
  NSURL* file = NSURL::fileURLWithPath("/tmp/a b%.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->absoluteString(), NSString("file:///tmp/a%20b%25.txt"));
  EXPECT_EQ(file->path(), NSString("/tmp/a b%.txt"));
}

TEST(Strings, LengthsCountUtf16UnitsAndPathsSplitOnSlashes) {
  NSString text("a\xC3\xA9\xF0\x9F\x8E\xB9");  // a, e acute, a character outside the basic plane
  EXPECT_EQ(text.length(), 4u);
  EXPECT_EQ(text.characterAtIndex(1), 0xE9);
  EXPECT_EQ(text.characterAtIndex(2), 0xD83C);
  EXPECT_EQ(text.characterAtIndex(3), 0xDFB9);
  EXPECT_EQ(text.characterAtIndex(9), 0);
  unichar units[] = {0x61, 0xD83C, 0xDFB9};
  EXPECT_EQ(NSString::stringWithCharacters(units, 3), NSString("a\xF0\x9F\x8E\xB9"));
  EXPECT_EQ(NSString("\xFF\xC3").length(), 2u) << "stray bytes count one each";

  NSString path("resources/img/bg.png");
  EXPECT_EQ(path.lastPathComponent().stringByDeletingPathExtension(), NSString("bg"));
  EXPECT_EQ(path.pathExtension(), NSString("png"));
  EXPECT_EQ(NSString("/a/b/").stringByDeletingLastPathComponent(), NSString("/a"));
  EXPECT_EQ(NSString("/a").stringByDeletingLastPathComponent(), NSString("/"));
  EXPECT_EQ(NSString(".hidden").pathExtension(), NSString());
  EXPECT_EQ(NSString("dir.d/file").stringByDeletingPathExtension(), NSString("dir.d/file"));
  EXPECT_EQ(NSString("/").stringByAppendingPathComponent("x"), NSString("/x"));
  EXPECT_EQ(NSString("fxp fxb").componentsSeparatedByString(" "), (std::vector<NSString>{"fxp", "fxb"}));
  EXPECT_EQ(NSString("99999999999").intValue(), INT_MAX);
}

TEST(Paths, StandardDirectoriesFollowTheHomeDirectory) {
  std::vector<NSString> desktop = NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, true);
  ASSERT_EQ(desktop.size(), 1u);
  EXPECT_EQ(desktop[0], NSHomeDirectory().stringByAppendingPathComponent("Desktop"));
  EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, false)[0],
            NSString("~/Desktop"));
  std::vector<NSString> system =
      NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSSystemDomainMask, true);
  EXPECT_EQ(system, (std::vector<NSString>{"/usr/share"}));
  EXPECT_TRUE(NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSSystemDomainMask, true).empty());
  EXPECT_EQ(NSBundle::bundleWithIdentifier("com.example.not.loaded"), nullptr);
}
