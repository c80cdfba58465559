// nimbrost-test-host: stands in for a screen-saver host. It makes a black, override-redirect
// window, as the xscreensaver daemon does, prints its id (0x...) on stdout and keeps it until
// SIGTERM or SIGINT, then destroys it and waits a moment before it disconnects, so that the
// window ends by the host's hand and not with the host's connection.
//
//   nimbrost-test-host [--visual plain | --input-only] [--geometry WxH+X+Y]
//
// "--visual plain" takes a visual that OpenGL can draw on, but without a double buffer or a depth
// buffer; "--input-only" makes a window that cannot be drawn on at all.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// The test may end the X server first.
int endQuietly(Display *) {
    _exit(0);
}

int refuse(const char *why) {
    std::fprintf(stderr, "nimbrost-test-host: %s\n", why);
    return 2;
}

// Into CHOSEN: a TrueColor visual that OpenGL draws on with a single buffer and no depth buffer.
// False when there is none.
bool choosePlainVisual(Display *display, int screen, XVisualInfo *chosen) {
    int wanted[] = {GLX_RGBA, None};
    XVisualInfo *visual = glXChooseVisual(display, screen, wanted);
    if (visual == nullptr) {
        return false;
    }
    int doubled = 1, depth = 1;
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubled);
    glXGetConfig(display, visual, GLX_DEPTH_SIZE, &depth);
    *chosen = *visual;
    XFree(visual);
    return !doubled && depth == 0 && chosen->c_class == TrueColor;
}

} // namespace

int main(int argc, char **argv) {
    // SIGTERM and SIGINT wait for sigwait, so that they never interrupt Xlib.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    bool plain = false, inputOnly = false;
    unsigned width = 640, height = 480;
    int x = 0, y = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--visual") == 0 && i + 1 < argc &&
            std::strcmp(argv[i + 1], "plain") == 0) {
            plain = true;
            ++i;
        } else if (std::strcmp(argv[i], "--input-only") == 0) {
            inputOnly = true;
        } else if (std::strcmp(argv[i], "--geometry") != 0 || i + 1 == argc ||
                   std::sscanf(argv[++i], "%ux%u+%d+%d", &width, &height, &x, &y) != 4) {
            return refuse("usage: nimbrost-test-host [--visual plain | --input-only] "
                          "[--geometry WxH+X+Y]");
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
        XVisualInfo visual = {};
        visual.visual = DefaultVisual(display, screen);
        visual.depth = DefaultDepth(display, screen);
        if (plain && !choosePlainVisual(display, screen, &visual)) {
            return refuse("no such visual");
        }
        attributes.background_pixel = 0;
        attributes.border_pixel = 0;
        attributes.colormap = XCreateColormap(display, root, visual.visual, AllocNone);
        window = XCreateWindow(
            display, root, x, y, width, height, 0, visual.depth, InputOutput, visual.visual,
            CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWColormap, &attributes);
    }
    XMapRaised(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);

    XSetIOErrorHandler(endQuietly);
    int received = 0;
    sigwait(&signals, &received);
    XDestroyWindow(display, window);
    XSync(display, False);
    sleep(1);
    XCloseDisplay(display);
    return 0;
}
