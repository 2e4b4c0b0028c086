// The Mac editor test plug-in as a component bundle: its component entry and its two editor views.
#include "au/au_view_factory.h"
#include "mac_test_plug.h"

IFxAU* MakePlug() { return new mac_test::MacTestPlug; }

extern "C" __attribute__((visibility("default"))) ComponentResult MacViewTest_Entry(ComponentParameters* params,
                                                                                   Handle pPlug) {
  return IFxAU::IFxAUEntry(params, pPlug);
}

KORV_AU_EXPORT_VIEWS(MacViewTest, "MacViewTest View")
