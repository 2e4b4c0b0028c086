#pragma once
// The Cocoa view factory a host creates by the name the plug-in gives in its Cocoa view property,
// and the bundle's exported Carbon view entry. A plug-in bundle names both with one line:
//   KORV_AU_EXPORT_VIEWS(KORVALINE, "KORVAL-Q34 View");
// defines and registers the class KORVALINE_View and exports KORVALINE_ViewEntry.
#include <AudioUnit/AUCocoaUIView.h>

#include "au/ifx_au.h"

class IFxAUViewFactory : public NSObject, public AUCocoaUIBase {
 public:
  explicit IFxAUViewFactory(const char* description) : mDescription(description) {}

  unsigned interfaceVersion() override { return 0; }
  // The editor's new view at the editor's own size (the preferred size is not used), or null when
  // the unit has no plug-in or no editor.
  NSView* uiViewForAudioUnit(AudioUnit audioUnit, NSSize preferredSize) override;
  NSString description() const override { return mDescription; }

  // The plug-in whose view was asked for last; null before.
  IFxAU* mPlug = nullptr;

 private:
  NSString mDescription;
};

#define KORV_AU_EXPORT_VIEWS(Name, Description)                                                          \
  class Name##_View : public IFxAUViewFactory {                                                         \
   public:                                                                                               \
    Name##_View() : IFxAUViewFactory(Description) {}                                                     \
  };                                                                                                     \
  NS_REGISTER_CLASS(Name##_View);                                                                        \
  extern "C" __attribute__((visibility("default"))) ComponentResult Name##_ViewEntry(ComponentParameters* params, \
                                                                                    Handle pView) {         \
    return IFxAU::IFxAUCarbonViewEntry(params, pView);                                                   \
  }
