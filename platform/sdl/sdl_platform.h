// What the files of the SDL platform layer share: the window table with each window's device
// context, video start-up, and the hooks between windows, messages and display modes.
#pragma once

#include <SDL.h>

#include "platform/win32.h"

struct HDC__ {
    HWND__ *window;
    HGDIOBJ font;    // the font selected into the context
    int pixelFormat; // 0 until SetPixelFormat
};

struct HWND__ {
    bool inUse;
    bool destroying;
    bool fullScreen; // made full screen by a display-mode change
    SDL_Window *sdl;
    Uint32 sdlId;
    WNDPROC procedure;
    LONG style;
    // The outer rectangle, decorations included, as Win32 knows it; the client area is fitted
    // inside it once the window manager reports its decorations.
    int x, y, width, height;
    int borderTop, borderLeft, borderBottom, borderRight; // decorations last fitted for
    HDC__ dc;
};

namespace platform {

constexpr int windowCapacity = 4;
extern HWND__ windows[windowCapacity];

// Starts SDL's video on a real display (X11, else Wayland), unless SDL_VIDEODRIVER names another
// driver. False when there is no display; that is remembered.
bool ensureVideo();
bool videoReady();
// Ends SDL; what it changed on the display (modes, cursor) is restored.
void shutdownVideo();

// The live window behind a handle or an SDL window id, else null.
HWND__ *findWindow(HWND handle);
HWND__ *findWindowBySdlId(Uint32 id);
HDC__ *findDc(HDC handle);

// Fits the client area into the outer rectangle for the decorations the window has now.
void fitWindow(HWND__ *window);
// Fits every window whose decorations changed since it was last fitted.
void refitWindows();
// Gives the window the border its style asks for: decorated with a full caption, else none.
void applyBorder(HWND__ *window);

// Forgets queued messages for a window that is going away.
void dropMessagesFor(HWND__ *window);
// SIGINT and SIGTERM post WM_CLOSE to every window instead of ending the process.
void installCloseSignals();

// The Windows virtual-key code of a key under the active layout, or 0 for keys that have none
// here. With `keypadDigits` the keypad gives its digits, else its navigation codes.
UINT virtualKey(SDL_Scancode scancode, SDL_Keycode symbol, bool keypadDigits);

// The modifier keys held when an input event happened, as Windows counts them: AltGr is Ctrl and
// Alt together.
struct Modifiers {
    bool shift, control, alt, numLock;
};

// Whether input comes from an X server. SDL passes its core events on to the queue
// (SDL_SYSWMEVENT) ahead of the SDL events made from them; those of its input extension (moves
// while no button is held) come after them, and SDL's event then goes without a note.
bool inputFromX11();
// Notes the X event SDL passed on; the SDL event that follows may come from it.
void noteX11Event(const SDL_SysWMmsg *message);
// What the X input event behind an SDL event said: the modifiers held at that moment, a modifier
// key counting as held during its own press and release, and for the pointer its place in the
// window (SDL keeps the pointer's place inside the window, X does not).
struct X11Input {
    Modifiers held;
    int x, y;
};
// Whether the SDL event `type` (key, button, motion, wheel) came from the X input event noted
// last, which `input` then describes. False for the events SDL makes up: releases of the held
// keys when the focus leaves, presses of the held modifiers when it comes back, a move when a
// button goes up outside the window. Each SDL input event takes the note.
bool takeX11Input(Uint32 type, X11Input *input);

} // namespace platform
