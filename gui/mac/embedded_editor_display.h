#pragma once
// An editor shown inside a window of another program (a plug-in UI inside its host's editor area),
// on the process's one X display. Every holder shares that display: the first opens it and the last
// closes it. Used on one thread, as hosts call their UIs.
#include <memory>

class IGraphics;
class NSWindow;

class EmbeddedEditorDisplay {
 public:
  // Null when the X display cannot be reached.
  static std::unique_ptr<EmbeddedEditorDisplay> Acquire();
  ~EmbeddedEditorDisplay();
  EmbeddedEditorDisplay(const EmbeddedEditorDisplay&) = delete;
  EmbeddedEditorDisplay& operator=(const EmbeddedEditorDisplay&) = delete;

  // Shows the editor's view inside parentXWindow, at its top left corner, with scale device pixels
  // per point (the window is that many times the editor's size): the X window showing it, or 0 when
  // that parent does not exist. One editor per holder.
  unsigned long ShowInside(IGraphics* pEditor, unsigned long parentXWindow, int scale = 1);
  // Closes the window ShowInside opened; the editor must still exist.
  void CloseWindow();
  // Serves events, timers and redraws once; false when the display has gone.
  bool Serve();

 private:
  EmbeddedEditorDisplay() = default;
  NSWindow* mWindow = nullptr;
};
