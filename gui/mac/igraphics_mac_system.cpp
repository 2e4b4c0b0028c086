// What every editor asks of the system, whichever plug-in it is built into: the Audio Unit binding
// asks it too before it offers a Cocoa view, so it lives with the shared part of the editor.
#include <ApplicationServices/ApplicationServices.h>

#include "framework/trace.h"
#include "gui/mac/igraphics_mac.h"

int IGraphicsMac::GetUserOSVersion() {
  SInt32 version = 0;
  if (Gestalt(gestaltSystemVersion, &version) != noErr) version = 0;
  Trace(__FUNCTION__, __LINE__, "%x", static_cast<unsigned>(version));
  return version;
}
