#pragma once
// The save dialog of the X11 display: a small window of our own with a field for the path and OK and
// Cancel buttons, run modally.
#include <functional>
#include <optional>

#include <AppKit/AppKit.h>

namespace korv_appkit {

// The path typed (starting as directory/name) when OK or Return ends the dialog; none when Cancel,
// Escape or closing the window does. serve runs the display for a moment at a time.
std::optional<NSString> RunSaveDialog(const NSString& directory, const NSString& name,
                                      const std::function<void()>& serve);

}  // namespace korv_appkit
