// nimbrost-bench: what a frame, a key press and a start cost, measured side by side.
//
//   nimbrost-bench [--quick] [--only fps|instructions|keys|startup|allocations]
//
// It prints one table per measure:
//   fps           frames per second of each effect and of an empty frame, headless, interleaved
//   instructions  the share of a frame's instructions in the program's own code (callgrind)
//   keys          choosing an effect by its key: the key's handling and the next frame
//   startup       process start to the first drawn frame, Linux build and Windows build (Wine)
//   allocations   heap allocations per frame, the program's own and the libraries'
// The startup measure needs an X display with a window manager (tests/support/with-display).
#include <sys/wait.h>
#include <unistd.h>
#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "tools/bench/allocation_count.h"
#include "tools/bench/instruction_share.h"

using nimbrost::scene;

namespace {

struct Size {
    int width, height;
};
const Size sizes[] = {{800, 600}, {1920, 1080}};

struct Options {
    bool quick = false;
    std::string only;
};

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void drawNothing() {}

// Starts the scene at a size with an effect (null: the empty frame), as a key press would.
void startScene(const Size &size, nimbrost::EffectFn effect, bool trails) {
    headless::resizeTarget(size.width, size.height);
    scene.width = size.width;
    scene.height = size.height;
    scene.settings.windowed = 1;
    scene.settings.clearColorBuffer = trails ? 0 : 1;
    scene.settings.squareBorders = trails ? 1 : 0;
    scene.currentEffect = effect != nullptr ? effect : drawNothing;
    nimbrost::resetScene();
}

void drawFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
        nimbrost::drawFrame();
        glFinish();
    }
}

double framesPerSecond(int warmUp, int frames) {
    drawFrames(warmUp);
    const double start = seconds();
    drawFrames(frames);
    return frames / (seconds() - start);
}

bool makeContext() {
    const char *error = nullptr;
    if (!headless::createContext(800, 600, &error)) {
        std::fprintf(stderr, "nimbrost-bench: %s\n", error);
        return false;
    }
    return true;
}

void measureFrameRates(const Options &options) {
    const int warmUp = options.quick ? 20 : 100;
    const int frames = options.quick ? 100 : 500;
    std::printf("Frames per second, headless (%s), %d frames after %d of warm-up; each effect "
                "beside an empty frame (clear only) measured just before it\n",
                reinterpret_cast<const char *>(glGetString(GL_RENDERER)), frames, warmUp);
    std::printf("%-24s", "");
    for (bool trails : {false, true}) {
        for (const Size &size : sizes) {
            char heading[48];
            std::snprintf(heading, sizeof heading, "%dx%d%s", size.width, size.height,
                          trails ? " trails+borders" : "");
            std::printf(" %25s", heading);
        }
    }
    std::printf("\n");
    std::vector<double> empty[4];
    char rows[9][200] = {};
    for (const nimbrost::EffectEntry *row = nimbrost::effectRegistry; row->draw; ++row) {
        const int index = static_cast<int>(row - nimbrost::effectRegistry);
        int length =
            std::snprintf(rows[index], sizeof rows[index], "%c %-22s", row->key, row->name);
        int column = 0;
        for (bool trails : {false, true}) {
            for (const Size &size : sizes) {
                startScene(size, nullptr, trails);
                const double base = framesPerSecond(warmUp, frames);
                empty[column++].push_back(base);
                startScene(size, row->draw, trails);
                const double rate = framesPerSecond(warmUp, frames);
                length += std::snprintf(rows[index] + length, sizeof rows[index] - length,
                                        " %12.0f fps %5.2f   ", rate, rate / base);
            }
        }
    }
    std::printf("%-24s", "empty frame (median)");
    for (const std::vector<double> &rates : empty) {
        std::printf(" %16.0f fps       ", median(rates));
    }
    std::printf("\n");
    for (int i = 0; i < 8; ++i) {
        std::printf("%s\n", rows[i]);
    }
    std::printf("\n");
}

// One effect's frames under callgrind, instrumented only after the warm-up.
int profileRun(char key, int frames) {
    if (!makeContext()) {
        return 1;
    }
    startScene(sizes[0], nimbrost::findEffect(static_cast<unsigned char>(key)), false);
    drawFrames(20);
    CALLGRIND_START_INSTRUMENTATION;
    drawFrames(frames);
    CALLGRIND_STOP_INSTRUMENTATION;
    headless::destroyContext();
    return 0;
}

