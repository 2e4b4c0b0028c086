// Popup menus: the chosen item, submenus included, reaches the view, and timers run while a menu is open.
#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include <vector>

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
