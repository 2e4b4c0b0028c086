// Asking the user for a value on a headless screen: popup menus of enumerated parameters and the
// text field for typed values, down to the parameter and what the host hears.
#include <gtest/gtest.h>

#include <Carbon/Carbon.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>

#include "gui/ipopup_menu.h"
#include "gui/mac/igraphics_cocoa.h"
#include "gui/mac/igraphics_menu.h"
#include "gui/text_controls.h"
#include "gui_mac_test_support.h"
#include "prompt_test_plug.h"

using namespace mac_test;
using korv_appkit::HeadlessDisplay;

namespace {

NSPoint Centre(const IRECT& r) { return ShownEditor::ToWindow((r.L + r.R) / 2, (r.T + r.B) / 2); }

class PromptTest : public ::testing::Test {
 protected:
  PromptTest() : mShown(&mDisplay, mPlug.Editor()) { mShown.Settle(); }
  ~PromptTest() override { mDisplay.setMenuHandler(nullptr); }

  KORV_COCOA_VIEW* View() const { return static_cast<KORV_COCOA_VIEW*>(mShown.View()); }
  double Value(int paramIdx) { return mPlug.GetParam(paramIdx)->Value(); }
  void Click(const IRECT& r) {
    mDisplay.mouseDown(mShown.Window(), Centre(r));
    mDisplay.mouseUp(mShown.Window(), Centre(r));
  }
  void Type(const std::string& text) {
    for (char c : text) ASSERT_TRUE(mDisplay.typeCharacter(mShown.Window(), c)) << c;
  }
  void Escape() { mDisplay.keyDown(mShown.Window(), kVK_Escape, "\x1b", "\x1b"); }
  // The field opened by a click on the Out caption, its text replaced by text.
  void OpenOutFieldHolding(const std::string& text) {
    Click(kOutCaption);
    ASSERT_TRUE(View()->IsEditingText());
    for (size_t i = 0; i < 16; ++i) mDisplay.typeCharacter(mShown.Window(), '\b');
    Type(text);
  }

