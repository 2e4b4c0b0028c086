#pragma once
// The editor's Cocoa view: it polls the editor for dirty controls on a timer, draws the canvas when
// the window asks, and turns window events into editor coordinates, modifiers and key codes.
#include <AppKit/AppKit.h>

#include <memory>

#include "gui/gui_types.h"
#include "gui/igraphics.h"
#include "gui/mac/cocoa_class_names.h"

class IGraphicsMac;
class IControl;
class IParam;
class IPopupMenu;

// Left-button events: Command makes a right click.
IMouseMod GetMouseMod(const NSEvent* event);
IMouseMod GetRightMouseMod(const NSEvent* event);
// The editor's key code for a key press, or -1 when the editor has none for it.
int MapEditorKey(unsigned short keyCode, unichar character);

class KORV_COCOA_VIEW : public NSView, public NSViewToolTipOwner, public NSTextFieldDelegate {
 public:
  // A view of the editor's size with its redraw timer running in every run-loop mode.
  explicit KORV_COCOA_VIEW(IGraphicsMac* pGraphics);
  ~KORV_COCOA_VIEW() override;

  IGraphicsMac* Graphics() const { return mGraphics; }
  // Forgets the editor: later events and timer ticks are ignored.
  void Detach() { mGraphics = nullptr; }
  void killTimer();
  void registerToolTip(const IRECT& area);

  // Editor rectangles (origin top left) and view rectangles (origin bottom left).
  NSRect ToNSRect(const IRECT& r) const;
  IRECT ToIRECT(NSRect r) const;

  bool isOpaque() override { return mGraphics != nullptr; }
  bool acceptsFirstResponder() override { return true; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }
  void viewDidMoveToWindow() override;
  void drawRect(NSRect rect) override;
  void onTimer(NSTimer* timer);

  void mouseDown(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void rightMouseDown(NSEvent* event) override;
  void rightMouseUp(NSEvent* event) override;
  void rightMouseDragged(NSEvent* event) override;
  void mouseMoved(NSEvent* event) override;
  void scrollWheel(NSEvent* event) override;
  void keyDown(NSEvent* event) override;
  void removeFromSuperview() override;

  NSString viewStringForToolTip(NSView* view, NSToolTipTag tag, NSPoint point, void* userData) override;

  // Shows the menu over rect (view coordinates) until it closes; the menu model (the top one or a
  // submenu) holding the chosen item, with its index stored, or null when nothing was chosen.
  IPopupMenu* createIPopupMenu(IPopupMenu* pMenu, NSRect rect);
  // Shows the menu over rect and returns at once, keeping the model: onChosen later gets what
  // createIPopupMenu would have returned, when something is chosen before the menu or this view
  // closes. A second menu closes the first.
  void popUpIPopupMenu(std::unique_ptr<IPopupMenu> pMenu, NSRect rect, IGraphics::MenuChoice onChosen);
  // Opens a one-line field over rect holding str; ignored without an editor or control, or while
  // another field is open.
  void createTextEntry(IControl* pControl, IParam* pParam, const IText* pText, const char* str, NSRect rect);
  // Return, Tab or losing the keyboard (a click elsewhere) applies the typed text; Escape drops it.
  void controlTextDidEndEditing(NSNotification* notification) override;
  // Closes the field without applying its text, and the menu popUpIPopupMenu showed without a choice.
  void endUserInput();
  bool IsEditingText() const { return mTextFieldView != nullptr; }

 private:
  // The event's position in editor coordinates, remembered for key presses; false when detached.
  bool getMouseXY(const NSEvent* event, int* pX, int* pY);
  // The event that places a menu just under rect.
  NSEvent* menuEventUnder(NSRect rect);

  IGraphicsMac* mGraphics = nullptr;
  NSTimer* mTimer = nullptr;
  int mPrevX = 0, mPrevY = 0;
  NSMenu* mPromptMenu = nullptr;
  NSTextField* mTextFieldView = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  NSString mEdInitialText;
};

// A borderless window that can still take the keyboard.
class KORV_COCOA_WINDOW : public NSWindow {
 public:
  using NSWindow::NSWindow;
  bool canBecomeKeyWindow() override { return true; }
};

// Releases what was autoreleased inside its scope.
class CocoaAutoReleasePool {
 private:
  NSAutoreleasePool mPool;
};
