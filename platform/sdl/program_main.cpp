// The program proper, loaded by the executable once it catches the close signals: WinMain with
// the Linux platform under it.
#include "platform/sdl/entry.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/synthesizer.h"

namespace {

// Stands for the module handle Windows passes; nothing reads through it.
char moduleImage;

} // namespace

extern "C" int nimbrostProgramMain(char *tail, volatile std::sig_atomic_t *closeSignalled) {
    platform::installCloseSignals();
    // A signal that came while the program loaded counts as one that comes now.
    if (*closeSignalled) {
        std::raise(SIGTERM);
    }
    const int exitCode =
        WinMain(reinterpret_cast<HINSTANCE>(&moduleImage), nullptr, tail, SW_SHOWDEFAULT);
    const bool hostWindowLost = platform::hostWindowLost();
    // Sound stops before SDL ends, so that the two do not close the audio device at once.
    stopSynthesizer();
    platform::shutdownVideo();
    // Unless the host's window that the program drew into went away under it, WinMain's result
    // is the exit status.
    return hostWindowLost ? platform::displayLostExitCode : exitCode;
}
