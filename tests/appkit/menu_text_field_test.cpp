#include <Carbon/Carbon.h>
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;

namespace {

class MenuReceiver : public NSView {
 public:
  MenuReceiver() : NSView(NSMakeRect(0, 0, 100, 100)) {}
  void onMenuSelection(NSMenuItem* item) { chosen.push_back(item); }
  std::vector<NSMenuItem*> chosen;
};

NSMenu* BuildMenu() {
  NSMenu* menu = new NSMenu("");
  menu->addItemWithTitle("01: Low", NSMenuItem::selector(&MenuReceiver::onMenuSelection), "");
  menu->addItem(NSMenuItem::separatorItem());
  NSMenuItem* more = menu->addItemWithTitle("More", nullptr, "");
  NSMenu* sub = new NSMenu("");
  sub->addItemWithTitle("A", NSMenuItem::selector(&MenuReceiver::onMenuSelection), "");
  sub->addItemWithTitle("B", NSMenuItem::selector(&MenuReceiver::onMenuSelection), "");
  menu->setSubmenu(sub, more);
  sub->release();
  return menu;
}

class DigitsOnly : public NSFormatter {
 public:
  NSString stringForObjectValue(const NSString& value) const override { return value; }
  bool getObjectValue(NSString* value, const NSString& string, NSString*) const override {
    *value = string;
    return true;
  }
  bool isPartialStringValid(const NSString& partial, NSString*, NSString*) const override {
    NSCharacterSet digits = NSCharacterSet::characterSetWithCharactersInString("0123456789");
    for (NSUInteger i = 0; i < partial.length(); ++i) {
      if (!digits.characterIsMember(partial.characterAtIndex(i))) return false;
    }
    return partial.length() <= 3;
  }
};

class EditorView : public NSView, public NSTextFieldDelegate {
 public:
  EditorView() : NSView(NSMakeRect(0, 0, 200, 100)) {}
  void openField() {
    field = new NSTextField(NSMakeRect(10, 10, 80, 20));
    DigitsOnly* formatter = new DigitsOnly();
    field->setFormatter(formatter);
    formatter->release();
    field->setDelegate(this);
    addSubview(field);
    field->release();
    window()->makeFirstResponder(field);
  }
  void controlTextDidEndEditing(NSNotification* note) override {
    ASSERT_EQ(note->object, field);
    endedWith.push_back(field->stringValue());
    field->setDelegate(nullptr);
    field->removeFromSuperview();
    field = nullptr;
    window()->makeFirstResponder(this);
  }
  bool acceptsFirstResponder() override { return true; }
  void scrollWheel(NSEvent*) override {
    if (field) window()->makeFirstResponder(this);
  }

  NSTextField* field = nullptr;
  std::vector<NSString> endedWith;
};

}  // namespace

TEST(PopupMenu, TheChosenItemIsSentToTheViewAndTimersKeepRunning) {
  HeadlessDisplay display;
  MenuReceiver* view = new MenuReceiver();
  NSWindow* window = display.openWindow(view);
  int ticks = 0;
  NSTimer* timer = NSTimer::timerWithTimeInterval(0.04, view, [&](NSTimer*) { ++ticks; }, nullptr, true);
  NSRunLoop::currentRunLoop()->addTimer(timer, kCFRunLoopCommonModes);

  NSMenu* menu = BuildMenu();
  NSPoint shownAt{};
  display.setMenuHandler([&](NSMenu* shown, NSPoint location) {
    shownAt = location;
    display.advanceTime(0.2);
    return shown->itemAtIndex(2)->submenu()->itemAtIndex(1);
  });
  NSEvent* event = NSEvent::otherEventWithType(NSApplicationDefined, NSMakePoint(30, 26), 15, 0,
                                               window->windowNumber(), nullptr, 0, 0, 0);
  NSMenu::popUpContextMenu(menu, event, view);
  ASSERT_EQ(view->chosen.size(), 1u);
  EXPECT_EQ(view->chosen[0]->title(), NSString("B"));
  EXPECT_EQ(view->chosen[0]->menu()->supermenu(), menu);
  EXPECT_EQ(view->chosen[0]->menu()->indexOfItem(view->chosen[0]), 1);
  EXPECT_DOUBLE_EQ(shownAt.x, 30);
  EXPECT_DOUBLE_EQ(shownAt.y, 26);
  EXPECT_EQ(ticks, 5);
  ASSERT_EQ(display.shownMenus().size(), 1u);
  EXPECT_EQ(display.shownMenus()[0], (std::vector<NSString>{"01: Low", "", "More"}));

  // Dismissing, choosing a disabled item or an item of another menu sends nothing.
  NSMenu* stranger = BuildMenu();
  menu->itemAtIndex(0)->setEnabled(false);
  for (NSMenuItem* answer : {static_cast<NSMenuItem*>(nullptr), menu->itemAtIndex(0), stranger->itemAtIndex(0)}) {
    display.setMenuHandler([answer](NSMenu*, NSPoint) { return answer; });
    NSMenu::popUpContextMenu(menu, event, view);
  }
  EXPECT_EQ(view->chosen.size(), 1u);
  timer->invalidate();
  stranger->release();
  menu->release();
  view->release();
}

TEST(TextField, TheFormatterVetsEveryEditAndReturnEndsEditing) {
  HeadlessDisplay display;
  EditorView* view = new EditorView();
  NSWindow* window = display.openWindow(view);
  view->openField();
  ASSERT_EQ(window->firstResponder(), view->field);
  ASSERT_TRUE(view->field->isEditing());
  for (char c : std::string("1a2.34")) display.typeCharacter(window, c);
  EXPECT_EQ(view->field->stringValue(), NSString("123"));
  display.typeCharacter(window, '\b');
  EXPECT_EQ(view->field->stringValue(), NSString("12"));
  display.typeCharacter(window, '\r');
  EXPECT_EQ(view->endedWith, (std::vector<NSString>{"12"}));
  EXPECT_EQ(view->field, nullptr);
  EXPECT_EQ(window->firstResponder(), view);
  view->release();
}

TEST(TextField, LosingTheKeyboardEndsEditingOnce) {
  HeadlessDisplay display;
  EditorView* view = new EditorView();
  NSWindow* window = display.openWindow(view);
  view->openField();
  display.typeCharacter(window, '5');
  display.scrollWheel(window, NSMakePoint(150, 50), 1);
  EXPECT_EQ(view->endedWith, (std::vector<NSString>{"5"}));
  view->openField();
  display.mouseDown(window, NSMakePoint(150, 80));
  display.mouseUp(window, NSMakePoint(150, 80));
  EXPECT_EQ(view->endedWith.size(), 2u);
  view->release();
}

TEST(TextField, DrawsItsBackgroundColour) {
  HeadlessDisplay display;
  EditorView* view = new EditorView();
  NSWindow* window = display.openWindow(view);
  view->openField();
  view->field->setBackgroundColor(NSColor::colorWithCalibratedRed(0, 0, 1, 1));
  display.displayPass();
  // Field (10, 10, 80, 20) in a 100-point-high window: device rows 70 to 89.
  EXPECT_EQ(display.screenPixel(window, 50, 80), (korv_appkit::ScreenRGB{0, 0, 255}));
  EXPECT_NE(display.screenPixel(window, 50, 60), (korv_appkit::ScreenRGB{0, 0, 255}));
  view->release();
}
