// The process entry on Linux: the arguments become the command-line tail (joined by single
// spaces, as Windows hands the tail to WinMain) and WinMain's result becomes the exit status,
// unless the host's window that the program drew into went away under it.
#include <string>

#include "platform/sdl/sdl_platform.h"

namespace {
// Stands for the module handle Windows passes; nothing reads through it.
char moduleImage;
} // namespace

int main(int argc, char **argv) {
    platform::installCloseSignals();
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            tail += ' ';
        }
        tail += argv[i];
    }
    const int exitCode =
        WinMain(reinterpret_cast<HINSTANCE>(&moduleImage), nullptr, tail.data(), SW_SHOWDEFAULT);
    const bool hostWindowLost = platform::hostWindowLost();
    platform::shutdownVideo();
    return hostWindowLost ? platform::displayLostExitCode : exitCode;
}
