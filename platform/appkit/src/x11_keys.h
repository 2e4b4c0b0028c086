#pragma once
// X key symbols translated to the platform's hardware key codes and function-key characters.
#include <X11/Xlib.h>

namespace korv_appkit {

// False for keys the platform's keyboard has no code for.
bool KeyCodeForKeySym(KeySym keysym, unsigned short* keyCode);
// The character the platform gives keys without a printable one (arrows, Delete, Return ...); 0 if none.
unsigned short FunctionCharacterForKeySym(KeySym keysym);

}  // namespace korv_appkit
