// nimbrost-soak: runs each effect for many frames headless, switching square personality (P),
// camera rotation (M), trails (C), square borders (B) and the overlay (F1) through the window
// procedure, every combination of them in each tenth of the frames, and checks after every frame
// that every number in the scene state is finite, the modelview stack is back at depth 1 and OpenGL
// reports no error; and that the resident memory stays flat after the warm-up.
//
//   nimbrost-soak [--frames N] [--size WxH] [--effects KEYS] [--max-growth KB]
//
// N frames per effect (1000000 unless given), at WxH (64x64), for the effect keys given (all
// eight). The warm-up is the first tenth of each effect's frames. Exits with 1 at the first
// failed check, or when memory grew by more than KB kilobytes (2048) after an effect's warm-up;
// under AddressSanitizer, whose quarantine holds freed memory, growth is shown but not checked.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "tests/support/frame_checks.h"

using nimbrost::scene;

namespace {

#if defined(__SANITIZE_ADDRESS__)
const bool growthChecked = false;
#else
const bool growthChecked = true;
#endif

struct Options {
    long frames = 1000000;
    int width = 64, height = 64;
    std::string effects = "12345678";
    long maxGrowthKb = 2048;
};

// The toggles, switched one at a time in the order of a Gray code, so that every combination of
// them comes up once in each cycle of 32 steps. The warm-up is one cycle: whatever the renderer
// makes for a combination of states, it has made by then.
const WPARAM toggles[] = {'P', 'M', 'C', 'B', VK_F1};
const long togglesCycle = 32;

long residentKb() {
    long pages = 0, resident = 0;
    FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm != nullptr) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool parse(int argc, char **argv, Options &options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char *value = argv[i + 1];
        if (name == "--frames") {
            options.frames = std::atol(value);
        } else if (name == "--size") {
            if (std::sscanf(value, "%dx%d", &options.width, &options.height) != 2) {
                return false;
            }
        } else if (name == "--effects") {
            options.effects = value;
        } else if (name == "--max-growth") {
            options.maxGrowthKb = std::atol(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.frames > 0 && options.width > 0 && options.height > 0;
}

void release(WPARAM key) {
    nimbrost::windowProc(scene.mainWindow, WM_KEYUP, key, 0xC0000001);
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: nimbrost-soak [--frames N] [--size WxH] [--effects KEYS] "
                             "[--max-growth KB]\n");
        return 2;
    }
    const char *error = nullptr;
    if (!headless::createContext(options.width, options.height, &error)) {
        std::fprintf(stderr, "nimbrost-soak: %s\n", error);
        return 1;
    }
    nimbrost::startScene(options.width, options.height, 1, 0);

    const long warmUp = options.frames / 10;
    const long step = warmUp / togglesCycle > 0 ? warmUp / togglesCycle : 1;
    bool failed = false;
    std::printf("effect  frames  seconds  frames/s  RSS after warm-up  RSS at end  growth\n");
    for (char key : options.effects) {
        release(static_cast<WPARAM>(key));
        if (nimbrost::findEffect(static_cast<unsigned char>(key)) == nullptr) {
            std::fprintf(stderr, "nimbrost-soak: no effect has the key %c\n", key);
            return 2;
        }
        const double start = seconds();
        long warmKb = 0;
        for (long frame = 1; frame <= options.frames; ++frame) {
            if (frame % step == 0) {
                const long index = frame / step;
                const long changed = (index ^ index >> 1) ^ ((index - 1) ^ (index - 1) >> 1);
                for (int bit = 0; bit < 5; ++bit) {
                    if (changed & 1L << bit) {
                        release(toggles[bit]);
                    }
                }
            }
            nimbrost::drawFrame();
            if (scene.settings.showInfo) {
                nimbrost::drawOverlay(60.0);
            }
            if (const char *fault = framechecks::frameFault()) {
                std::printf("effect %c, frame %ld: %s\n", key, frame, fault);
                return 1;
            }
            if (frame == warmUp) {
                glFinish();
                warmKb = residentKb();
            }
        }
        glFinish();
        const double elapsed = seconds() - start;
        const long endKb = residentKb();
        const long growth = endKb - warmKb;
        std::printf("%6c  %6ld  %7.1f  %8.0f  %14ld KB  %8ld KB  %+5ld KB\n", key, options.frames,
                    elapsed, static_cast<double>(options.frames) / elapsed, warmKb, endKb, growth);
        std::fflush(stdout);
        failed = failed || (growthChecked && warmUp > 0 && growth > options.maxGrowthKb);
    }
    headless::destroyContext();
    if (failed) {
        std::printf("memory grew by more than %ld KB after the warm-up\n", options.maxGrowthKb);
    }
    return failed ? 1 : 0;
}
