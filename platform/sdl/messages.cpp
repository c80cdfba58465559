// The thread's message queue: SDL events become window messages, posted messages and the quit
// flag are kept as Windows keeps them, and PeekMessageA never waits.
#include <csignal>
#include <cstring>

#include "platform/sdl/close_signals.h"
#include "platform/sdl/sdl_platform.h"

namespace {

// Enough for every message one pass of the loop can bring; SDL keeps the events beyond it.
constexpr int queueCapacity = 64;
MSG queue[queueCapacity];
int queued = 0;

bool quitPosted = false;
int quitCode = 0;

volatile std::sig_atomic_t closeRequested = 0;
volatile std::sig_atomic_t closeSignalled = 0; // stays set

// Buttons held, as MK_* bits, following the button events already read.
WPARAM heldButtons = 0;

// The modifiers as SDL's last key event left them, for input that brings no state of its own,
// and the pointer's place in SDL's last pointer event.
platform::Modifiers trackedModifiers = {};
POINT lastPointer = {-1, -1};

// Alt went down as a system key and no other system key has come since.
bool altAlone = false;

void onCloseSignal(int) {
    closeRequested = 1;
    closeSignalled = 1;
}

void post(const platform::WindowObject *window, UINT message, WPARAM wParam, LPARAM lParam,
          const POINT &pointer) {
    if (queued == queueCapacity) {
        return;
    }
    MSG &entry = queue[queued++];
    entry.hwnd = window->handle;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    entry.time = GetTickCount();
    entry.pt = pointer;
}

POINT pointerOnScreen() {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
}

platform::Modifiers modifiersOf(Uint16 mod) {
    return platform::Modifiers{(mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0,
                               (mod & KMOD_ALT) != 0, (mod & KMOD_NUM) != 0};
}

// A modifier key counts as held during its own press and release; SDL's modifiers of a key event
// are those after it, which leave a released key's own bit out.
Uint16 modifiersWithKey(const SDL_KeyboardEvent &key) {
    const struct {
        SDL_Scancode scancode;
        Uint16 bit;
    } ownBits[] = {{SDL_SCANCODE_LSHIFT, KMOD_LSHIFT}, {SDL_SCANCODE_RSHIFT, KMOD_RSHIFT},
                   {SDL_SCANCODE_LCTRL, KMOD_LCTRL},   {SDL_SCANCODE_RCTRL, KMOD_RCTRL},
                   {SDL_SCANCODE_LALT, KMOD_LALT},     {SDL_SCANCODE_RALT, KMOD_RALT}};
    Uint16 mod = key.keysym.mod;
    for (const auto &entry : ownBits) {
        if (entry.scancode == key.keysym.scancode) {
            mod |= entry.bit;
        }
    }
    return mod;
}

WPARAM modifierBits(const platform::Modifiers &held) {
    return (held.shift ? MK_SHIFT : 0) | (held.control ? MK_CONTROL : 0);
}

WPARAM buttonBits(Uint32 sdlButtons) {
    return ((sdlButtons & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0) |
           ((sdlButtons & SDL_BUTTON_RMASK) ? MK_RBUTTON : 0) |
           ((sdlButtons & SDL_BUTTON_MMASK) ? MK_MBUTTON : 0);
}

// Windows sends pointer messages to the window under the pointer, and the program never captures
// the mouse: a drag that leaves the client area sends nothing until it comes back, though X goes
// on reporting it to the window where it began. `place` is where the pointer really is.
bool overClientArea(const platform::WindowObject *window, const POINT &place) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window->sdl, &width, &height);
    return place.x >= 0 && place.y >= 0 && place.x < width && place.y < height;
}

// Client coordinates travel as two 16-bit halves, read back as signed numbers.
LPARAM packPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// The window an input event is for. SDL names no window (id 0) until it has noticed that one of
// ours has the focus, which can come after the first keys; the X server sends input only to a
// window that has it, so such events go to the program's first visible window.
platform::WindowObject *inputWindow(Uint32 sdlId) {
    platform::WindowObject *window = platform::findWindowBySdlId(sdlId);
    if (window != nullptr || sdlId != 0) {
        return window;
    }
    for (platform::WindowObject &candidate : platform::windows) {
        if (candidate.inUse && (SDL_GetWindowFlags(candidate.sdl) & SDL_WINDOW_SHOWN) != 0) {
            return &candidate;
        }
    }
    return nullptr;
}

// Whether a key's message is a system-key message, as Windows decides it from the modifiers held
// (the key's own included; AltGr is Ctrl and Alt together): Alt's press unless Ctrl is held, and
// its release unless another system key came in between; Ctrl's release while Alt is held; any
// other key while Alt is held without Ctrl; F10 always.
bool systemKey(UINT code, bool up, const platform::Modifiers &held) {
    if (code == VK_MENU) {
        const bool system = up ? altAlone : !held.control;
        altAlone = !up && system;
        return system;
    }
    const bool system =
        code == VK_CONTROL && up ? held.alt : code == VK_F10 || (held.alt && !held.control);
    altAlone = altAlone && !system;
    return system;
}

void postKey(const SDL_KeyboardEvent &key, const platform::Modifiers &held) {
    platform::WindowObject *window = inputWindow(key.windowID);
    // Shift turns the keypad's digits back into navigation keys, as on Windows.
    const UINT code =
        platform::virtualKey(key.keysym.scancode, key.keysym.sym, held.numLock && !held.shift);
    if (window == nullptr || code == 0) {
        return;
    }
    const bool up = key.type == SDL_KEYUP;
    const bool system = systemKey(code, up, held);
    const UINT message =
        up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
    // Repeat count 1; bit 29 while Alt is down; bit 30 when the key was down before; bit 31 on
    // release.
    DWORD flags = 1;
    if (code == VK_MENU ? !up : held.alt) {
        flags |= 1u << 29;
    }
    if (up || key.repeat) {
        flags |= 1u << 30;
    }
    if (up) {
        flags |= 1u << 31;
    }
    post(window, message, code, static_cast<LPARAM>(flags), pointerOnScreen());
}

void postButton(const SDL_MouseButtonEvent &button, const platform::Modifiers &held,
                const POINT &place) {
    platform::WindowObject *window = inputWindow(button.windowID);
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    WPARAM bit = 0;
    UINT message = 0;
    switch (button.button) {
    case SDL_BUTTON_LEFT:
        bit = MK_LBUTTON;
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case SDL_BUTTON_RIGHT:
        bit = MK_RBUTTON;
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case SDL_BUTTON_MIDDLE:
        bit = MK_MBUTTON;
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    default:
        return;
    }
    heldButtons = down ? (heldButtons | bit) : (heldButtons & ~bit);
    if (window != nullptr && overClientArea(window, place)) {
        post(window, message, heldButtons | modifierBits(held), packPoint(button.x, button.y),
             pointerOnScreen());
    }
}

void postMotion(const SDL_MouseMotionEvent &motion, const platform::Modifiers &held,
                const POINT &place) {
    platform::WindowObject *window = inputWindow(motion.windowID);
    if (window != nullptr && overClientArea(window, place)) {
        post(window, WM_MOUSEMOVE, buttonBits(motion.state) | modifierBits(held),
             packPoint(motion.x, motion.y), pointerOnScreen());
    }
}

// One notch is 120, positive away from the user; the position is on the screen.
void postWheel(const SDL_MouseWheelEvent &wheel, const platform::Modifiers &held,
               const POINT &place) {
    platform::WindowObject *window = inputWindow(wheel.windowID);
    if (window == nullptr || !overClientArea(window, place)) {
        return;
    }
    long delta = static_cast<long>(wheel.y) * WHEEL_DELTA;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
        delta = -delta;
    }
    delta = delta > 32767 ? 32767 : delta < -32768 ? -32768 : delta;
    const POINT pointer = pointerOnScreen();
    post(window, WM_MOUSEWHEEL,
         MAKEWPARAM(heldButtons | modifierBits(held), static_cast<WORD>(static_cast<short>(delta))),
         packPoint(pointer.x, pointer.y), pointer);
}

