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
    // Drawn into a screen-saver host's window: its frame, place and size are the host's.
    bool hosted;
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
// Asks every window to close, as those signals do.
void requestClose();
// Whether SIGINT or SIGTERM has come since the program started.
bool closeSignalReceived();

// The Windows virtual-key code of a key, or 0 for keys that have none here.
UINT virtualKeyFromScancode(SDL_Scancode scancode);

// A screen-saver host on X11 (the xscreensaver daemon and its settings preview, xsecurelock)
// makes a window, passes its id in XSCREENSAVER_WINDOW and ends the saver with SIGTERM. A
// full-screen run takes that window for the screen: the screen size is the window's size, and
// the program's window is drawn into it instead of being made.
enum class HostWindow { none, ready, refused };
// Reads XSCREENSAVER_WINDOW and finds its window, once until video shuts down. A value that is
// not a window id, or names no window that can be drawn into, is refused with one line on stderr.
HostWindow lookUpHostWindow();
// What the lookup found, without looking.
HostWindow hostWindowState();
int hostWindowWidth();
int hostWindowHeight();
// An SDL window for OpenGL drawing into the host's window, with input and the window's end
// watched; null, said on stderr, when it cannot be drawn into.
SDL_Window *adoptHostWindow();
// Lets go of the host's window after its SDL window was destroyed; the host's window stays.
void releaseHostWindow();
// Forgets the lookup once SDL's video has ended, so that the next start reads the variable again.
void forgetHostWindow();
// Whether the host destroyed its window under the running program.
bool hostWindowLost();

// The exit status of a run that did not end normally because the display, or the host's window
// the program drew into, went away.
constexpr int displayLostExitCode = 3;
// Closes the MIDI output, stops the synthesizer's audio and ends the process with `exitCode`,
// running nothing else: for a run whose display or window is gone.
[[noreturn]] void endAtOnce(int exitCode);
// From now on the end of the X server (or of the connection to it) ends the run at once with
// displayLostExitCode.
void watchDisplay();
// Closes the MIDI output if it is open.
void closeMidiOutput();

} // namespace platform
