// The thread's message queue: X events become window messages, each with the modifiers, buttons,
// place and time of its own moment; posted messages and the quit flag are kept as Windows keeps
// them, and PeekMessageA never waits.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cstring>

#include "platform/x11/connection.h"
#include "platform/x11/messages.h"
#include "platform/x11/windows.h"

namespace {

using platform::connection;

// Enough for every message one pass of the loop can bring; X keeps the events beyond it.
constexpr int queueCapacity = 64;
MSG queue[queueCapacity];
int queued = 0;

bool quitPosted = false;
int quitCode = 0;

// Keys become Windows virtual-key codes, for the keys the program reads. A key that types a Latin
// letter in the event's group (unshifted) is that letter, wherever the layout puts it, as Windows'
// own layouts make it; layouts without Latin letters keep the US places' letters, as theirs do on
// Windows. The digit row, the function keys and the keypad go by the key's place on the keyboard,
// its keycode (the kernel's key number plus 8, as X servers on Linux number them).

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

// The virtual-key code of a key (an X keycode) in the keyboard group of `state`, or 0 for keys
// the program does not read. With `keypadDigits` the keypad gives its digits, else nothing.
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

// The modifier keys held when an input event happened, as Windows counts them: AltGr is Ctrl and
// Alt together.
struct Modifiers {
    bool shift, control, alt, numLock;
};

void post(const platform::WindowObject *window, UINT message, WPARAM wParam, LPARAM lParam,
          DWORD time, POINT pointer) {
    if (queued < queueCapacity) {
        queue[queued++] = MSG{window->handle, message, wParam, lParam, time, pointer};
    }
}

// The state bits a keysym sets, in the keyboard mapping of the moment.
unsigned maskOf(KeySym keysym) {
    return XkbKeysymToModifiers(connection.display, keysym);
}

// X's state bits are those held just before the event, which hold a released key's own bit but
// not a pressed one's.
Modifiers modifiersOf(unsigned state) {
    const unsigned altGr = maskOf(XK_ISO_Level3_Shift) | maskOf(XK_Mode_switch);
    const unsigned alt = maskOf(XK_Alt_L) | maskOf(XK_Alt_R);
    const bool level3 = (state & altGr) != 0;
    return Modifiers{(state & ShiftMask) != 0, (state & ControlMask) != 0 || level3,
                     (state & alt) != 0 || level3, (state & maskOf(XK_Num_Lock)) != 0};
}

// The buttons and keys a mouse message carries: those the program reads.
WPARAM stateBits(unsigned state) {
    return ((state & Button1Mask) ? MK_LBUTTON : 0) | ((state & Button3Mask) ? MK_RBUTTON : 0) |
           ((state & ControlMask) ? MK_CONTROL : 0);
}

// Client coordinates travel as two 16-bit halves, read back as signed numbers.
LPARAM packPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// Windows sends pointer messages to the window under the pointer, and the program never captures
// the mouse: a drag that leaves the client area sends nothing until it comes back, though X goes
// on reporting it to the window where it began.
bool overClientArea(const platform::WindowObject *window, int x, int y) {
    return x >= 0 && y >= 0 && x < window->clientWidth && y < window->clientHeight;
}

// A key goes to the window with the focus, wherever it was pressed: a key pressed in another
// window and released over ours gives WM_KEYUP, as on Windows. While Alt is held without Ctrl
// (AltGr is both) a key gives the system-key messages, as Windows sends them.
void postKey(const platform::WindowObject *window, const XKeyEvent &key) {
    const bool up = key.type == KeyRelease;
    // The pressed key counts as held during its own press.
    const KeySym pressed = unshifted(connection.display, key.keycode, 0);
    const Modifiers held = modifiersOf(key.state | (up ? 0 : maskOf(pressed)));
    // Shift turns the keypad's digits back into navigation keys, as on Windows.
    const UINT code =
        virtualKey(connection.display, key.keycode, key.state, held.numLock && !held.shift);
    if (code == 0) {
        return;
    }
    const bool system = held.alt && !held.control;
    const UINT message =
        up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
    post(window, message, code, 0, static_cast<DWORD>(key.time), POINT{key.x_root, key.y_root});
}

// Buttons 1 and 3 are left and right (the program reads no other); 4 and 5 the wheel's notches,
// one press each, a delta of 120 away from the user and towards, with the position on the screen.
void postButton(const platform::WindowObject *window, const XButtonEvent &button) {
    const bool down = button.type == ButtonPress;
    const POINT pointer = {button.x_root, button.y_root};
    const DWORD time = static_cast<DWORD>(button.time);
    if (!overClientArea(window, button.x, button.y)) {
        return;
    }
    if (button.button == Button4 || button.button == Button5) {
        const short delta = button.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
        if (down) {
            post(window, WM_MOUSEWHEEL,
                 MAKEWPARAM(stateBits(button.state), static_cast<WORD>(delta)),
                 packPoint(pointer.x, pointer.y), time, pointer);
        }
        return;
    }
    if (button.button != Button1 && button.button != Button3) {
        return;
    }
    // X's state is that before the event: the button's own bit goes in on a press, out on a
    // release.
    const bool left = button.button == Button1;
    const unsigned mask = left ? Button1Mask : Button3Mask;
    const unsigned state = down ? button.state | mask : button.state & ~mask;
    const UINT message =
        left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    post(window, message, stateBits(state), packPoint(button.x, button.y), time, pointer);
}

void postMove(const platform::WindowObject *window, int x, int y, unsigned state, Time time,
              POINT pointer) {
    if (overClientArea(window, x, y)) {
        post(window, WM_MOUSEMOVE, stateBits(state), packPoint(x, y), static_cast<DWORD>(time),
             pointer);
    }
}

void translate(XEvent &event) {
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    platform::WindowObject *window = platform::findWindowOf(event.xany.window);
    if (window == nullptr) {
        return;
    }
    switch (event.type) {
    case KeyPress:
    case KeyRelease:
        postKey(window, event.xkey);
        break;
    case ButtonPress:
    case ButtonRelease:
        postButton(window, event.xbutton);
        break;
    case MotionNotify:
        postMove(window, event.xmotion.x, event.xmotion.y, event.xmotion.state, event.xmotion.time,
                 POINT{event.xmotion.x_root, event.xmotion.y_root});
        break;
    case EnterNotify:
        postMove(window, event.xcrossing.x, event.xcrossing.y, event.xcrossing.state,
                 event.xcrossing.time, POINT{event.xcrossing.x_root, event.xcrossing.y_root});
        break;
    case ClientMessage:
        if (event.xclient.message_type == connection.wmProtocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == connection.wmDeleteWindow) {
            post(window, WM_CLOSE, 0, 0, GetTickCount(), POINT{0, 0});
        }
        break;
    case PropertyNotify:
        if (event.xproperty.atom == connection.frameExtents) {
            platform::readFrame(window);
        }
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == window->drawable) {
            window->clientWidth = event.xconfigure.width;
            window->clientHeight = event.xconfigure.height;
        }
        break;
    case DestroyNotify:
        // The host destroyed its window under the program: a request about it fails, and the X
        // error handler ends the run at once.
        if (window->hosted && event.xdestroywindow.window == connection.hostWindow) {
            XWindowAttributes attributes;
            XGetWindowAttributes(connection.display, connection.hostWindow, &attributes);
        }
        break;
    default:
        break;
    }
}

