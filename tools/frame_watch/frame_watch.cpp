// nimbrost-frame-watch: starts a program and watches its window from outside, through the X
// server, so it measures the Linux build and the Windows build under Wine alike.
//
//   nimbrost-frame-watch [--seconds S] [--name TITLE] -- COMMAND [ARG...]
//
// It watches the window titled TITLE (Nimbrost), or the window XSCREENSAVER_WINDOW names when
// that is set: a screen-saver host's, which COMMAND draws into. nimbrost-test-host makes one:
//
//   nimbrost-test-host --geometry 1280x1024+0+0 >id & sleep 1
//   XSCREENSAVER_WINDOW=$(cat id) nimbrost-frame-watch -- nimbrost /s; kill $!
//
// It prints how long after the start the window first showed a drawn frame (a pixel that is not
// black), and how many frames per second the window then received over S seconds (default 5):
// every presented frame reaches the X server as one update of the whole window, which the
// Damage extension reports. The program is then ended with SIGTERM.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

int refuse(const char *why) {
    std::fprintf(stderr, "nimbrost-frame-watch: %s\n", why);
    return 2;
}

// Errors about windows that vanished between two requests are expected here.
int ignoreXError(Display *, XErrorEvent *) {
    return 0;
}

// The first viewable window below `parent` whose title is `title`, or 0.
Window findTitled(Display *display, Window parent, const char *title) {
    Window root = 0, parentOfParent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count)) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char *name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name != nullptr &&
            std::strcmp(name, title) == 0 &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable) {
            found = children[i];
        }
        if (name != nullptr) {
            XFree(name);
        }
        if (found == 0) {
            found = findTitled(display, children[i], title);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// Whether any pixel of the window is not black.
bool showsSomething(Display *display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        return false;
    }
    XImage *image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    bool lit = false;
    for (int y = 0; y < image->height && !lit; ++y) {
        for (int x = 0; x < image->width && !lit; ++x) {
            lit = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
        }
    }
    XDestroyImage(image);
    return lit;
}

const char usage[] = "usage: nimbrost-frame-watch [--seconds S] [--name TITLE] -- COMMAND...";

} // namespace

int main(int argc, char **argv) {
    double seconds = 5.0;
    const char *title = "Nimbrost";
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        if (std::strcmp(argv[first], "--seconds") == 0 && first + 1 < argc) {
            seconds = std::atof(argv[++first]);
        } else if (std::strcmp(argv[first], "--name") == 0 && first + 1 < argc) {
            title = argv[++first];
        } else {
            return refuse(usage);
        }
    }
    if (first + 1 >= argc || !(seconds > 0)) {
        return refuse(usage);
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return refuse("cannot open the X display");
    }
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        return refuse("the X server has no Damage extension");
    }
    XSetErrorHandler(ignoreXError);

    // Every update of the window's contents, once it is known, comes as a Damage event.
    const char *host = std::getenv("XSCREENSAVER_WINDOW");
    Window window = 0;
    const auto watchUpdates = [&](Window found) {
        window = found;
        XDamageCreate(display, window, XDamageReportRawRectangles);
        XSync(display, False);
    };
    if (host != nullptr) {
        watchUpdates(std::strtoul(host, nullptr, 0));
    }
    const double started = now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[first + 1], argv + first + 1);
        std::perror(argv[first + 1]);
        _exit(127);
    }

    // Wait for the window, then for its first drawn frame. Its pixels are read when it is found
    // and after each update only: reading them all the time would take the processor and the X
    // server from the program whose start is measured.
    double firstFrame = 0;
    bool updated = true;
    while (firstFrame == 0 && now() - started < 60) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            return refuse("the program ended before it showed a frame");
        }
        if (window == 0) {
            const Window found = findTitled(display, DefaultRootWindow(display), title);
            if (found != 0) {
                watchUpdates(found);
            }
        }
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            updated = updated || event.type == damageEvent + XDamageNotify;
        }
        if (window != 0 && updated) {
            updated = false;
            if (showsSomething(display, window)) {
                firstFrame = now();
            }
        }
        usleep(500);
    }
    if (firstFrame == 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return refuse("no frame within 60 seconds");
    }

    // Count the updates of at least a quarter of the window: one per presented frame.
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    const long quarter = static_cast<long>(attributes.width) * attributes.height / 4;
    XSync(display, True); // the updates so far are not counted
    long frames = 0;
    const double counting = now();
    while (now() - counting < seconds) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == damageEvent + XDamageNotify) {
                const auto &damage = reinterpret_cast<XDamageNotifyEvent &>(event);
                frames += static_cast<long>(damage.area.width) * damage.area.height >= quarter;
            }
        }
        usleep(200);
    }
    const double counted = now() - counting;

    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    std::printf("first frame %.0f ms after the start; %.0f frames per second over %.1f s\n",
                (firstFrame - started) * 1000.0, static_cast<double>(frames) / counted, counted);
    XCloseDisplay(display);
    return 0;
}
