// The editor views the bundle offers its host: the Cocoa view factory class KORVALINE_View and the
// Carbon view entry KORVALINE_ViewEntry. Compiled into the bundle itself, so the class registers
// when the host loads it.
#include "au/au_view_factory.h"

KORV_AU_EXPORT_VIEWS(KORVALINE, "KORVAL-Q34 View")
