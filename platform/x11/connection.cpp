#include "platform/x11/connection.h"

#include <X11/XKBlib.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

Connection connection;

} // namespace platform

namespace {

using platform::connection;

// The value as it can be shown on one line: printable characters only, cut short.
const char *shown(const char *value) {
    static char text[44];
    std::snprintf(text, sizeof text, "%s", value);
    for (char *c = text; *c != '\0'; ++c) {
        *c = (*c >= 0x20 && *c < 0x7F) ? *c : '?';
    }
    if (std::strlen(value) >= sizeof text) {
        std::memcpy(text + sizeof text - 4, "...", 3);
    }
    return text;
}

// A window id as hosts write it: "0x" and hexadecimal digits, or decimal digits, with blanks
// around. Returns null, or why the text is not a window id.
const char *parseWindowId(const char *text, unsigned long *id) {
    text += std::strspn(text, " \t");
    const bool hexadecimal = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    // A digit first: strtoull would take other white space and a sign too.
    char *end = const_cast<char *>(text);
    errno = 0;
    const unsigned long long value = std::isdigit(static_cast<unsigned char>(text[0])) != 0
                                         ? std::strtoull(text, &end, hexadecimal ? 16 : 10)
                                         : 0;
    end += std::strspn(end, " \t");
    if (end == text || *end != '\0') {
        return "is not a window id: it must be a number, 0x... hexadecimal or decimal";
    }
    if (errno == ERANGE || value > 0xFFFFFFFFull) {
        return "is not a window id: it is larger than 32 bits";
    }
    if (value == 0) {
        return "is not a window id: 0 names no window";
    }
    *id = static_cast<unsigned long>(value);
    return nullptr;
}

// The window XSCREENSAVER_WINDOW names, if it is one that can be drawn into; null, or why not.
const char *findHostWindow(const char *value) {
    unsigned long id = 0;
    if (const char *why = parseWindowId(value, &id)) {
        return why;
    }
    XWindowAttributes attributes;
    platform::catchErrors();
    const Status found = XGetWindowAttributes(connection.display, id, &attributes);
    if (platform::caughtError() != Success || found == 0) {
        static char why[160];
        std::snprintf(why, sizeof why, "names no window on the display %s",
                      DisplayString(connection.display));
        return why;
    }
    if (attributes.c_class == InputOnly) {
        return "names an input-only window, which cannot be drawn into";
    }
    connection.hostWindow = id;
    connection.hostWidth = attributes.width;
    connection.hostHeight = attributes.height;
    connection.hostVisual = attributes.visual;
    return nullptr;
}

} // namespace

namespace platform {

bool openConnection(bool hostAllowed) {
    connection = Connection();
    connection.display = XOpenDisplay(nullptr);
    Display *display = connection.display;
    if (display == nullptr) {
        return false;
    }
    connection.screen = DefaultScreen(display);
    // A held key repeats its press alone, as on Windows, not a release and a press.
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    connection.root = RootWindow(display, connection.screen);
    char *names[] = {
        const_cast<char *>("WM_PROTOCOLS"),       const_cast<char *>("WM_DELETE_WINDOW"),
        const_cast<char *>("_NET_WM_STATE"),      const_cast<char *>("_NET_WM_STATE_FULLSCREEN"),
        const_cast<char *>("_NET_FRAME_EXTENTS"), const_cast<char *>("_NET_REQUEST_FRAME_EXTENTS"),
        const_cast<char *>("_MOTIF_WM_HINTS")};
    Atom atoms[7];
    XInternAtoms(display, names, 7, False, atoms);
    connection.wmProtocols = atoms[0];
    connection.wmDeleteWindow = atoms[1];
    connection.wmState = atoms[2];
    connection.wmStateFullScreen = atoms[3];
    connection.frameExtents = atoms[4];
    connection.requestFrameExtents = atoms[5];
    connection.motifHints = atoms[6];
    const char *value = hostAllowed ? std::getenv("XSCREENSAVER_WINDOW") : nullptr;
    if (value != nullptr) {
        const char *why = findHostWindow(value);
        connection.host = why == nullptr ? HostWindow::ready : HostWindow::refused;
        if (why != nullptr) {
            std::fprintf(stderr, "nimbrost: XSCREENSAVER_WINDOW=\"%s\" %s\n", shown(value), why);
        }
    }
    return true;
}

void closeConnection() {
    if (connection.display != nullptr) {
        XCloseDisplay(connection.display);
    }
    connection = Connection();
}

void catchErrors() {
    XSync(connection.display, False);
    connection.checking = true;
    connection.caughtError = Success;
}

int caughtError() {
    XSync(connection.display, False);
    connection.checking = false;
    return connection.caughtError;
}

} // namespace platform
