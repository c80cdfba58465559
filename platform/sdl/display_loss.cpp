// Ending the run at once when the display or the window drawn into is gone. At the end of the X
// server, or of the connection to it, Xlib calls the IO error handler and exits the process when
// the handler returns; nothing may talk to the display any more, so the handler does what must
// not be left undone and ends the run itself.
#include <X11/Xlib.h>
#include <unistd.h>

#include <csignal>

#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/synthesizer.h"

namespace {

int endWithoutDisplay(Display *) {
    platform::endAtOnce(platform::displayLostExitCode);
}

} // namespace

namespace platform {

// No note may hang in the sound server: the MIDI output is closed (all notes off) and the
// synthesizer's audio device stopped. Nothing that Xlib, SDL or the OpenGL driver would run at
// exit may run on a display or a window that is gone.
void endAtOnce(int exitCode) {
    closeMidiOutput();
    stopSynthesizer();
    _exit(exitCode);
}

// A write to a server that is gone would raise SIGPIPE and end the process before Xlib notices;
// ignored, the write fails and Xlib calls the handler.
void watchDisplay() {
    std::signal(SIGPIPE, SIG_IGN);
    XSetIOErrorHandler(endWithoutDisplay);
}

} // namespace platform
