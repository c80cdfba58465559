// What the files of the SDL platform layer share: the windows with their device contexts, video
// start-up, and the hooks between windows, messages and display modes. Handles are reached through
// the handle table, never read through.
#pragma once

#include <SDL.h>

#include "platform/sdl/handle_table.h"
#include "platform/win32.h"

namespace platform {

struct WindowObject;

// A window's own device context: every window keeps one, as with CS_OWNDC.
struct DeviceContext {
    HDC handle;
    WindowObject *window;
    HGDIOBJ font;    // the font selected into the context
    int pixelFormat; // 0 until SetPixelFormat
};

struct WindowObject {
    bool inUse;
    bool destroying;
    bool fullScreen; // made full screen by a display-mode change
    // Drawn into a screen-saver host's window: its frame, place and size are the host's.
    bool hosted;
    HWND handle;
    SDL_Window *sdl;
    Uint32 sdlId;
    WNDPROC procedure;
    LONG style;
    // The outer rectangle, decorations included, as Win32 knows it; the client area is fitted
    // inside it once the window manager reports its decorations.
    int x, y, width, height;
    int borderTop, borderLeft, borderBottom, borderRight; // decorations last fitted for
    DeviceContext dc;
};

constexpr int windowCapacity = 4;
extern WindowObject windows[windowCapacity];

// Starts SDL's video on a real display (X11, else Wayland), unless SDL_VIDEODRIVER names another
// driver. False when there is no display; that is remembered.
bool ensureVideo();
bool videoReady();
// Ends SDL; what it changed on the display (modes, cursor) is restored.
void shutdownVideo();

// The live window behind a handle or an SDL window id, else null.
WindowObject *findWindow(HWND handle);
WindowObject *findWindowBySdlId(Uint32 id);
DeviceContext *findDc(HDC handle);

// Fits the client area into the outer rectangle for the decorations the window has now.
void fitWindow(WindowObject *window);
// Fits every window whose decorations changed since it was last fitted.
void refitWindows();
// Gives the window the border its style asks for: decorated with a full caption, else none.
void applyBorder(WindowObject *window);

// Forgets queued messages for a window that is going away.
void dropMessagesFor(WindowObject *window);
// SIGINT and SIGTERM post WM_CLOSE to every window instead of ending the process.
void installCloseSignals();
// Asks every window to close, as those signals do.
void requestClose();
// Whether SIGINT or SIGTERM has come since the program started.
bool closeSignalReceived();

// Starts reading fontconfig's configuration and font list on a thread of its own, once a run;
// it takes longer than anything else the glyph lists need and nothing else waits for it.
// wglUseFontBitmapsA waits for it to end, finishFonts too.
void prepareFonts();
void finishFonts();

// The glyph lists of wglUseFontBitmapsA for a font object, compiled into whatever OpenGL context
// is current (the headless tools have no device context). False for a handle that is no font.
bool compileGlyphLists(HGDIOBJ font, DWORD first, DWORD count, DWORD listBase);

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
