#include <cmath>

#include <ApplicationServices/ApplicationServices.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

using korv_appkit::HeadlessDisplay;

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

TEST(SystemQueries, VersionProfileAndUnknownSelectors) {
  SInt32 version = 0x1040;
  ASSERT_EQ(Gestalt(gestaltSystemVersion, &version), noErr);
  EXPECT_EQ(version, 0x10F0);
  SInt32 untouched = 7;
  EXPECT_EQ(Gestalt(0x61626364, &untouched), gestaltUndefSelectorErr);
  EXPECT_EQ(untouched, 7);
  EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), paramErr);

  CMProfileRef profile = nullptr;
  ASSERT_EQ(CMGetSystemProfile(&profile), noErr);
  CGColorSpaceRef space = CGColorSpaceCreateWithPlatformColorSpace(profile);
  EXPECT_NE(space, nullptr);
  CGColorSpaceRelease(space);
  EXPECT_EQ(CMCloseProfile(profile), noErr);
  EXPECT_EQ(CGColorSpaceCreateWithPlatformColorSpace(nullptr), nullptr);
}

TEST(DesktopServices, HeadlessPanelsChooseNothingAndUrlsDoNotOpen) {
  HeadlessDisplay display;
  NSSavePanel* save = NSSavePanel::savePanel();
  save->setAllowedFileTypes({"fxp"});
  EXPECT_EQ(save->runModalForDirectory("~/Desktop", "preset.fxp"), NSModalResponseCancel);
  EXPECT_EQ(save->filename(), NSString());
  EXPECT_EQ(save->URL(), nullptr);
  NSOpenPanel* open = NSOpenPanel::openPanel();
  EXPECT_EQ(open->runModalForDirectory("/tmp", "", {"fxb", "fxp"}), NSModalResponseCancel);
  EXPECT_TRUE(open->filenames().empty());

  EXPECT_FALSE(NSWorkspace::sharedWorkspace()->openURL(NSURL::URLWithString("http://example.com/a")));
  EXPECT_FALSE(NSWorkspace::sharedWorkspace()->openURL(nullptr));
  EXPECT_EQ(display.requestedURLs(), (std::vector<NSString>{"http://example.com/a"}));
}

TEST(DesktopServices, PasteboardHoldsTextOnly) {
  HeadlessDisplay display;
  NSPasteboard* board = NSPasteboard::generalPasteboard();
  board->clearContents();
  EXPECT_FALSE(board->stringForType(NSStringPboardType).has_value());
  EXPECT_TRUE(board->setString("-3.5 dB", NSPasteboardTypeString));
  EXPECT_EQ(board->stringForType(NSStringPboardType).value_or(""), NSString("-3.5 dB"));
  EXPECT_FALSE(board->setString("x", "public.png"));
  EXPECT_FALSE(board->stringForType("public.png").has_value());
  EXPECT_FALSE(board->stringForType(nullptr).has_value());
}

TEST(DesktopServices, CursorCallsReachTheDisplay) {
  HeadlessDisplay display(1, NSMakeSize(800, 600));
  EXPECT_EQ(CGDisplayPixelsHigh(CGMainDisplayID()), 600u);
  EXPECT_EQ(CGDisplayHideCursor(CGMainDisplayID()), kCGErrorSuccess);
  EXPECT_TRUE(display.cursorHidden());
  EXPECT_EQ(CGDisplayMoveCursorToPoint(CGMainDisplayID(), CGPointMake(40, 50)), kCGErrorSuccess);
  EXPECT_DOUBLE_EQ(display.cursorPosition().y, 50);
  EXPECT_DOUBLE_EQ(NSEvent::mouseLocation().y, 550);
  EXPECT_EQ(CGDisplayShowCursor(CGMainDisplayID()), kCGErrorSuccess);
  EXPECT_FALSE(display.cursorHidden());
  EXPECT_EQ(CGDisplayHideCursor(99), kCGErrorIllegalArgument);
  EXPECT_EQ(CGDisplayMoveCursorToPoint(CGMainDisplayID(), CGPointMake(NAN, 0)), kCGErrorIllegalArgument);
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
