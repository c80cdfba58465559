// Window classes and top-level windows on Xlib: creation with WM_CREATE, destruction with
// WM_DESTROY, the default window procedure, the style word, what the window manager is asked and
// the cursor's display count. Where a screen-saver host's window stands for the screen, the
// program's window is drawn into it instead of being made.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <strings.h>

#include <cstdio>

#include "platform/x11/connection.h"
#include "platform/x11/handle_table.h"
#include "platform/x11/windows.h"

namespace {

using platform::connection;

// The program registers one window class, and names it by its name alone: a constant string,
// which is kept rather than copied.
struct WindowClass {
    bool registered;
    const char *name;
    WNDPROC procedure;
};
WindowClass windowClass;

// The atom Windows gives to the first class registered.
constexpr ATOM firstClassAtom = 0xC000;

// Win32 shows the cursor while this count is 0 or more; over a host's window the pointer is the
// host's.
int cursorCount = 0;
Cursor blankCursor = None;

// The one pixel format: RGBA with 8 bits a colour, a double buffer and a depth buffer of at least
// 16 bits.
int pixelFormat[] = {
    GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
    8,        GLX_DEPTH_SIZE,   16,           None};

// Input as the program's windows select it. Only one client may select button presses on a
// window: where a host holds them, the program goes without.
constexpr long inputEvents = KeyPressMask | KeyReleaseMask | PointerMotionMask | EnterWindowMask;
constexpr long buttonEvents = ButtonPressMask | ButtonReleaseMask;

// Compared without case, as Windows does.
bool isRegistered(LPCSTR name) {
    return windowClass.registered && name != nullptr && strcasecmp(windowClass.name, name) == 0;
}

int atLeastOne(int size) {
    return size < 1 ? 1 : size;
}

// Ends the handles of a window and of its device context, those it has, and frees its place.
void forgetWindow(platform::WindowObject *window) {
    platform::closeHandle(window->dc.handle, platform::HandleKind::deviceContext);
    platform::closeHandle(window->handle, platform::HandleKind::window);
    *window = platform::WindowObject();
}

void applyCursor(const platform::WindowObject &window) {
    if (window.hosted) {
        return;
    }
    if (cursorCount >= 0) {
        XUndefineCursor(connection.display, window.drawable);
        return;
    }
    if (blankCursor == None) {
        static const char nothing[1] = {0};
        const Pixmap empty =
            XCreateBitmapFromData(connection.display, connection.root, nothing, 1, 1);
        XColor black = {};
        blankCursor = XCreatePixmapCursor(connection.display, empty, empty, &black, &black, 0, 0);
        XFreePixmap(connection.display, empty);
    }
    XDefineCursor(connection.display, window.drawable, blankCursor);
}

// A request to the window manager about a window: a client message to the root window.
void askWindowManager(Window window, Atom message, long first, long second) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = message;
    event.xclient.format = 32;
    event.xclient.data.l[0] = first;
    event.xclient.data.l[1] = second;
    event.xclient.data.l[3] = 1; // from an application
    XSendEvent(connection.display, connection.root, False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// Decorations on or off, as the Motif hints say them: flags 2 (decorations), then the decorations.
void askDecorations(Window window, bool on) {
    const long hints[5] = {2, 0, on ? 1 : 0, 0, 0};
    XChangeProperty(connection.display, window, connection.motifHints, connection.motifHints, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(hints), 5);
}

// The visual of a host's window, if it fits the pixel format.
bool fittingVisual(Visual *visual, XVisualInfo *fitting) {
    XVisualInfo wanted;
    wanted.visualid = XVisualIDFromVisual(visual);
    int count = 0;
    XVisualInfo *info = XGetVisualInfo(connection.display, VisualIDMask, &wanted, &count);
    if (info == nullptr) {
        return false;
    }
    auto value = [&](int attribute) {
        int result = 0;
        return glXGetConfig(connection.display, info, attribute, &result) == 0 ? result : 0;
    };
    const bool fits = value(GLX_USE_GL) && value(GLX_RGBA) && value(GLX_DOUBLEBUFFER) &&
                      value(GLX_RED_SIZE) >= 8 && value(GLX_GREEN_SIZE) >= 8 &&
                      value(GLX_BLUE_SIZE) >= 8 && value(GLX_DEPTH_SIZE) >= 16;
    *fitting = *info;
    XFree(info);
    return fits;
}

// An X window of the pixel format's visual: top-level for the program's own windows, or filling
// a host's window whose visual does not fit. None when the screen has no such visual.
Window makeWindow(Window parent, int x, int y, int width, int height, long events,
                  platform::WindowObject *window) {
    XVisualInfo *chosen = glXChooseVisual(connection.display, connection.screen, pixelFormat);
    if (chosen == nullptr) {
        return None;
    }
    window->visual = *chosen;
    XFree(chosen);
    XSetWindowAttributes attributes;
    window->colormap =
        XCreateColormap(connection.display, parent, window->visual.visual, AllocNone);
    attributes.colormap = window->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = events;
    return XCreateWindow(connection.display, parent, x, y, static_cast<unsigned>(atLeastOne(width)),
                         static_cast<unsigned>(atLeastOne(height)), 0, window->visual.depth,
                         InputOutput, window->visual.visual,
                         CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
}

// Draws into the host's window, or into a window of ours filling it where its visual does not
// fit. The host's window reports its end; it gets the input, buttons too where it can.
bool adoptHostWindow(platform::WindowObject *window) {
    Window drawable = connection.hostWindow;
    if (!fittingVisual(connection.hostVisual, &window->visual)) {
        drawable = makeWindow(connection.hostWindow, 0, 0, connection.hostWidth,
                              connection.hostHeight, 0, window);
        if (drawable == None) {
            std::fprintf(stderr,
                         "nimbrost: the window 0x%lx of XSCREENSAVER_WINDOW cannot be drawn "
                         "into: no visual of its screen offers OpenGL with RGBA, a double buffer "
                         "and a 16-bit depth buffer\n",
                         connection.hostWindow);
            return false;
        }
        connection.drawnInHost = drawable;
        XMapWindow(connection.display, drawable);
    }
    const long watched = drawable == connection.hostWindow ? StructureNotifyMask : 0;
    platform::catchErrors();
    XSelectInput(connection.display, drawable, watched | inputEvents | buttonEvents);
    if (platform::caughtError() != Success) {
        XSelectInput(connection.display, drawable, watched | inputEvents);
    }
    if (drawable != connection.hostWindow) {
        XSelectInput(connection.display, connection.hostWindow, StructureNotifyMask);
    }
    window->drawable = drawable;
    window->clientWidth = connection.hostWidth;
    window->clientHeight = connection.hostHeight;
    window->hosted = true;
    return true;
}

// A top-level window with the name, the closing protocol and the place the program asked for.
bool makeTopLevel(platform::WindowObject *window, const char *name) {
    const long events = inputEvents | buttonEvents | StructureNotifyMask | PropertyChangeMask;
    window->drawable = makeWindow(connection.root, window->x, window->y, window->width,
                                  window->height, events, window);
    if (window->drawable == None) {
        return false;
    }
    window->clientWidth = window->width;
    window->clientHeight = window->height;
    // Placed where asked, the outer rectangle's corner at (x, y); given the focus when shown.
    XSizeHints size = {};
    size.flags = USPosition | PPosition | PWinGravity;
    size.win_gravity = NorthWestGravity;
    XWMHints hints = {};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XClassHint classHint = {const_cast<char *>("nimbrost"), const_cast<char *>("Nimbrost")};
    // The name as STRING, made directly: Xlib's conversion through the locale would load its
    // locale tables first.
    char *names[] = {const_cast<char *>(name)};
    XTextProperty text = {};
    XStringListToTextProperty(names, 1, &text);
    XSetWMProperties(connection.display, window->drawable, &text, &text, nullptr, 0, &size, &hints,
                     &classHint);
    XFree(text.value);
    XSetWMProtocols(connection.display, window->drawable, &connection.wmDeleteWindow, 1);
    return true;
}

// Shows the window: the window manager is asked for the decorations it will put around it first,
// so that the first placing takes them into account.
void showWindow(platform::WindowObject *window) {
    askWindowManager(window->drawable, connection.requestFrameExtents, 0, 0);
    platform::placeWindow(window);
    XMapWindow(connection.display, window->drawable);
    window->shown = true;
    XFlush(connection.display);
}

} // namespace

namespace platform {

WindowObject window;

WindowObject *findWindow(HWND handle) {
    return static_cast<WindowObject *>(handleObject(handle, HandleKind::window));
}

DeviceContext *findDc(HDC handle) {
    return static_cast<DeviceContext *>(handleObject(handle, HandleKind::deviceContext));
}

WindowObject *findWindowOf(Window drawable) {
    const bool found =
        window.drawable == drawable || (window.hosted && connection.hostWindow == drawable);
    return window.inUse && found ? &window : nullptr;
}

void placeWindow(WindowObject *window) {
    if (window->hosted) {
        return;
    }
    askDecorations(window->drawable, (window->style & WS_CAPTION) == WS_CAPTION);
    // Only a shown window is made full screen: add (1) or remove (0) the state.
    askWindowManager(window->drawable, connection.wmState, window->fullScreen ? 1 : 0,
                     static_cast<long>(connection.wmStateFullScreen));
    if (!window->fullScreen) {
        const int width = window->width - window->frame[0] - window->frame[1];
        const int height = window->height - window->frame[2] - window->frame[3];
        XMoveResizeWindow(connection.display, window->drawable, window->x, window->y,
                          static_cast<unsigned>(atLeastOne(width)),
                          static_cast<unsigned>(atLeastOne(height)));
    }
}

// Placed again only for new decorations: a window manager that writes the same ones again as it
// places the window makes no loop.
void readFrame(WindowObject *window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    bool changed = false;
    if (XGetWindowProperty(connection.display, window->drawable, connection.frameExtents, 0, 4,
                           False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 4) {
        const long *extents = reinterpret_cast<const long *>(data);
        for (int side = 0; side < 4; ++side) {
            changed = changed || window->frame[side] != extents[side];
            window->frame[side] = static_cast<int>(extents[side]);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    if (changed) {
        placeWindow(window);
    }
}

} // namespace platform

ATOM RegisterClassA(const WNDCLASSA *lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpfnWndProc == nullptr ||
        lpWndClass->lpszClassName == nullptr || windowClass.registered) {
        return 0;
    }
    windowClass = WindowClass{true, lpWndClass->lpszClassName, lpWndClass->lpfnWndProc};
    return firstClassAtom;
}

// Only top-level windows are made. The window is made hidden, gets WM_CREATE, and is shown
// afterwards when its style holds WS_VISIBLE, in the order Windows follows. Where a host's window
// was refused, no window is made.
HWND CreateWindowExA(DWORD, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND, HMENU, HINSTANCE, void *) {
    platform::WindowObject *window = &platform::window;
    if (!isRegistered(lpClassName) || window->inUse || connection.display == nullptr ||
        connection.host == platform::HostWindow::refused) {
        return nullptr;
    }
    *window = platform::WindowObject();
    window->handle = static_cast<HWND>(platform::openHandle(platform::HandleKind::window, window));
    window->dc.handle =
        static_cast<HDC>(platform::openHandle(platform::HandleKind::deviceContext, &window->dc));
    window->style = static_cast<LONG>(dwStyle);
    window->x = X;
    window->y = Y;
    window->width = nWidth;
    window->height = nHeight;
    const bool made = window->handle != nullptr && window->dc.handle != nullptr &&
                      (connection.host == platform::HostWindow::ready
                           ? adoptHostWindow(window)
                           : makeTopLevel(window, lpWindowName != nullptr ? lpWindowName : ""));
    if (!made) {
        forgetWindow(window);
        return nullptr;
    }
    window->inUse = true;
    window->procedure = windowClass.procedure;
    window->dc.window = window;
    applyCursor(*window);
    // The program reads nothing of WM_CREATE's record, and never refuses its window.
    window->procedure(window->handle, WM_CREATE, 0, 0);
    if ((dwStyle & WS_VISIBLE) && !window->hosted) {
        showWindow(window);
    }
    return window->handle;
}

// A host's window stays; a window of ours inside it goes.
BOOL DestroyWindow(HWND hWnd) {
    platform::WindowObject *window = platform::findWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    window->procedure(hWnd, WM_DESTROY, 0, 0);
    if (window->drawable != connection.hostWindow) {
        XDestroyWindow(connection.display, window->drawable);
        XFreeColormap(connection.display, window->colormap);
    }
    if (window->hosted) {
        connection.drawnInHost = None;
        XSelectInput(connection.display, connection.hostWindow, 0);
    }
    XFlush(connection.display);
    forgetWindow(window);
    return TRUE;
}

// The program handles WM_CLOSE itself; the defaults of the other messages do nothing here.
LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
    const platform::WindowObject *window = platform::findWindow(hWnd);
    return window != nullptr && nIndex == GWL_STYLE ? window->style : 0;
}

// As on Windows, the caption bits take effect when SetWindowPos says the frame changed.
LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    platform::WindowObject *window = platform::findWindow(hWnd);
    if (window == nullptr || nIndex != GWL_STYLE) {
        return 0;
    }
    const LONG previous = window->style;
    window->style = dwNewLong;
    return previous;
}

// The program calls it only for its new style to take effect: the place, size and z order stay.
BOOL SetWindowPos(HWND hWnd, HWND, int, int, int, int, UINT) {
    platform::WindowObject *window = platform::findWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    if (window->shown) {
        platform::placeWindow(window);
        XFlush(connection.display);
    }
    return TRUE;
}

int ShowCursor(BOOL bShow) {
    cursorCount += bShow ? 1 : -1;
    if (platform::window.inUse) {
        applyCursor(platform::window);
    }
    return cursorCount;
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr || connection.display == nullptr) {
        return FALSE;
    }
    Window root = None, child = None;
    int windowX = 0, windowY = 0;
    unsigned state = 0;
    XQueryPointer(connection.display, connection.root, &root, &child, &lpPoint->x, &lpPoint->y,
                  &windowX, &windowY, &state);
    return TRUE;
}

// The program hands the icon and the cursor only to its window class, which keeps neither: an X
// window shows the window manager's icon and the desktop's pointer.
HICON LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
    return nullptr;
}
