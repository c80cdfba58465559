// The process entry on Linux. A screen-saver host may end the saver with SIGTERM at any moment,
// also while the dynamic loader still maps the program's libraries (SDL, OpenGL, FluidSynth and
// theirs, about seventy: some 10 ms), when the signal would end the process by itself. So this
// executable needs the C library only: it catches SIGINT and SIGTERM first, then loads the program
// and runs it with the command-line tail.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/x11/close_signals.h"
#include "platform/x11/entry.h"

namespace {

volatile std::sig_atomic_t closeSignalled = 0;

void onCloseSignal(int) {
    closeSignalled = 1;
}

// The program's library from the first of its folders that has it, by an explicit path: a run
// path would not do, since the sanitizers' dlopen looks in their own library's run path.
void *loadProgram() {
    char folder[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", folder, sizeof folder - 1);
    if (length <= 0) {
        return nullptr;
    }
    folder[length] = '\0';
    *std::strrchr(folder, '/') = '\0';
    const char *const places[] = NIMBROST_PROGRAM_FOLDERS;
    void *program = nullptr;
    for (const char *place : places) {
        char path[PATH_MAX];
        const int pathLength =
            std::snprintf(path, sizeof path, "%s/%s/%s", folder, place, NIMBROST_PROGRAM_LIBRARY);
        if (program == nullptr && pathLength < PATH_MAX && access(path, F_OK) == 0) {
            program = dlopen(path, RTLD_LAZY | RTLD_LOCAL);
        }
    }
    return program;
}

} // namespace

int main(int argc, char **argv) {
    catchCloseSignals(onCloseSignal);

    void *program = loadProgram();
    const ProgramEntry run =
        program != nullptr ? reinterpret_cast<ProgramEntry>(dlsym(program, NIMBROST_PROGRAM_ENTRY))
                           : nullptr;
    if (run == nullptr) {
        const char *error = dlerror();
        std::fprintf(stderr, "nimbrost: %s\n",
                     error != nullptr ? error : "cannot find " NIMBROST_PROGRAM_LIBRARY);
        return 127;
    }
    char *tail = makeCommandTail(argc - 1, argv + 1);
    if (tail == nullptr) {
        std::fputs("nimbrost: out of memory\n", stderr);
        return 127;
    }
    const int exitCode = run(tail, &closeSignalled);
    std::free(tail);
    return exitCode;
}
