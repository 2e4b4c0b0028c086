#pragma once
// What the Mac editor tests share: the registered test bundle, an event listener that records what
// a host hears, and an editor view shown in a window of a headless display.
#include <korval_platform/headless_display.h>

#include <string>
#include <vector>

#include "mac_test_plug.h"

namespace mac_test {

// What a host listening to Audio Unit events hears: 'B'egin gesture, 'V'alue change, 'E'nd gesture.
class HostEventLog {
 public:
  HostEventLog();
  ~HostEventLog();
  HostEventLog(const HostEventLog&) = delete;
  HostEventLog& operator=(const HostEventLog&) = delete;
  // One letter per event, for one parameter.
  std::string KindsFor(int paramIdx) const;

 private:
  static void Listen(void* userData, void* sendingObject, const AudioUnitEvent* event);
  std::vector<std::pair<char, int>> mEvents;
};

// The host's view holding the editor's view, in a window of the display.
class ShownEditor {
 public:
  ShownEditor(korv_appkit::HeadlessDisplay* pDisplay, IGraphicsMac* pEditor);
  ~ShownEditor();
  ShownEditor(const ShownEditor&) = delete;
  ShownEditor& operator=(const ShownEditor&) = delete;

  NSWindow* Window() const { return mWindow; }
  NSView* View() const { return mView; }
  // The window point whose event reaches the editor at (x, y).
  static NSPoint ToWindow(int x, int y) { return NSMakePoint(x + 2, kEditorH - y - 3); }
  // Lets the redraw timer run for a few ticks.
  void Settle() const { mDisplay->advanceTime(0.2); }
  korv_appkit::ScreenRGB ScreenAt(int x, int y) const { return mDisplay->screenPixel(mWindow, x, y); }

 private:
  korv_appkit::HeadlessDisplay* mDisplay;
  IGraphicsMac* mEditor;
  NSView* mHostView;
  NSView* mView;
  NSWindow* mWindow;
};

korv_appkit::ScreenRGB ToScreen(RAST_pixel pixel);

}  // namespace mac_test
