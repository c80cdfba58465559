// nimbrost-test-host: stands in for a screen-saver host. It makes a black, override-redirect
// window, as the xscreensaver daemon does, prints its id (0x...) on stdout and keeps it until
// SIGTERM or SIGINT, then destroys it and waits a moment before it disconnects, so that the
// window ends by the host's hand and not with the host's connection.
//
//   nimbrost-test-host [--visual ID | --visual plain | --input-only] [--geometry WxH+X+Y]
//
// "--visual plain" takes a visual that OpenGL can draw on, but without a double buffer or a depth
// buffer; "--input-only" makes a window that cannot be drawn on at all.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

volatile sig_atomic_t ending = 0;

void onSignal(int) {
    ending = 1;
}

// The test may end the X server first.
int endQuietly(Display *) {
    _exit(0);
}

int refuse(const char *why) {
    std::fprintf(stderr, "nimbrost-test-host: %s\n", why);
    return 2;
}

const char usage[] = "usage: nimbrost-test-host [--visual ID | --visual plain | --input-only] "
                     "[--geometry WxH+X+Y]";

// A TrueColor visual that OpenGL draws on with a single buffer and no depth buffer, or 0.
VisualID plainVisual(Display *display, int screen) {
    XVisualInfo wanted;
    wanted.screen = screen;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo *visuals =
        XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
    VisualID found = 0;
    for (int i = 0; i < count && found == 0; ++i) {
        int gl = 0, doubled = 1, depth = 1;
        glXGetConfig(display, &visuals[i], GLX_USE_GL, &gl);
        glXGetConfig(display, &visuals[i], GLX_DOUBLEBUFFER, &doubled);
        glXGetConfig(display, &visuals[i], GLX_DEPTH_SIZE, &depth);
        if (gl && !doubled && depth == 0) {
            found = visuals[i].visualid;
        }
    }
    if (visuals != nullptr) {
        XFree(visuals);
    }
    return found;
}

} // namespace

int main(int argc, char **argv) {
    const char *visualName = nullptr;
    bool inputOnly = false;
    unsigned width = 640, height = 480;
    int x = 0, y = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--visual") == 0 && i + 1 < argc) {
            visualName = argv[++i];
        } else if (std::strcmp(argv[i], "--input-only") == 0) {
            inputOnly = true;
        } else if (std::strcmp(argv[i], "--geometry") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%ux%u+%d+%d", &width, &height, &x, &y) != 4) {
                return refuse("--geometry takes WxH+X+Y");
            }
        } else {
            return refuse(usage);
        }
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return refuse("no display");
    }
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    Window window = 0;
    if (inputOnly) {
        window = XCreateWindow(display, root, x, y, width, height, 0, 0, InputOnly, CopyFromParent,
                               CWOverrideRedirect, &attributes);
    } else {
        XVisualInfo wanted;
        wanted.visualid =
            visualName == nullptr ? XVisualIDFromVisual(DefaultVisual(display, screen))
            : std::strcmp(visualName, "plain") == 0 ? plainVisual(display, screen)
                                                    : std::strtoul(visualName, nullptr, 0);
        int count = 0;
        XVisualInfo *visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
        if (visual == nullptr) {
            return refuse("no such visual");
        }
        attributes.background_pixel = 0;
        attributes.border_pixel = 0;
        attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
        window = XCreateWindow(
            display, root, x, y, width, height, 0, visual->depth, InputOutput, visual->visual,
            CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWColormap, &attributes);
        XFree(visual);
    }
    XMapRaised(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);

    // The signals are let in only while it waits, so that they never interrupt Xlib.
    XSetIOErrorHandler(endQuietly);
    sigset_t blocked, waiting;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &waiting);
    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    while (!ending) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        ppoll(&connection, 1, nullptr, &waiting);
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    sleep(1);
    XCloseDisplay(display);
    return 0;
}