void measureInstructions(const Options &options, const char *self) {
    const int frames = options.quick ? 5 : 20;
    std::printf("Instructions per frame by where they run, 800x600, %d frames under callgrind "
                "after 20 of warm-up\n",
                frames);
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        std::printf("  skipped: valgrind is not installed\n\n");
        return;
    }
    std::printf("%-24s %14s %9s %9s %9s\n", "", "instructions", "program", "libm", "driver");
    char path[] = "/tmp/nimbrost-callgrind-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        std::printf("  skipped: no temporary file\n\n");
        return;
    }
    close(descriptor);
    for (const nimbrost::EffectEntry *row = nimbrost::effectRegistry; row->draw; ++row) {
        const std::string command = std::string("valgrind --tool=callgrind --instr-atstart=no ") +
                                    "--callgrind-out-file=" + path + " " + self +
                                    " --profile-run " + row->key + " " + std::to_string(frames) +
                                    " >/dev/null 2>&1";
        std::vector<ObjectInstructions> objects;
        if (std::system(command.c_str()) != 0 || !readInstructionsByObject(path, objects)) {
            std::printf("%c %-22s  failed\n", row->key, row->name);
            continue;
        }
        unsigned long long total = 0, program = 0, mathematics = 0;
        for (const ObjectInstructions &object : objects) {
            total += object.instructions;
            if (object.object.find("nimbrost-bench") != std::string::npos) {
                program += object.instructions;
            } else if (object.object.find("/libm.so") != std::string::npos) {
                mathematics += object.instructions;
            }
        }
        const double share = 100.0 / static_cast<double>(total > 0 ? total : 1);
        std::printf("%c %-22s %14llu %8.2f%% %8.2f%% %8.2f%%\n", row->key, row->name,
                    total / static_cast<unsigned long long>(frames), program * share,
                    mathematics * share, (total - program - mathematics) * share);
    }
    unlink(path);
    std::printf(
        "  program: scene, effects and frame driver; libm: their sine and cosine; "
        "driver: the GL library, Mesa's llvmpipe and its generated code, the C library\n\n");
}

// Presses the effect keys in turn through the window procedure, each followed by a frame.
int keysRun(int presses) {
    if (!makeContext()) {
        return 1;
    }
    startScene(sizes[0], nimbrost::effectRegistry[0].draw, false);
    drawFrames(50);
    std::vector<double> plain, handling, total;
    for (int i = 0; i < presses; ++i) {
        const double start = seconds();
        drawFrames(1);
        plain.push_back(seconds() - start);
    }
    for (int i = 0; i < presses; ++i) {
        const double start = seconds();
        nimbrost::windowProc(nullptr, WM_KEYUP, static_cast<WPARAM>('1' + i % 8), 0);
        const double handled = seconds();
        drawFrames(1);
        handling.push_back(handled - start);
        total.push_back(seconds() - start);
    }
    // A frame sends one message while sound is on: effect 4's frame rate without and with it.
    nimbrost::windowProc(nullptr, WM_KEYUP, '4', 0);
    const double silent = framesPerSecond(50, 500);
    nimbrost::windowProc(nullptr, WM_KEYUP, 'S', 0);
    const double sounding = framesPerSecond(50, 500);
    const auto ms = [](double value) { return value * 1000.0; };
    std::printf("%-12s %7.3f %7.3f %7.3f %7.3f %7.3f  %-9s %7.0f %7.0f\n",
                std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "(default)",
                ms(median(handling)), ms(*std::max_element(handling.begin(), handling.end())),
                ms(median(total)), ms(*std::max_element(total.begin(), total.end())),
                ms(median(plain)), scene.midiOut != nullptr ? "open" : "no device", silent,
                sounding);
    headless::destroyContext();
    return 0;
}

void measureKeys(const Options &options, const char *self) {
    const int presses = options.quick ? 40 : 100;
    std::printf("Choosing an effect by its key, %d presses of 1 to 8 in turn, 800x600, the real "
                "MIDI output (ms)\n",
                presses);
    std::printf("%-12s %7s %7s %7s %7s %7s  %-9s %7s %7s\n", "audio", "key", "key max", "+frame",
                "max", "frame", "MIDI", "4 fps", "4 + S");
    std::fflush(stdout);
    const std::string run = std::string(self) + " --keys-run " + std::to_string(presses);
    std::system(run.c_str());
    std::system(("SDL_AUDIODRIVER=dummy " + run).c_str());
    std::printf("  key: the window procedure's handling (scene reset, MIDI close and open); "
                "+frame: key and the next frame; frame: a frame without a key (ms); 4 fps, "
                "4 + S: frames per second of effect 4 with sound off and on\n\n");
}

