// A library preloaded into the program (LD_PRELOAD) that times its frames: how long after the
// process started the first frame was presented, and how many frames per second followed. It
// wraps SDL_GL_SwapWindow and prints one line on stderr when the program exits.
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <SDL.h>

namespace {

double secondsSinceBoot() {
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// When the kernel started the process, in seconds since boot (field 22 of /proc/self/stat).
double processStart() {
    char stat[1024] = {};
    FILE *file = std::fopen("/proc/self/stat", "r");
    if (file == nullptr) {
        return secondsSinceBoot();
    }
    const std::size_t length = std::fread(stat, 1, sizeof stat - 1, file);
    std::fclose(file);
    stat[length] = '\0';
    const char *field = std::strrchr(stat, ')'); // the command name may hold spaces
    unsigned long long ticks = 0;
    if (field == nullptr ||
        std::sscanf(field + 2,
                    "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                    "%*d %*d %*d %llu",
                    &ticks) != 1) {
        return secondsSinceBoot();
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

const double started = processStart();
double firstFrame = 0;
double lastFrame = 0;
unsigned long frames = 0;

__attribute__((destructor)) void report() {
    if (frames == 0) {
        std::fprintf(stderr, "frame clock: no frame was presented\n");
        return;
    }
    const double span = lastFrame - firstFrame;
    std::fprintf(stderr,
                 "frame clock: first frame %.0f ms after the process started; %lu frames in "
                 "%.2f s: %.0f frames per second\n",
                 (firstFrame - started) * 1000.0, frames, span,
                 span > 0 ? static_cast<double>(frames - 1) / span : 0.0);
}

} // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window *window) {
    using SwapWindow = void (*)(SDL_Window *);
    static const SwapWindow swapWindow =
        reinterpret_cast<SwapWindow>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    swapWindow(window);
    lastFrame = secondsSinceBoot();
    if (frames++ == 0) {
        firstFrame = lastFrame;
    }
}
