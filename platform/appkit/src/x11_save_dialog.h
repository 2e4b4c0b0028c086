#pragma once
// The save dialog of the X11 display: a small window of our own with a field for the path and OK and
// Cancel buttons, run modally.
#include <functional>
#include <optional>

#include <AppKit/AppKit.h>

namespace korv_appkit {

// The path typed (starting as directory/name) when OK or Return ends the dialog; none when Cancel,
// Escape or closing the window does. serve runs the display for a moment at a time with the dialog's
// window taking the input; when it returns false (the display went away, or the program is ending)
// the dialog ends as cancelled.
std::optional<NSString> RunSaveDialog(const NSString& directory, const NSString& name,
                                      const std::function<bool(NSWindow* dialog)>& serve);

}  // namespace korv_appkit