bool isInput(Uint32 type) {
    return type == SDL_KEYDOWN || type == SDL_KEYUP || type == SDL_MOUSEMOTION ||
           type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP || type == SDL_MOUSEWHEEL;
}

// Input events become messages in the order they happened, each with the modifiers and the
// pointer's place of its own moment: those of the X event behind it where there is one (X sends
// some pointer moves through an extension, which comes after SDL's event), else those of SDL's
// event and of the key events before it.
void translateInput(const SDL_Event &event) {
    platform::X11Input input = {};
    const bool fromServer = platform::takeX11Input(event.type, &input);
    const platform::Modifiers held = fromServer ? input.held : trackedModifiers;
    const auto place = [&](int x, int y) {
        return fromServer ? POINT{input.x, input.y} : POINT{x, y};
    };
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        trackedModifiers = modifiersOf(event.key.keysym.mod);
        // Over X, a key event that no X event brought is SDL's own doing on a focus change:
        // releases of the held keys when the focus leaves (on Windows a key's real release goes to
        // the window that has the focus then), presses of the held modifiers when it comes back.
        if (fromServer) {
            postKey(event.key, input.held);
        } else if (!platform::inputFromX11()) {
            postKey(event.key, modifiersOf(modifiersWithKey(event.key)));
        }
        break;
    case SDL_MOUSEMOTION: {
        // SDL repeats the pointer's last place when a button goes up outside the window.
        const SDL_MouseMotionEvent &motion = event.motion;
        const bool moved = fromServer || motion.x != lastPointer.x || motion.y != lastPointer.y;
        lastPointer = POINT{motion.x, motion.y};
        if (moved) {
            postMotion(motion, held, place(motion.x, motion.y));
        }
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        lastPointer = POINT{event.button.x, event.button.y};
        postButton(event.button, held, place(event.button.x, event.button.y));
        break;
    default:
        postWheel(event.wheel, held, place(event.wheel.mouseX, event.wheel.mouseY));
        break;
    }
}

