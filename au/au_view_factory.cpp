#include "au/au_view_factory.h"

#include "gui/igraphics.h"

NSView* IFxAUViewFactory::uiViewForAudioUnit(AudioUnit audioUnit, NSSize) {
  mPlug = reinterpret_cast<IFxAU*>(GetComponentInstanceStorage(audioUnit));
  IGraphics* pEditor = GetEditor(mPlug);
  if (!pEditor) return nullptr;
  NSView* pView = static_cast<NSView*>(pEditor->OpenWindow(nullptr));
  mPlug->OnGUIOpen();
  return pView;
}