  HeadlessDisplay mDisplay;
  PromptPlug mPlug;
  ShownEditor mShown;
};

TEST_F(PromptTest, TypedValueReachesTheParameterAndTheHostAsOneGesture) {
  Click(kOutCaption);
  ASSERT_TRUE(View()->IsEditingText());
  HostEventLog log;
  for (size_t i = 0; i < 16; ++i) mDisplay.typeCharacter(mShown.Window(), '\b');
  Type("-6.5\r");
  EXPECT_FALSE(View()->IsEditingText());
  EXPECT_NEAR(-6.5, Value(kPOut), 1e-9);
  EXPECT_EQ("BVE", log.KindsFor(kPOut));
}

TEST_F(PromptTest, EscapeScrollAndForcedEndLeaveTheValueUnchanged) {
  struct Case {
    const char* name;
    std::function<void()> close;
  };
  const Case cases[] = {
      {"escape", [this] { Escape(); }},
      {"wheel", [this] { mDisplay.scrollWheel(mShown.Window(), Centre(kStepsCaption), 1); }},
      {"forced", [this] { mPlug.Editor()->ForceEndUserEdit(); }},
  };
  for (const Case& c : cases) {
    OpenOutFieldHolding("-6.5");
    c.close();
    EXPECT_FALSE(View()->IsEditingText()) << c.name;
    EXPECT_EQ(0.0, Value(kPOut)) << c.name;
  }
}

TEST_F(PromptTest, ClickElsewhereAppliesTheTypedValueButNotAnUntouchedField) {
  const IRECT background(2, 600, 10, 610);
  Click(kOutCaption);
  {
    HostEventLog log;
    Click(background);
    EXPECT_FALSE(View()->IsEditingText());
    EXPECT_EQ("", log.KindsFor(kPOut));
  }
  OpenOutFieldHolding("-6.5");
  {
    HostEventLog log;
    Click(background);
    EXPECT_FALSE(View()->IsEditingText());
    EXPECT_NEAR(-6.5, Value(kPOut), 1e-9);
    EXPECT_EQ("BVE", log.KindsFor(kPOut));
  }
  // A click on another caption applies the first field, then opens its own.
  OpenOutFieldHolding("2.25");
  Click(kStepsCaption);
  EXPECT_NEAR(2.25, Value(kPOut), 1e-9);
  EXPECT_TRUE(View()->IsEditingText());
}

TEST_F(PromptTest, FieldRefusesWhatItsFormatterFilters) {
  Click(kOutCaption);
  for (size_t i = 0; i < 16; ++i) mDisplay.typeCharacter(mShown.Window(), '\b');
  // A letter is refused, seven characters fit, the eighth does not.
  Type("1x2.34567\r");
  EXPECT_NEAR(12.3456, Value(kPOut), 1e-9);
  Click(kStepsCaption);
  for (size_t i = 0; i < 16; ++i) mDisplay.typeCharacter(mShown.Window(), '\b');
  // An integer field has no decimal point.
  Type("7.\r");
  EXPECT_EQ(7.0, Value(kPSteps));
}

TEST_F(PromptTest, HostileTextEndsClampedOrLeavesTheValueNeverNaN) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {{"", 3.0},          {"   ", 3.0},     {"1e999", 15.0},  {"-1e999", -15.0}, {"nan", 3.0},
                        {"-inf", 3.0},      {"99", 15.0},     {"-99", -15.0},   {"\xff\xfe\x80", 3.0},
                        {std::string(10000, '9'), 15.0},      {"-6.5abc", -6.5}};
  ICaptionControl* pCaption = static_cast<ICaptionControl*>(mPlug.Editor()->GetControl(1));
  for (const Case& c : cases) {
    mPlug.Editor()->SetFromStringAfterPrompt(pCaption, mPlug.GetParam(kPOut), "3");
    mPlug.Editor()->SetFromStringAfterPrompt(pCaption, mPlug.GetParam(kPOut), c.text.c_str());
    EXPECT_FALSE(std::isnan(Value(kPOut))) << c.text.substr(0, 20);
    EXPECT_NEAR(c.expected, Value(kPOut), 1e-9) << c.text.substr(0, 20);
  }
}

TEST_F(PromptTest, EnumeratedCaptionShowsItsTextsAndTheChoiceReachesTheHost) {
  mDisplay.setMenuHandler([](NSMenu* pMenu, NSPoint) { return pMenu->itemAtIndex(2); });
  HostEventLog log;
  Click(kModeCaption);
  ASSERT_EQ(1u, mDisplay.shownMenus().size());
  EXPECT_EQ((std::vector<NSString>{"Low", "Mid", "High"}), mDisplay.shownMenus()[0]);
  EXPECT_EQ(2.0, Value(kPMode));
  EXPECT_EQ("BVE", log.KindsFor(kPMode));

  mDisplay.setMenuHandler(nullptr);
  Click(kModeCaption);
  EXPECT_EQ(2.0, Value(kPMode));
}