void translate(const SDL_Event &event) {
    if (event.type == SDL_SYSWMEVENT) {
        platform::noteX11Event(event.syswm.msg);
    } else if (isInput(event.type)) {
        translateInput(event);
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        platform::WindowObject *window = platform::findWindowBySdlId(event.window.windowID);
        if (window != nullptr) {
            post(window, WM_CLOSE, 0, 0, pointerOnScreen());
        }
    }
}

// A signal asks every window to close, once there is a window to ask.
void deliverCloseSignal() {
    if (!closeRequested) {
        return;
    }
    bool delivered = false;
    for (platform::WindowObject &window : platform::windows) {
        if (window.inUse) {
            post(&window, WM_CLOSE, 0, 0, POINT{0, 0});
            delivered = true;
        }
    }
    if (delivered) {
        closeRequested = 0;
    }
}

void pumpEvents() {
    if (!platform::videoReady()) {
        return;
    }
    SDL_Event event;
    while (queued < queueCapacity && SDL_PollEvent(&event)) {
        translate(event);
    }
    platform::refitWindows();
}

bool matches(const MSG &message, HWND window, UINT first, UINT last) {
    if (window != nullptr && message.hwnd != window) {
        return false;
    }
    return (first == 0 && last == 0) || (message.message >= first && message.message <= last);
}

int findQueued(HWND window, UINT first, UINT last) {
    for (int i = 0; i < queued; ++i) {
        if (matches(queue[i], window, first, last)) {
            return i;
        }
    }
    return -1;
}

void removeQueued(int index) {
    std::memmove(&queue[index], &queue[index + 1], sizeof queue[0] * (queued - index - 1));
    --queued;
}

} // namespace

namespace platform {

void dropMessagesFor(WindowObject *window) {
    for (int i = queued - 1; i >= 0; --i) {
        if (queue[i].hwnd == window->handle) {
            removeQueued(i);
        }
    }
}

void installCloseSignals() {
    catchCloseSignals(onCloseSignal);
}

void requestClose() {
    closeRequested = 1;
}

bool closeSignalReceived() {
    return closeSignalled != 0;
}

} // namespace platform

// Posted and input messages come first, in order; WM_QUIT only when none is left.
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        return FALSE;
    }
    deliverCloseSignal();
    int index = findQueued(hWnd, wMsgFilterMin, wMsgFilterMax);
    if (index < 0) {
        pumpEvents();
        index = findQueued(hWnd, wMsgFilterMin, wMsgFilterMax);
    }
    if (index >= 0) {
        *lpMsg = queue[index];
        if (wRemoveMsg & PM_REMOVE) {
            removeQueued(index);
        }
        return TRUE;
    }
    if (quitPosted) {
        std::memset(lpMsg, 0, sizeof *lpMsg);
        lpMsg->message = WM_QUIT;
        lpMsg->wParam = static_cast<WPARAM>(quitCode);
        lpMsg->time = GetTickCount();
        if (wRemoveMsg & PM_REMOVE) {
            quitPosted = false;
        }
        return TRUE;
    }
    return FALSE;
}

// No character messages are made; key messages count as translated, as on Windows.
BOOL TranslateMessage(const MSG *lpMsg) {
    if (lpMsg == nullptr) {
        return FALSE;
    }
    const UINT message = lpMsg->message;
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
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
