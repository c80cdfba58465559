// nimbrost-soak: runs each effect for many frames headless at 64 x 64, switching square
// personality (P), camera rotation (M), trails (C), square borders (B) and the overlay (F1)
// through the window procedure, every combination of them in each tenth of the frames; checks
// after every frame that every number in the scene state is finite, the modelview stack is back at
// depth 1 and OpenGL reports no error, and that the resident memory grows by at most 2 MB after
// the warm-up, the first tenth of each effect's frames (not checked under AddressSanitizer, whose
// quarantine holds freed memory).
//
//   nimbrost-soak [--frames N] [--effects KEYS]
//
// N frames per effect (1000000 unless given) for the effect keys given (all eight). Exits with 1
// at the first failed check or when memory grew too much, with 2 for a wrong command line.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "tests/support/frame_checks.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
const long maxGrowthKb = -1; // not checked
#else
const long maxGrowthKb = 2048;
#endif

// The toggles, switched one at a time in the order of a Gray code, so that every combination of
// them comes up once in each cycle of 32 steps. The warm-up is one cycle: whatever the renderer
// makes for a combination of states, it has made by then.
const WPARAM toggles[] = {'P', 'M', 'C', 'B', VK_F1};
const long togglesCycle = 32;

long residentKb() {
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        resident = std::fscanf(statm, "%ld %ld", &pages, &resident) == 2 ? resident : 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char **argv) {
    long frames = 1000000;
    std::string effects = "12345678";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        frames = name == "--frames" ? std::atol(argv[i + 1]) : name == "--effects" ? frames : 0;
        effects = name == "--effects" ? argv[i + 1] : effects;
    }
    if (argc % 2 == 0 || frames <= 0) {
        std::fprintf(stderr, "usage: nimbrost-soak [--frames N] [--effects KEYS]\n");
        return 2;
    }
    framechecks::startContext(64);
    nimbrost::startScene(64, 64, 1, 0);

    const long warmUp = frames / 10;
    const long step = std::max(warmUp / togglesCycle, 1L);
    bool grew = false;
    std::printf("effect  frames  seconds  frames/s  RSS after warm-up  RSS at end  growth\n");
    for (char key : effects) {
        if (!nimbrost::chooseEffect(static_cast<unsigned char>(key))) {
            std::fprintf(stderr, "nimbrost-soak: no effect has the key %c\n", key);
            return 2;
        }
        const auto start = std::chrono::steady_clock::now();
        long warmKb = 0;
        for (long frame = 1; frame <= frames; ++frame) {
            const long index = frame / step; // the toggle of the bit that the Gray code changes
            for (int bit = 0; frame % step == 0 && bit < 5; ++bit) {
                if (((index ^ index >> 1) ^ ((index - 1) ^ (index - 1) >> 1)) & 1L << bit) {
                    framechecks::release(toggles[bit]);
                }
            }
            if (const char *fault = framechecks::drawCheckedFrame([] { return 60.0; })) {
                std::printf("effect %c, frame %ld: %s\n", key, frame, fault);
                return 1;
            }
            if (frame == warmUp) {
                glFinish();
                warmKb = residentKb();
            }
        }
        glFinish();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const long endKb = residentKb();
        std::printf("%6c  %6ld  %7.1f  %8.0f  %14ld KB  %8ld KB  %+5ld KB\n", key, frames,
                    elapsed.count(), static_cast<double>(frames) / elapsed.count(), warmKb, endKb,
                    endKb - warmKb);
        std::fflush(stdout);
        grew = grew || (maxGrowthKb >= 0 && warmUp > 0 && endKb - warmKb > maxGrowthKb);
    }
    headless::destroyContext();
    if (grew) {
        std::printf("memory grew by more than %ld KB after the warm-up\n", maxGrowthKb);
    }
    return grew ? 1 : 0;
}
