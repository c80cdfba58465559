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

// Starts reading fontconfig's configuration and font list on a thread of its own, once a run;
// it takes longer than anything else the glyph lists need and nothing else waits for it.
// wglUseFontBitmapsA waits for it to end, finishFonts too.
void prepareFonts();
void finishFonts();

// The glyph lists of wglUseFontBitmapsA for a font object, compiled into whatever OpenGL context
// is current (the headless tools have no device context). False for a handle that is no font.
bool compileGlyphLists(HGDIOBJ font, DWORD first, DWORD count, DWORD listBase);

// The Windows virtual-key code of a key, or 0 for keys that have none here.
UINT virtualKeyFromScancode(SDL_Scancode scancode);

} // namespace platform
