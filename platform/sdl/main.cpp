// The process entry on Linux. A screen-saver host may end the saver with SIGTERM at any moment,
// also while the dynamic loader still maps the program's libraries (SDL, OpenGL, FluidSynth and
// theirs, about seventy: some 10 ms), when the signal would end the process by itself. So this
// executable needs the C library only: it catches SIGINT and SIGTERM first, then loads the program
// and runs it with the command-line tail.
#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/entry.h"

namespace {

volatile std::sig_atomic_t closeSignalled = 0;

void onCloseSignal(int) {
    closeSignalled = 1;
}

} // namespace

int main(int argc, char **argv) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // Found through the executable's run path: beside it in the build, in the library folder
    // once installed.
    void *program = dlopen(NIMBROST_PROGRAM_LIBRARY, RTLD_LAZY | RTLD_LOCAL);
    const ProgramEntry run =
        program != nullptr ? reinterpret_cast<ProgramEntry>(dlsym(program, NIMBROST_PROGRAM_ENTRY))
                           : nullptr;
    char *tail = makeCommandTail(argc - 1, argv + 1);
    if (run == nullptr || tail == nullptr) {
        std::fprintf(stderr, "nimbrost: %s\n", run == nullptr ? dlerror() : "out of memory");
        return 127;
    }
    const int exitCode = run(tail, &closeSignalled);
    std::free(tail);
    return exitCode;
}