// Runs a command and returns the first-frame time that nimbrost-frame-watch printed, or -1.
double firstFrame(const std::string &command) {
    FILE *output = popen(command.c_str(), "r");
    if (output == nullptr) {
        return -1;
    }
    double ms = -1;
    char line[256];
    while (std::fgets(line, sizeof line, output) != nullptr) {
        std::sscanf(line, "first frame %lf ms", &ms);
    }
    pclose(output);
    return ms;
}

void measureStartup(const char *self) {
    std::printf("Start-up: process start to the first drawn frame of -win, median of 5 (ms)\n");
    if (std::getenv("DISPLAY") == nullptr) {
        std::printf("  skipped: no X display (run under tests/support/with-display)\n\n");
        return;
    }
    const std::string folder = std::string(self).substr(0, std::string(self).rfind('/') + 1);
    const std::string watch = folder + "nimbrost-frame-watch --seconds 0.2 -- ";
    struct Build {
        const char *name, *command;
    } builds[] = {{"Linux", "nimbrost -win"},
                  {"Windows under Wine", "../windows/Nimbrost.exe -win"}};
    for (const Build &build : builds) {
        const bool wine = std::strstr(build.command, ".exe") != nullptr;
        const std::string program = folder + build.command;
        if (wine && (access((folder + "../windows/Nimbrost.exe").c_str(), R_OK) != 0 ||
                     std::system("wine --version >/dev/null 2>&1") != 0)) {
            std::printf("  %-20s skipped: no Windows build or no Wine\n", build.name);
            continue;
        }
        const std::string command = watch + (wine ? "wine " : "") + program + " 2>/dev/null";
        firstFrame(command); // warms the file cache and, under Wine, the prefix
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) {
            times.push_back(firstFrame(command));
        }
        std::printf("  %-20s %7.0f\n", build.name, median(times));
    }
    std::printf("\n");
}

void measureAllocations(const Options &options) {
    const int frames = options.quick ? 200 : 1000;
    std::printf("Heap allocations per frame, 800x600, %d frames after 50 of warm-up\n", frames);
    std::printf("%-30s %10s %10s\n", "", "program", "libraries");
    struct Case {
        char key;
        bool overlay;
    } cases[] = {{'1', false}, {'2', false}, {'3', false}, {'4', false}, {'5', false},
                 {'6', false}, {'7', false}, {'8', false}, {'1', true}};
    for (const Case &c : cases) {
        startScene(sizes[0], nimbrost::findEffect(static_cast<unsigned char>(c.key)), false);
        drawFrames(50);
        startCountingAllocations();
        for (int i = 0; i < frames; ++i) {
            nimbrost::drawFrame();
            if (c.overlay) {
                nimbrost::drawOverlay(60.0);
            }
            glFinish();
        }
        const AllocationCount count = stopCountingAllocations();
        const nimbrost::EffectEntry &row = nimbrost::effectRegistry[c.key - '1'];
        char name[64];
        std::snprintf(name, sizeof name, "%c %s%s", row.key, row.name,
                      c.overlay ? " + overlay" : "");
        std::printf("%-30s %10.3f %10.3f\n", name, static_cast<double>(count.own) / frames,
                    static_cast<double>(count.other) / frames);
    }
    std::printf("\n");
}

bool wanted(const Options &options, const char *measure) {
    return options.only.empty() || options.only == measure;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::strcmp(argv[1], "--profile-run") == 0) {
        return profileRun(argv[2][0], std::atoi(argv[3]));
    }
    if (argc == 3 && std::strcmp(argv[1], "--keys-run") == 0) {
        return keysRun(std::atoi(argv[2]));
    }
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.quick = true;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            options.only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: nimbrost-bench [--quick] "
                                 "[--only fps|instructions|keys|startup|allocations]\n");
            return 2;
        }
    }
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        std::strcpy(self, argv[0]);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (wanted(options, "instructions")) {
        measureInstructions(options, self);
    }
    if (wanted(options, "keys")) {
        measureKeys(options, self);
    }
    if (wanted(options, "startup")) {
        measureStartup(self);
    }
    if (wanted(options, "fps") || wanted(options, "allocations")) {
        if (!makeContext()) {
            return 1;
        }
        if (wanted(options, "fps")) {
            measureFrameRates(options);
        }
        if (wanted(options, "allocations")) {
            measureAllocations(options);
        }
        headless::destroyContext();
    }
    return 0;
}
