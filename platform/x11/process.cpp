// The program proper, loaded by the executable once it catches the close signals: the process's
// life around WinMain. It catches SIGINT and SIGTERM (they become WM_CLOSE), opens the one X
// connection with the one X error handler and I/O error handler, decides whether a screen-saver
// host's window is drawn into, and gives the exit code: WinMain's (0, or -1 when no window could
// be made), or 3 when the display or the host's window went away under the run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/x11/close_signals.h"
#include "platform/x11/connection.h"
#include "platform/x11/display_modes.h"
#include "platform/x11/entry.h"
#include "platform/x11/fonts.h"
#include "platform/x11/messages.h"
#include "platform/x11/synthesizer.h"

namespace {

constexpr int displayLostExitCode = 3;

volatile std::sig_atomic_t closeSignalled = 0; // stays set

// Stands for the module handle Windows passes; nothing reads through it.
char moduleImage;

void onCloseSignal(int) {
    platform::closeRequested = 1;
    closeSignalled = 1;
}

// Ends the run at once, running nothing that would talk to a display or a window that is gone:
// with code 3, or 0 when a close signal came first. The sound stops first.
[[noreturn]] void endAtOnce() {
    stopSynthesizer();
    _exit(closeSignalled ? 0 : displayLostExitCode);
}

// The server or the connection to it is gone: Xlib would exit once this returns.
int onDisplayLost(Display *) {
    endAtOnce();
}

// An error about the host's window (or ours inside it) means that the host destroyed it; the
// OpenGL driver may not go on drawing into it, so the run ends at once. Errors of checked requests
// are counted; any other is reported once and the run goes on.
int onXError(Display *display, XErrorEvent *error) {
    const platform::Connection &x = platform::connection;
    if (x.checking) {
        if (x.caughtError == Success) {
            platform::connection.caughtError = error->error_code;
        }
        return 0;
    }
    if (x.host == platform::HostWindow::ready && error->resourceid != 0 &&
        (error->resourceid == x.hostWindow || error->resourceid == x.drawnInHost)) {
        endAtOnce();
    }
    static bool reported = false;
    if (!reported) {
        reported = true;
        char text[120];
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "nimbrost: X error: %s (request %d)\n", text, error->request_code);
    }
    return 0;
}

} // namespace

extern "C" int nimbrostProgramMain(char *tail, volatile std::sig_atomic_t *signalledWhileLoading) {
    catchCloseSignals(onCloseSignal);
    // A signal that came while the program loaded counts as one that comes now.
    if (*signalledWhileLoading) {
        onCloseSignal(SIGTERM);
    }
    // The program keeps off D-Bus. SDL's audio asks RealtimeKit over D-Bus for its thread's
    // priority where it may not raise it itself, connecting to the session bus first (and a
    // session without one starts a bus for it): with no session bus that ends before it begins.
    // Set before the font thread starts, which reads the environment too.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    platform::prepareFonts();
    // A write to a server that is gone would raise SIGPIPE and end the process before Xlib notices;
    // ignored, the write fails and Xlib calls the handler.
    std::signal(SIGPIPE, SIG_IGN);
    XSetErrorHandler(onXError);
    XSetIOErrorHandler(onDisplayLost);
    // A host's window stands for the screen of a screen-saver run, not of a run in a window.
    platform::openConnection(std::strstr(tail, "-win") == nullptr);
    const int exitCode =
        WinMain(reinterpret_cast<HINSTANCE>(&moduleImage), nullptr, tail, SW_SHOWDEFAULT);
    platform::restoreDesktopMode();
    stopSynthesizer();
    platform::finishFonts();
    platform::closeConnection();
    return exitCode;
}
