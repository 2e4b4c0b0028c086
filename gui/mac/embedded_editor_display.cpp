#include "gui/mac/embedded_editor_display.h"

#include <korval_platform/x11_display.h>

#include "gui/igraphics.h"

namespace {

std::unique_ptr<korv_appkit::X11Display> s_display;
int s_displayUsers = 0;

}  // namespace

std::unique_ptr<EmbeddedEditorDisplay> EmbeddedEditorDisplay::Acquire() {
  if (!s_display) s_display = std::make_unique<korv_appkit::X11Display>();
  if (!s_display->isOpen()) {
    if (s_displayUsers == 0) s_display.reset();
    return nullptr;
  }
  ++s_displayUsers;
  return std::unique_ptr<EmbeddedEditorDisplay>(new EmbeddedEditorDisplay);
}

EmbeddedEditorDisplay::~EmbeddedEditorDisplay() {
  CloseWindow();
  if (--s_displayUsers == 0) s_display.reset();
}

unsigned long EmbeddedEditorDisplay::ShowInside(IGraphics* pEditor, unsigned long parentXWindow, int scale) {
  if (mWindow || !pEditor) return 0;
  auto* pView = static_cast<NSView*>(pEditor->OpenWindow(nullptr));
  mWindow = s_display->openWindowIn(pView, parentXWindow, scale);
  // The window holds the view now, or nothing does and the editor closes it with itself.
  pView->release();
  if (!mWindow) return 0;
  const unsigned long xWindow = s_display->xWindowOf(mWindow);
  s_display->runFor(0);
  return xWindow;
}

void EmbeddedEditorDisplay::CloseWindow() {
  if (mWindow) s_display->closeWindow(mWindow);
  mWindow = nullptr;
}

bool EmbeddedEditorDisplay::Serve() {
  s_display->runFor(0);
  return s_display->isOpen();
}
