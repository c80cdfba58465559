// Drawing into a screen-saver host's window (see sdl_platform.h). The window is looked up on a
// connection of our own, which also holds the child window made when the host's visual does not
// fit the pixel format. SDL draws through its own connection, on which the input and the end of
// the host's window are watched.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>
#include <SDL_syswm.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_platform.h"

namespace {

struct Host {
    bool read; // the variable was read since video started
    platform::HostWindow state;
    const char *value;   // the variable's value
    Display *display;    // our own connection, while a window was found
    Window window;       // the host's window
    int width, height;   // its size when it was found
    Window child;        // ours, filling the host's window when its visual does not fit, or 0
    Colormap colormap;   // the child's
    Display *sdlDisplay; // SDL's connection, once the window is adopted
    bool adopted;        // SDL draws into the window, input and its end are watched
    bool gone;           // the host destroyed its window
    bool lost;           // ... while the program was running, before any close signal
    bool errorsHandled;  // handleHostWindowErrors is the X error handler
    XErrorHandler previousErrorHandler;
};

Host host;

// The pixel format the program asks for, as a GLX visual must offer it: RGBA with 8 bits a
// colour, a double buffer and a depth buffer of at least 16 bits.
int pixelFormat[] = {
    GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
    8,        GLX_DEPTH_SIZE,   16,           None};

// Input as the program's own windows select it. Only one client may select button presses on a
// window: where the host holds them, the program goes without.
constexpr long keyAndPointerEvents = KeyPressMask | KeyReleaseMask | PointerMotionMask |
                                     EnterWindowMask | LeaveWindowMask | FocusChangeMask;
constexpr long buttonEvents = ButtonPressMask | ButtonReleaseMask;

// The value as it can be shown on one line: printable characters only, cut short.
const char *shownValue() {
    static char shown[44];
    std::size_t length = 0;
    for (const char *c = host.value; *c != '\0' && length < sizeof shown - 1; ++c) {
        shown[length++] = (*c >= 0x20 && *c < 0x7F) ? *c : '?';
    }
    if (host.value[length] != '\0') {
        std::memcpy(shown + sizeof shown - 4, "...", 3);
        length = sizeof shown - 1;
    }
    shown[length] = '\0';
    return shown;
}

platform::HostWindow refuse(const char *why) {
    std::fprintf(stderr, "nimbrost: XSCREENSAVER_WINDOW=\"%s\" %s\n", shownValue(), why);
    if (host.display != nullptr) {
        XCloseDisplay(host.display);
        host.display = nullptr;
    }
    host.state = platform::HostWindow::refused;
    return host.state;
}

// A window id as hosts write it: "0x" and hexadecimal digits, or decimal digits, with blanks
// around. Returns null, or why the text is not a window id.
const char *parseWindowId(const char *text, unsigned long *id) {
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    const bool hexadecimal = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = hexadecimal ? text + 2 : text;
    const char *valid = hexadecimal ? "0123456789abcdefABCDEF" : "0123456789";
    const std::size_t count = std::strspn(digits, valid);
    const char *end = digits + count;
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (count == 0 || *end != '\0') {
        return "is not a window id: it must be a number, 0x... hexadecimal or decimal";
    }
    errno = 0;
    const unsigned long long value = std::strtoull(digits, nullptr, hexadecimal ? 16 : 10);
    if (errno == ERANGE || value > 0xFFFFFFFFull) {
        return "is not a window id: it is larger than 32 bits";
    }
    if (value == 0) {
        return "is not a window id: 0 names no window";
    }
    *id = static_cast<unsigned long>(value);
    return nullptr;
}

// X errors caught while a request is checked; the first one's code.
int caughtError = Success;

int catchError(Display *, XErrorEvent *error) {
    if (caughtError == Success) {
        caughtError = error->error_code;
    }
    return 0;
}

// Sends what `request` asks and waits for the answer, with errors caught; the first error's
// code, or Success.
template <typename Request>
int checked(Display *display, Request request) {
    XSync(display, False);
    caughtError = Success;
    const XErrorHandler previous = XSetErrorHandler(catchError);
    request();
    XSync(display, False);
    XSetErrorHandler(previous);
    return caughtError;
}

// An error about the host's window (or the child in it) means that the host destroyed it. The
// run ends at once: the OpenGL driver may not go on with a window that is gone (Mesa's software
// rasteriser takes the size of a window it failed to query from uninitialised memory), so the
// program cannot draw on until it notices. Errors that follow the window's end are expected;
// other errors go where they went.
int handleHostWindowErrors(Display *display, XErrorEvent *error) {
    if (error->resourceid == host.window || (host.child != 0 && error->resourceid == host.child)) {
        platform::endAtOnce(platform::closeSignalReceived() ? 0 : platform::displayLostExitCode);
    }
    if (host.gone) {
        return 0;
    }
    return host.previousErrorHandler != nullptr ? host.previousErrorHandler(display, error) : 0;
}

bool fitsPixelFormat(Visual *visual) {
    XVisualInfo wanted;
    wanted.visualid = XVisualIDFromVisual(visual);
    int count = 0;
    XVisualInfo *info = XGetVisualInfo(host.display, VisualIDMask, &wanted, &count);
    if (info == nullptr) {
        return false;
    }
    auto value = [&](int attribute) {
        int result = 0;
        return glXGetConfig(host.display, info, attribute, &result) == 0 ? result : 0;
    };
    const bool fits = value(GLX_USE_GL) && value(GLX_RGBA) && value(GLX_DOUBLEBUFFER) &&
                      value(GLX_RED_SIZE) >= 8 && value(GLX_GREEN_SIZE) >= 8 &&
                      value(GLX_BLUE_SIZE) >= 8 && value(GLX_DEPTH_SIZE) >= 16;
    XFree(info);
    return fits;
}

// A child window that fills the host's window, with a visual that fits the pixel format; false
// when the screen has none.
bool makeFittingChild(int screen) {
    XVisualInfo *chosen = glXChooseVisual(host.display, screen, pixelFormat);
    if (chosen == nullptr) {
        return false;
    }
    host.colormap = XCreateColormap(host.display, host.window, chosen->visual, AllocNone);
    XSetWindowAttributes attributes;
    attributes.colormap = host.colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    host.child =
        XCreateWindow(host.display, host.window, 0, 0, static_cast<unsigned>(host.width),
                      static_cast<unsigned>(host.height), 0, chosen->depth, InputOutput,
                      chosen->visual, CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    XFree(chosen);
    XMapWindow(host.display, host.child);
    XSync(host.display, False);
    return true;
}

void destroyChild() {
    if (host.child != 0) {
        XDestroyWindow(host.display, host.child);
        XFreeColormap(host.display, host.colormap);
        XSync(host.display, False);
        host.child = 0;
    }
}

// The window SDL draws into gets the program's input, and the host's window reports its end.
void selectInput(Window drawable) {
    const long watched = drawable == host.window ? StructureNotifyMask : 0;
    auto select = [&](long mask) {
        return checked(host.sdlDisplay, [&] { XSelectInput(host.sdlDisplay, drawable, mask); });
    };
    if (select(watched | keyAndPointerEvents | buttonEvents) != Success) {
        select(watched | keyAndPointerEvents);
    }
    if (drawable != host.window) {
        XSelectInput(host.sdlDisplay, host.window, StructureNotifyMask);
    }
}

// The host destroyed its window: the program closes. A run that a signal already ends still
// ends normally.
int SDLCALL watchHostWindow(void *, SDL_Event *event) {
    if (event->type != SDL_SYSWMEVENT || event->syswm.msg->subsystem != SDL_SYSWM_X11) {
        return 1;
    }
    const XEvent &x = event->syswm.msg->msg.x11.event;
    if (x.type == DestroyNotify && x.xdestroywindow.window == host.window && !host.gone) {
        host.gone = true;
        host.lost = !platform::closeSignalReceived();
        platform::requestClose();
    }
    return 1;
}

} // namespace

namespace platform {

HostWindow lookUpHostWindow() {
    if (host.read) {
        return host.state;
    }
    host.read = true;
    host.state = HostWindow::none;
    host.value = std::getenv("XSCREENSAVER_WINDOW");
    if (host.value == nullptr) {
        return host.state;
    }
    unsigned long id = 0;
    if (const char *why = parseWindowId(host.value, &id)) {
        return refuse(why);
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return refuse("cannot be drawn into: the display is not an X display");
    }
    host.display = XOpenDisplay(nullptr);
    if (host.display == nullptr) {
        return refuse("cannot be drawn into: the X display does not open");
    }
    XWindowAttributes attributes;
    Status found = 0;
    if (checked(host.display,
                [&] { found = XGetWindowAttributes(host.display, id, &attributes); }) != Success ||
        found == 0) {
        static char why[160];
        std::snprintf(why, sizeof why, "names no window on the display %s",
                      DisplayString(host.display));
        return refuse(why);
    }
    if (attributes.c_class == InputOnly) {
        return refuse("names an input-only window, which cannot be drawn into");
    }
    host.window = id;
    host.width = attributes.width;
    host.height = attributes.height;
    host.state = HostWindow::ready;
    return host.state;
}

HostWindow hostWindowState() {
    return host.read ? host.state : HostWindow::none;
}

int hostWindowWidth() {
    return host.width;
}

int hostWindowHeight() {
    return host.height;
}

SDL_Window *adoptHostWindow() {
    if (host.state != HostWindow::ready || host.adopted) {
        return nullptr;
    }
    // From here on the window may go at any moment.
    if (!host.errorsHandled) {
        host.previousErrorHandler = XSetErrorHandler(handleHostWindowErrors);
        host.errorsHandled = true;
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(host.display, host.window, &attributes);
    Window drawable = host.window;
    if (!fitsPixelFormat(attributes.visual)) {
        if (!makeFittingChild(XScreenNumberOfScreen(attributes.screen))) {
            std::fprintf(stderr,
                         "nimbrost: the window 0x%lx of XSCREENSAVER_WINDOW cannot be drawn "
                         "into: no visual of its screen offers OpenGL with RGBA, a double buffer "
                         "and a 16-bit depth buffer\n",
                         host.window);
            return nullptr;
        }
        drawable = host.child;
    }
    // SDL makes a context of the old kind for a window it did not make, on the window's own
    // visual; that context is the compatibility profile.
    SDL_GL_ResetAttributes();
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SDL_Window *sdl = SDL_CreateWindowFrom(reinterpret_cast<const void *>(drawable));
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl == nullptr || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) {
        std::fprintf(stderr,
                     "nimbrost: the window 0x%lx of XSCREENSAVER_WINDOW cannot be drawn "
                     "into: %s\n",
                     host.window, SDL_GetError());
        if (sdl != nullptr) {
            SDL_DestroyWindow(sdl);
        }
        destroyChild();
        return nullptr;
    }
    // SDL takes a host's window that is full screen (xscreensaver's are) for a full-screen window
    // of its own: it would put it back into full screen, display mode and all, whenever it is
    // mapped again, and out of it at the end. Told otherwise, it changes nothing on the display.
    SDL_SetWindowFullscreen(sdl, 0);
    host.sdlDisplay = info.info.x11.display;
    selectInput(drawable);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    SDL_AddEventWatch(watchHostWindow, nullptr);
    host.adopted = true;
    return sdl;
}

void releaseHostWindow() {
    if (!host.adopted) {
        return;
    }
    SDL_DelEventWatch(watchHostWindow, nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
    destroyChild();
    host.adopted = false;
}

bool hostWindowLost() {
    return host.lost;
}

// SDL's connection is closed by now: errors about the host's window can come no more.
void forgetHostWindow() {
    releaseHostWindow();
    if (host.errorsHandled) {
        XSetErrorHandler(host.previousErrorHandler);
    }
    if (host.display != nullptr) {
        XCloseDisplay(host.display);
    }
    host = Host();
}

} // namespace platform