// A signal asks the window to close, once there is a window to ask and room to ask it.
void deliverCloseSignal() {
    const platform::WindowObject &window = platform::window;
    if (platform::closeRequested && window.inUse && queued < queueCapacity) {
        platform::closeRequested = 0;
        post(&window, WM_CLOSE, 0, 0, GetTickCount(), POINT{0, 0});
    }
}

void pumpEvents() {
    Display *display = connection.display;
    if (display == nullptr) {
        return;
    }
    XEvent event;
    while (queued < queueCapacity && XPending(display) > 0) {
        XNextEvent(display, &event);
        translate(event);
    }
}

} // namespace

namespace platform {

volatile std::sig_atomic_t closeRequested = 0;

} // namespace platform

// Posted and input messages come first, in order; WM_QUIT only when none is left. The program
// asks for any message of the thread, so no filter is applied.
BOOL PeekMessageA(LPMSG lpMsg, HWND, UINT, UINT, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        return FALSE;
    }
    deliverCloseSignal();
    if (queued == 0) {
        pumpEvents();
    }
    if (queued > 0) {
        *lpMsg = queue[0];
        if (wRemoveMsg & PM_REMOVE) {
            std::memmove(&queue[0], &queue[1], sizeof queue[0] * (queued - 1));
            --queued;
        }
        return TRUE;
    }
    if (quitPosted) {
        *lpMsg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, GetTickCount(), {0, 0}};
        if (wRemoveMsg & PM_REMOVE) {
            quitPosted = false;
        }
        return TRUE;
    }
    return FALSE;
}

// No character messages are made: the program reads none.
BOOL TranslateMessage(const MSG *) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG *lpMsg) {
    const platform::WindowObject *window =
        lpMsg != nullptr ? platform::findWindow(lpMsg->hwnd) : nullptr;
    if (window == nullptr) {
        return 0;
    }
    return window->procedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void PostQuitMessage(int nExitCode) {
    quitPosted = true;
    quitCode = nExitCode;
}
