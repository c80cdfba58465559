// The program's windows (windows.cpp) with their device contexts. Handles are reached through
// the handle table, never read through.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/win32.h"

namespace platform {

struct WindowObject;

// A window's own device context: every window keeps one, as with CS_OWNDC.
struct DeviceContext {
    HDC handle;
    WindowObject *window;
    HGDIOBJ font;    // the font selected into the context; null for the system font
    int pixelFormat; // 0 until SetPixelFormat
};

struct WindowObject {
    bool inUse;
    bool shown;
    // Held full screen by the window manager, at a display mode the program set.
    bool fullScreen;
    // Drawn into a screen-saver host's window: its frame, place and size are the host's.
    bool hosted;
    HWND handle;
    Window drawable; // the X window drawn into: ours, the host's or ours inside the host's
    XVisualInfo visual;
    Colormap colormap; // of a window of ours
    WNDPROC procedure;
    LONG style;
    // The outer rectangle, decorations included, as Win32 knows it; the client area is fitted
    // inside it for the decorations the window manager reports.
    int x, y, width, height;
    int frame[4];                  // the decorations last reported: left, right, top, bottom
    int clientWidth, clientHeight; // the X window's size as last reported
    DeviceContext dc;
};

// The program makes one window at a time.
extern WindowObject window;

// The live window behind a handle, or behind an X window drawn into; the live device context
// behind a handle; else null.
WindowObject *findWindow(HWND handle);
WindowObject *findWindowOf(Window drawable);
DeviceContext *findDc(HDC handle);

// Gives the window what its state asks of the window manager: full screen or not, decorated when
// its style has a full caption, and the client area fitted into the outer rectangle for the
// decorations it has now.
void placeWindow(WindowObject *window);
// Reads the decorations the window manager reports for the window, and fits it to new ones.
void readFrame(WindowObject *window);

} // namespace platform
