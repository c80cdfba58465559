// Keys to Windows virtual-key codes (key_codes.cpp).
#pragma once

#include <X11/Xlib.h>

#include "platform/win32.h"

namespace platform {

// The virtual-key code of a key (an X keycode) in the keyboard group of `state`, or 0 for keys
// that have none here. With `keypadDigits` the keypad gives its digits, else its navigation codes.
UINT virtualKey(Display *display, unsigned keycode, unsigned state, bool keypadDigits);

} // namespace platform
