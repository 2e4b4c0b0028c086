#include "platform/appkit/src/x11_keys.h"

#include <X11/keysym.h>

#include <Carbon/Carbon.h>

#include "platform/appkit/src/ansi_keys.h"

namespace korv_appkit {

bool KeyCodeForKeySym(KeySym keysym, unsigned short* keyCode) {
  struct Pair {
    KeySym keysym;
    unsigned short keyCode;
  };
  static const Pair kOthers[] = {
      {XK_space, kVK_Space},          {XK_Return, kVK_Return},         {XK_Tab, kVK_Tab},
      {XK_BackSpace, kVK_Delete},     {XK_Escape, kVK_Escape},         {XK_Left, kVK_LeftArrow},
      {XK_Right, kVK_RightArrow},     {XK_Down, kVK_DownArrow},        {XK_Up, kVK_UpArrow},
      {XK_Home, kVK_Home},            {XK_End, kVK_End},               {XK_Page_Up, kVK_PageUp},
      {XK_Page_Down, kVK_PageDown},   {XK_Delete, kVK_ForwardDelete},  {XK_minus, kVK_ANSI_Minus},
      {XK_equal, kVK_ANSI_Equal},     {XK_bracketleft, kVK_ANSI_LeftBracket},
      {XK_bracketright, kVK_ANSI_RightBracket},                        {XK_backslash, kVK_ANSI_Backslash},
      {XK_semicolon, kVK_ANSI_Semicolon},                              {XK_apostrophe, kVK_ANSI_Quote},
      {XK_comma, kVK_ANSI_Comma},     {XK_period, kVK_ANSI_Period},    {XK_slash, kVK_ANSI_Slash},
      {XK_grave, kVK_ANSI_Grave},     {XK_KP_Enter, kVK_ANSI_KeypadEnter},
      {XK_KP_Decimal, kVK_ANSI_KeypadDecimal},                         {XK_KP_Add, kVK_ANSI_KeypadPlus},
      {XK_KP_Subtract, kVK_ANSI_KeypadMinus},                          {XK_KP_Multiply, kVK_ANSI_KeypadMultiply},
      {XK_KP_Divide, kVK_ANSI_KeypadDivide}};
  if (keysym >= XK_a && keysym <= XK_z) {
    *keyCode = kAnsiLetterKeys[keysym - XK_a];
  } else if (keysym >= XK_A && keysym <= XK_Z) {
    *keyCode = kAnsiLetterKeys[keysym - XK_A];
  } else if (keysym >= XK_0 && keysym <= XK_9) {
    *keyCode = kAnsiDigitKeys[keysym - XK_0];
  } else if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
    static const unsigned short kKeypad[10] = {kVK_ANSI_Keypad0, kVK_ANSI_Keypad1, kVK_ANSI_Keypad2,
                                               kVK_ANSI_Keypad3, kVK_ANSI_Keypad4, kVK_ANSI_Keypad5,
                                               kVK_ANSI_Keypad6, kVK_ANSI_Keypad7, kVK_ANSI_Keypad8,
                                               kVK_ANSI_Keypad9};
    *keyCode = kKeypad[keysym - XK_KP_0];
  } else {
    for (const Pair& pair : kOthers) {
      if (pair.keysym == keysym) {
        *keyCode = pair.keyCode;
        return true;
      }
    }
    return false;
  }
  return true;
}

unsigned short FunctionCharacterForKeySym(KeySym keysym) {
  switch (keysym) {
    case XK_Up: return 0xF700;
    case XK_Down: return 0xF701;
    case XK_Left: return 0xF702;
    case XK_Right: return 0xF703;
    case XK_Home: return 0xF729;
    case XK_End: return 0xF72B;
    case XK_Page_Up: return 0xF72C;
    case XK_Page_Down: return 0xF72D;
    case XK_Delete: return 0xF728;
    case XK_BackSpace: return 0x7F;
    case XK_Return: return 0x0D;
    case XK_KP_Enter: return 0x03;
    case XK_Tab: return 0x09;
    case XK_Escape: return 0x1B;
    default: return 0;
  }
}

}  // namespace korv_appkit
