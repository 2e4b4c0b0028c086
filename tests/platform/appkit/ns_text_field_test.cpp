// Text fields: the formatter vets every edit, and editing ends once, by return or by losing the keyboard.
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include <string>
#include <vector>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;

namespace {

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
