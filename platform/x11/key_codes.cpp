// Keys to Windows virtual-key codes. Letters and punctuation follow the active keyboard layout
// (the key's unshifted symbol in the event's group), as Windows' own layouts do; the digit row,
// the keypad and the other keys go by the key's place on the keyboard, its keycode (the kernel's
// key number plus 8, as X servers on Linux number them). Layouts without Latin letters keep the
// places' codes throughout, as theirs do on Windows.
#include <X11/XKBlib.h>

#include <cstddef>

#include "platform/x11/keyboard.h"

namespace {

// The keys by place: Q to P, A to L and Z to M, on US keyboards.
constexpr unsigned firstRow = 24, secondRow = 38, thirdRow = 52;
const char rowLetters[][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};

struct KeyCode {
    unsigned keycode;
    UINT code;
};

// The punctuation keys around the letters, whose characters a layout may swap, by place.
const KeyCode punctuationKeys[] = {
    {20, VK_OEM_MINUS}, {21, VK_OEM_PLUS},   {34, VK_OEM_4}, {35, VK_OEM_6},
    {51, VK_OEM_5},     {47, VK_OEM_1},      {48, VK_OEM_7}, {49, VK_OEM_3},
    {59, VK_OEM_COMMA}, {60, VK_OEM_PERIOD}, {61, VK_OEM_2}, {94, VK_OEM_102},
};

// Keys outside the letter, digit, keypad digit and function-key runs.
const KeyCode otherKeys[] = {
    {9, VK_ESCAPE},      {36, VK_RETURN},    {22, VK_BACK},     {23, VK_TAB},      {65, VK_SPACE},
    {66, VK_CAPITAL},    {107, VK_SNAPSHOT}, {78, VK_SCROLL},   {127, VK_PAUSE},   {118, VK_INSERT},
    {110, VK_HOME},      {112, VK_PRIOR},    {119, VK_DELETE},  {115, VK_END},     {117, VK_NEXT},
    {114, VK_RIGHT},     {113, VK_LEFT},     {116, VK_DOWN},    {111, VK_UP},      {77, VK_NUMLOCK},
    {106, VK_DIVIDE},    {63, VK_MULTIPLY},  {82, VK_SUBTRACT}, {86, VK_ADD},      {104, VK_RETURN},
    {129, VK_SEPARATOR}, {135, VK_APPS},     {37, VK_CONTROL},  {105, VK_CONTROL}, {50, VK_SHIFT},
    {62, VK_SHIFT},      {64, VK_MENU},      {108, VK_MENU},    {92, VK_MENU},     {133, VK_LWIN},
    {134, VK_RWIN},
};

// The keypad's 0 to 9 and its decimal point, with NumLock on and with it off.
struct KeypadKey {
    unsigned keycode;
    UINT digit;
    UINT navigation;
};
const KeypadKey keypadKeys[] = {
    {90, VK_NUMPAD0, VK_INSERT}, {87, VK_NUMPAD1, VK_END},    {88, VK_NUMPAD2, VK_DOWN},
    {89, VK_NUMPAD3, VK_NEXT},   {83, VK_NUMPAD4, VK_LEFT},   {84, VK_NUMPAD5, VK_CLEAR},
    {85, VK_NUMPAD6, VK_RIGHT},  {79, VK_NUMPAD7, VK_HOME},   {80, VK_NUMPAD8, VK_UP},
    {81, VK_NUMPAD9, VK_PRIOR},  {91, VK_DECIMAL, VK_DELETE},
};

// The punctuation codes by the character a key types unshifted, wherever the layout puts it.
const KeyCode punctuation[] = {
    {';', VK_OEM_1},      {'/', VK_OEM_2},     {'`', VK_OEM_3},    {'[', VK_OEM_4},
    {'\\', VK_OEM_5},     {']', VK_OEM_6},     {'\'', VK_OEM_7},   {',', VK_OEM_COMMA},
    {'.', VK_OEM_PERIOD}, {'-', VK_OEM_MINUS}, {'=', VK_OEM_PLUS}, {'+', VK_OEM_PLUS},
};

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

template <std::size_t count>
UINT lookUp(const KeyCode (&table)[count], unsigned key) {
    for (const KeyCode &entry : table) {
        if (entry.keycode == key) {
            return entry.code;
        }
    }
    return 0;
}

// A Latin layout puts Latin letters on the letter keys; others (Cyrillic, Greek, ...) do not.
bool latinLayout(Display *display, unsigned group) {
    for (unsigned keycode = firstRow; keycode < thirdRow + 7; ++keycode) {
        const KeySym symbol =
            XkbKeycodeToKeysym(display, static_cast<::KeyCode>(keycode), group, 0);
        if (placeLetter(keycode) != 0 && symbol >= 'a' && symbol <= 'z') {
            return true;
        }
    }
    return false;
}

} // namespace

namespace platform {

UINT virtualKey(Display *display, unsigned keycode, unsigned state, bool keypadDigits) {
    const UINT letter = placeLetter(keycode);
    const UINT placePunctuation = lookUp(punctuationKeys, keycode);
    const unsigned group = XkbGroupForCoreState(state);
    if ((letter != 0 || placePunctuation != 0) && latinLayout(display, group)) {
        const KeySym symbol =
            XkbKeycodeToKeysym(display, static_cast<::KeyCode>(keycode), group, 0);
        if (symbol >= 'a' && symbol <= 'z') {
            return static_cast<UINT>(symbol - 'a' + 'A');
        }
        const UINT code = lookUp(punctuation, static_cast<unsigned>(symbol));
        if (code != 0) {
            return code;
        }
    }
    if (letter != 0 || placePunctuation != 0) {
        return letter != 0 ? letter : placePunctuation;
    }
    // The digit row runs 1 to 9, then 0, whatever the layout puts on it.
    if (keycode >= 10 && keycode <= 19) {
        return keycode == 19 ? '0' : '1' + (keycode - 10);
    }
    if (keycode >= 67 && keycode <= 76) {
        return VK_F1 + (keycode - 67);
    }
    if (keycode == 95 || keycode == 96) {
        return VK_F10 + 1 + (keycode - 95);
    }
    for (const KeypadKey &key : keypadKeys) {
        if (key.keycode == keycode) {
            return keypadDigits ? key.digit : key.navigation;
        }
    }
    return lookUp(otherKeys, keycode);
}

} // namespace platform
