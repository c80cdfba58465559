// The one connection to the X server: opened by the program's start, closed at its end, and read
// by every part of the platform. It holds the screen, the atoms, and the screen-saver host's
// window when one stands for the screen.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace platform {

// A screen-saver host (the xscreensaver daemon and its settings preview, xsecurelock) makes a
// window, passes its id in XSCREENSAVER_WINDOW and ends the saver with SIGTERM. A full-screen run
// then draws into that window: the screen size is the window's size, and no window is made.
enum class HostWindow { none, ready, refused };

struct Connection {
    Display *display; // null without an X display
    int screen;
    Window root;
    Atom wmProtocols, wmDeleteWindow, wmState, wmStateFullScreen, frameExtents, requestFrameExtents,
        motifHints;
    HostWindow host;
    Window hostWindow;
    int hostWidth, hostHeight;
    Visual *hostVisual;
    Window drawnInHost; // ours inside the host's window where its visual does not fit, or 0
    // Checked requests: while `checking`, X errors are counted here instead of handled.
    bool checking;
    int caughtError;
};
extern Connection connection;

// Opens the display DISPLAY names; false when there is none. With `hostAllowed` a value of
// XSCREENSAVER_WINDOW is read and its window found, once for the run; a value that names no
// window to draw into is refused with one line on stderr.
bool openConnection(bool hostAllowed);
void closeConnection();

// Between the two, X errors are caught rather than handled; the second returns the first error's
// code, or Success, once the server has answered every request sent.
void catchErrors();
int caughtError();

} // namespace platform
