// The thread's message queue: SDL events become window messages, posted messages and the quit
// flag are kept as Windows keeps them, and PeekMessageA never waits.
#include <csignal>
#include <cstring>

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

// Buttons held, as MK_* bits, following the button messages already made.
WPARAM heldButtons = 0;

void onCloseSignal(int) {
    closeRequested = 1;
    closeSignalled = 1;
}

void post(HWND__ *window, UINT message, WPARAM wParam, LPARAM lParam, const POINT &pointer) {
    if (queued == queueCapacity) {
        return;
    }
    MSG &entry = queue[queued++];
    entry.hwnd = window;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    entry.time = SDL_GetTicks();
    entry.pt = pointer;
}

POINT pointerOnScreen() {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
}

WPARAM modifierBits() {
    const SDL_Keymod mod = SDL_GetModState();
    return ((mod & KMOD_SHIFT) ? MK_SHIFT : 0) | ((mod & KMOD_CTRL) ? MK_CONTROL : 0);
}

WPARAM buttonBits(Uint32 sdlButtons) {
    return ((sdlButtons & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0) |
           ((sdlButtons & SDL_BUTTON_RMASK) ? MK_RBUTTON : 0) |
           ((sdlButtons & SDL_BUTTON_MMASK) ? MK_MBUTTON : 0);
}

// Client coordinates travel as two 16-bit halves, read back as signed numbers.
LPARAM packPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// The window an input event is for. SDL names no window (id 0) until it has noticed that one of
// ours has the focus, which can come after the first keys; the X server sends input only to a
// window that has it, so such events go to the program's first visible window.
HWND__ *inputWindow(Uint32 sdlId) {
    HWND__ *window = platform::findWindowBySdlId(sdlId);
    if (window != nullptr || sdlId != 0) {
        return window;
    }
    for (HWND__ &candidate : platform::windows) {
        if (candidate.inUse && (SDL_GetWindowFlags(candidate.sdl) & SDL_WINDOW_SHOWN) != 0) {
            return &candidate;
        }
    }
    return nullptr;
}

void postKey(const SDL_KeyboardEvent &key) {
    HWND__ *window = inputWindow(key.windowID);
    const UINT code = platform::virtualKeyFromScancode(key.keysym.scancode);
    if (window == nullptr || code == 0) {
        return;
    }
    // With Alt held, and for F10 and Alt itself, Windows sends the system-key messages.
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    const bool system = alt || code == VK_F10 || code == VK_MENU;
    const bool up = key.type == SDL_KEYUP;
    const UINT message =
        up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
    // Repeat count 1; bit 29 with Alt; bit 30 when the key was down before; bit 31 on release.
    DWORD flags = 1;
    if (alt) {
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

void postButton(const SDL_MouseButtonEvent &button) {
    HWND__ *window = inputWindow(button.windowID);
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
    if (window != nullptr) {
        post(window, message, heldButtons | modifierBits(), packPoint(button.x, button.y),
             pointerOnScreen());
    }
}

void postMotion(const SDL_MouseMotionEvent &motion) {
    HWND__ *window = inputWindow(motion.windowID);
    if (window != nullptr) {
        post(window, WM_MOUSEMOVE, buttonBits(motion.state) | modifierBits(),
             packPoint(motion.x, motion.y), pointerOnScreen());
    }
}

// One notch is 120, positive away from the user; the position is on the screen.
void postWheel(const SDL_MouseWheelEvent &wheel) {
    HWND__ *window = inputWindow(wheel.windowID);
    if (window == nullptr) {
        return;
    }
    long delta = static_cast<long>(wheel.y) * WHEEL_DELTA;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
        delta = -delta;
    }
    delta = delta > 32767 ? 32767 : delta < -32768 ? -32768 : delta;
    const POINT pointer = pointerOnScreen();
    post(window, WM_MOUSEWHEEL,
         MAKEWPARAM(heldButtons | modifierBits(), static_cast<WORD>(static_cast<short>(delta))),
         packPoint(pointer.x, pointer.y), pointer);
}

void translate(const SDL_Event &event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        postKey(event.key);
        break;
    case SDL_MOUSEMOTION:
        postMotion(event.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        postButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        postWheel(event.wheel);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            HWND__ *window = platform::findWindowBySdlId(event.window.windowID);
            if (window != nullptr) {
                post(window, WM_CLOSE, 0, 0, pointerOnScreen());
            }
        }
        break;
    default:
        break;
    }
}

// A signal asks every window to close, once there is a window to ask.
void deliverCloseSignal() {
    if (!closeRequested) {
        return;
    }
    bool delivered = false;
    for (HWND__ &window : platform::windows) {
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

void dropMessagesFor(HWND__ *window) {
    for (int i = queued - 1; i >= 0; --i) {
        if (queue[i].hwnd == window) {
            removeQueued(i);
        }
    }
}

void installCloseSignals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
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
        lpMsg->time = SDL_GetTicks();
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
    HWND__ *window = lpMsg != nullptr ? platform::findWindow(lpMsg->hwnd) : nullptr;
    if (window == nullptr) {
        return 0;
    }
    return window->procedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void PostQuitMessage(int nExitCode) {
    quitPosted = true;
    quitCode = nExitCode;
}
