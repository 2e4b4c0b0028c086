// The desktop's services without a desktop: the system queries, file panels, URLs, the pasteboard and
// the cursor.
#include <cmath>

#include <ApplicationServices/ApplicationServices.h>
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include <vector>

using korv_appkit::HeadlessDisplay;

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
