// Keys to Windows virtual-key codes (key_codes.cpp).
#pragma once

#include <X11/Xlib.h>

#include "platform/win32.h"

namespace platform {

// The virtual-key code of a key (an X keycode) in the keyboard group of `state`, or 0 for keys
// the program does not read. With `keypadDigits` the keypad gives its digits, else nothing.
UINT virtualKey(Display *display, unsigned keycode, unsigned state, bool keypadDigits);

} // namespace platform
