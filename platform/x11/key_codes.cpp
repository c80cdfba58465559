// Keys to Windows virtual-key codes, for the keys the program reads. A key that types a Latin
// letter in the event's group (unshifted) is that letter, wherever the layout puts it, as Windows'
// own layouts make it; layouts without Latin letters keep the US places' letters, as theirs do on
// Windows. The digit row, the function keys and the keypad go by the key's place on the keyboard,
// its keycode (the kernel's key number plus 8, as X servers on Linux number them).
#include <X11/XKBlib.h>

#include "platform/x11/keyboard.h"

namespace {

// The keys by place: Q to P, A to L and Z to M, on US keyboards.
constexpr unsigned firstRow = 24, secondRow = 38, thirdRow = 52;
const char rowLetters[][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};

// The keypad from keycode 79 (7) to 91 (the decimal point): digits with NumLock on, 0 with it
// off (the navigation keys, which the program does not read).
constexpr unsigned firstKeypadKey = 79;
const UINT keypad[] = {VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, 0,          VK_NUMPAD4,
                       VK_NUMPAD5, VK_NUMPAD6, 0,          VK_NUMPAD1, VK_NUMPAD2,
                       VK_NUMPAD3, VK_NUMPAD0, 0};

// The letter at a key's place on a US keyboard, or 0.
UINT placeLetter(unsigned keycode) {
    const unsigned starts[] = {firstRow, secondRow, thirdRow};
    for (int row = 0; row < 3; ++row) {
        const unsigned column = keycode - starts[row];
        if (keycode >= starts[row] && column < 10 && rowLetters[row][column] != 0) {
            return static_cast<UINT>(rowLetters[row][column]);
        }
    }
    return 0;
}

KeySym unshifted(Display *display, unsigned keycode, unsigned group) {
    return XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), group, 0);
}

bool isLatinLetter(KeySym symbol) {
    return symbol >= 'a' && symbol <= 'z';
}

// A Latin layout puts Latin letters on the letter keys; others (Cyrillic, Greek, ...) do not.
bool latinLayout(Display *display, unsigned group) {
    for (unsigned keycode = firstRow; keycode < thirdRow + 7; ++keycode) {
        if (placeLetter(keycode) != 0 && isLatinLetter(unshifted(display, keycode, group))) {
            return true;
        }
    }
    return false;
}

} // namespace

namespace platform {

UINT virtualKey(Display *display, unsigned keycode, unsigned state, bool keypadDigits) {
    const unsigned group = XkbGroupForCoreState(state);
    const KeySym symbol = unshifted(display, keycode, group);
    if (isLatinLetter(symbol)) {
        return static_cast<UINT>(symbol - 'a' + 'A');
    }
    const UINT letter = placeLetter(keycode);
    if (letter != 0) {
        return latinLayout(display, group) ? 0 : letter;
    }
    // The digit row runs 1 to 9, then 0, whatever the layout puts on it.
    if (keycode >= 10 && keycode <= 19) {
        return keycode == 19 ? '0' : '1' + (keycode - 10);
    }
    if (keycode >= 67 && keycode <= 76) {
        return VK_F1 + (keycode - 67);
    }
    switch (keycode) {
    case 9:
        return VK_ESCAPE;
    case 82: // the keypad's minus
        return VK_SUBTRACT;
    case 129: // the keypad's separator
        return VK_SEPARATOR;
    default:
        break;
    }
    const unsigned place = keycode - firstKeypadKey;
    const bool onKeypad = keycode >= firstKeypadKey && place < sizeof keypad / sizeof keypad[0];
    return onKeypad && keypadDigits ? keypad[place] : 0;
}

} // namespace platform
