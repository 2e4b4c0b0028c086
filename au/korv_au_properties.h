#pragma once
// Properties of our own beyond the system's (in the range the system leaves to plug-ins), shared by
// the binding and the hosts that know about them.
#include "framework/editor_layout.h"

// UInt32, global scope, set only: which editor the next Cocoa view shows (EEditorLayout). Set it
// before asking for the view; a view already open keeps showing the editor it was made for.
inline constexpr unsigned kKorvAUProperty_EditorLayout = 64000;
