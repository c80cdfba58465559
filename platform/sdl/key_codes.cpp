// Keys to Windows virtual-key codes. Letters and punctuation follow the active keyboard layout
// (SDL's key symbol), as Windows' own layouts do; the digit row, the keypad and the other keys go
// by the key's place on the keyboard (its scancode). Layouts without Latin letters keep the
// places' codes throughout, as theirs do on Windows.
#include "platform/sdl/sdl_platform.h"

namespace {

struct KeyCode {
    SDL_Scancode scancode;
    UINT code;
};

// Keys outside the letter, digit, keypad digit and function-key runs.
const KeyCode otherKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_KP_COMMA, VK_SEPARATOR},
    {SDL_SCANCODE_SEPARATOR, VK_SEPARATOR},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
};

// The keypad's 0 to 9 and its decimal point, with NumLock on and with it off.
struct KeypadKey {
    SDL_Scancode scancode;
    UINT digit;
    UINT navigation;
};
const KeypadKey keypadKeys[] = {
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, VK_INSERT},      {SDL_SCANCODE_KP_1, VK_NUMPAD1, VK_END},
    {SDL_SCANCODE_KP_2, VK_NUMPAD2, VK_DOWN},        {SDL_SCANCODE_KP_3, VK_NUMPAD3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_NUMPAD4, VK_LEFT},        {SDL_SCANCODE_KP_5, VK_NUMPAD5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_NUMPAD6, VK_RIGHT},       {SDL_SCANCODE_KP_7, VK_NUMPAD7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD8, VK_UP},          {SDL_SCANCODE_KP_9, VK_NUMPAD9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE},
};

// The punctuation codes by the character a key types unshifted, wherever the layout puts it.
struct Punctuation {
    SDL_Keycode symbol;
    UINT code;
};
const Punctuation punctuation[] = {
    {';', VK_OEM_1},      {'/', VK_OEM_2},     {'`', VK_OEM_3},    {'[', VK_OEM_4},
    {'\\', VK_OEM_5},     {']', VK_OEM_6},     {'\'', VK_OEM_7},   {',', VK_OEM_COMMA},
    {'.', VK_OEM_PERIOD}, {'-', VK_OEM_MINUS}, {'=', VK_OEM_PLUS}, {'+', VK_OEM_PLUS},
};

bool isLetterKey(SDL_Scancode scancode) {
    return scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z;
}

// The keys that type letters and punctuation: the letter keys and the punctuation keys around
// them, whose characters a layout may swap.
bool isCharacterKey(SDL_Scancode scancode) {
    return isLetterKey(scancode) ||
           (scancode >= SDL_SCANCODE_MINUS && scancode <= SDL_SCANCODE_SLASH) ||
           scancode == SDL_SCANCODE_NONUSBACKSLASH;
}

bool isLatinLetter(SDL_Keycode symbol) {
    return symbol >= 'a' && symbol <= 'z';
}

// A Latin layout puts Latin letters on the letter keys; others (Cyrillic, Greek, ...) do not.
bool latinLayout() {
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_Z; ++scancode) {
        if (isLatinLetter(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)))) {
            return true;
        }
    }
    return false;
}

// The code a layout's character gives, or 0 where the key's place decides.
UINT codeOfCharacter(SDL_Keycode symbol) {
    if (isLatinLetter(symbol)) {
        return static_cast<UINT>(symbol - 'a' + 'A');
    }
    for (const Punctuation &entry : punctuation) {
        if (entry.symbol == symbol) {
            return entry.code;
        }
    }
    return 0;
}

} // namespace

namespace platform {

UINT virtualKey(SDL_Scancode scancode, SDL_Keycode symbol, bool keypadDigits) {
    if (isCharacterKey(scancode) && latinLayout()) {
        const UINT code = codeOfCharacter(symbol);
        if (code != 0) {
            return code;
        }
    }
    if (isLetterKey(scancode)) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    // The digit row runs 1 to 9, then 0, whatever the layout puts on it.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + (scancode - SDL_SCANCODE_1);
    }
    if (scancode == SDL_SCANCODE_0) {
        return '0';
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        return VK_F1 + (scancode - SDL_SCANCODE_F1);
    }
    for (const KeypadKey &key : keypadKeys) {
        if (key.scancode == scancode) {
            return keypadDigits ? key.digit : key.navigation;
        }
    }
    for (const KeyCode &key : otherKeys) {
        if (key.scancode == scancode) {
            return key.code;
        }
    }
    return 0;
}

} // namespace platform