TEST_F(PromptTest, MenuTitlesChecksSubmenusAndLoops) {
  IPopupMenu sub;
  sub.AddItem("A");
  sub.AddItem("B");
  sub.AddItem("Loop", &sub);
  IPopupMenu menu(IPopupMenu::kPrefixTwoDigits);
  menu.AddItem("Low", -1, IPopupMenuItem::kChecked);
  menu.AddSeparator();
  menu.AddItem("High", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
  menu.AddItem("More", &sub);
  IRECT area = kModeCaption;
  NSMenu* pShown = nullptr;
  mDisplay.setMenuHandler([&](NSMenu* pMenu, NSPoint) {
    pShown = pMenu;
    EXPECT_EQ(NSOnState, pMenu->itemAtIndex(0)->state());
    EXPECT_TRUE(pMenu->itemAtIndex(1)->isSeparatorItem());
    EXPECT_FALSE(pMenu->itemAtIndex(2)->isEnabled());
    EXPECT_EQ(1, pMenu->itemAtIndex(2)->indentationLevel());
    NSMenu* pSub = pMenu->itemAtIndex(3)->submenu();
    EXPECT_EQ("Loop", pSub->itemAtIndex(2)->title().utf8());
    // The loop is cut where the submenu would contain itself.
    EXPECT_EQ(nullptr, pSub->itemAtIndex(2)->submenu());
    return pSub->itemAtIndex(1);
  });
  EXPECT_EQ(&sub, mPlug.Editor()->CreateIPopupMenu(&menu, &area));
  EXPECT_EQ(1, sub.GetChosenItemIdx());
  EXPECT_EQ(-1, menu.GetChosenItemIdx());
  ASSERT_NE(nullptr, pShown);
  EXPECT_EQ((std::vector<NSString>{"01: Low", "", "03: High", "04: More"}), mDisplay.shownMenus().back());
}

TEST_F(PromptTest, EmptyAndHugeMenusAreShownAndDismissed) {
  IRECT area = kModeCaption;
  IPopupMenu empty;
  EXPECT_EQ(nullptr, mPlug.Editor()->CreateIPopupMenu(&empty, &area));
  IPopupMenu huge(IPopupMenu::kPrefixThreeDigits);
  for (int i = 0; i < 10000; ++i) huge.AddItem("item");
  mDisplay.setMenuHandler([](NSMenu* pMenu, NSPoint) { return pMenu->itemAtIndex(9999); });
  EXPECT_EQ(&huge, mPlug.Editor()->CreateIPopupMenu(&huge, &area));
  EXPECT_EQ(9999, huge.GetChosenItemIdx());
  EXPECT_EQ("10000: item", mDisplay.shownMenus().back().back().utf8());
}

TEST_F(PromptTest, ClosingTheEditorOrTheUnitWithAFieldOpenLeavesNothingBehind) {
  OpenOutFieldHolding("-6.5");
  mPlug.Editor()->CloseWindow();
  EXPECT_EQ(0.0, Value(kPOut));
  // Typing into the window afterwards reaches nothing that is gone.
  Type("1\r");
  EXPECT_EQ(0.0, Value(kPOut));
}

TEST(PromptUnitTest, DestroyingTheUnitWithAFieldOpen) {
  HeadlessDisplay display;
  auto* pPlug = new PromptPlug;
  NSView* pHostView = new NSView(NSMakeRect(0, 0, kEditorW, kEditorH));
  static_cast<NSView*>(pPlug->Editor()->OpenWindow(pHostView))->release();
  NSWindow* pWindow = display.openWindow(pHostView);
  pHostView->release();
  display.advanceTime(0.1);
  display.mouseDown(pWindow, Centre(kOutCaption));
  display.mouseUp(pWindow, Centre(kOutCaption));
  EXPECT_EQ(2u, pHostView->subviews().front()->subviews().size() + 1);
  delete pPlug;
  EXPECT_TRUE(pHostView->subviews().empty());
  display.typeCharacter(pWindow, '1');
  display.typeCharacter(pWindow, '\r');
  display.closeWindow(pWindow);
}

TEST(FormatterTest, FilterLengthAndValueLimits) {
  KORV_COCOA_FORMATTER formatter;
  EXPECT_TRUE(formatter.isPartialStringValid("anything at all", nullptr, nullptr));
  formatter.setFilterCharacterSet(NSCharacterSet::characterSetWithCharactersInString("0123456789.-+"));
  formatter.setMaximumLength(7);
  EXPECT_TRUE(formatter.isPartialStringValid("1.5", nullptr, nullptr));
  EXPECT_FALSE(formatter.isPartialStringValid("1a", nullptr, nullptr));
  EXPECT_TRUE(formatter.isPartialStringValid("1234567", nullptr, nullptr));
  EXPECT_FALSE(formatter.isPartialStringValid("12345678", nullptr, nullptr));
  formatter.setMaximumValue(100);
  EXPECT_TRUE(formatter.isPartialStringValid("100", nullptr, nullptr));
  EXPECT_FALSE(formatter.isPartialStringValid("101", nullptr, nullptr));
  NSString value;
  EXPECT_TRUE(formatter.getObjectValue(&value, "abc", nullptr));
  EXPECT_EQ("abc", value.utf8());
}

}  // namespace
