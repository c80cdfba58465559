// nimbrost-bench: what a frame, a key press and a start cost, measured side by side.
//
//   nimbrost-bench [--quick] [--runs N] [--only fps|instructions|keys|builds|allocations|midi]
//
// It prints one table per measure:
//   fps           frame-rate ratios against reference frames, headless, in alternating blocks;
//                 N complete runs (default 2), each in a process of its own, and how well they
//                 agree
//   instructions  where a frame's instructions go (callgrind), with and without the overlay
//   keys          choosing an effect by its key: the key's handling and the next frame
//   builds        the Linux build and the Windows build (Wine) side by side: process start to
//                 the first drawn frame, and frames per second in the window; beside them a
//                 bare GLX program, the floor the X libraries and the GL driver set
//   allocations   heap allocations per frame, the program's own and the libraries'
//   midi          what the MIDI output costs: opening, re-opening, one message, the audio
//                 thread, the soundfont's memory (SDL's dummy audio driver unless one is chosen)
// The builds measure needs an X display with a window manager (tests/support/with-display).
#include <signal.h>
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
#include "platform/x11/fonts.h"
#include "tools/bench/allocation_count.h"
#include "tools/bench/frame_rates.h"
#include "tools/bench/instruction_share.h"
#include "tools/bench/midi_figures.h"

using nimbrost::scene;

namespace {

struct Options {
    bool quick = false;
    int runs = 2;
    std::string only;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double framesPerSecond(int warmUp, int frames) {
    drawFrames(warmUp);
    const double start = seconds();
    drawFrames(frames);
    return frames / (seconds() - start);
}

// The calendar time that "Dancing polaroids" and "Broken mosaic" seed from, fixed so that every
// run draws the same frames.
std::time_t benchCalendar() {
    return 1700000000;
}

// A headless context with the program's glyph lists, for the overlay.
bool makeContext() {
    const char *error = nullptr;
    if (!headless::createContext(800, 600, &error)) {
        std::fprintf(stderr, "nimbrost-bench: %s\n", error);
        return false;
    }
    scene.calendarClock = benchCalendar;
    HFONT font = nimbrost::createGlyphFont();
    scene.fontListBase = glGenLists(96);
    platform::compileGlyphLists(font, 32, 96, scene.fontListBase);
    DeleteObject(font);
    return true;
}

RatioPlan ratioPlan(bool quick) {
    RatioPlan plan;
    if (quick) {
        plan.rounds = 10;
    }
    return plan;
}

// One complete run of the frame-rate ratios, in a process of its own; the ratios go to `path`.
int ratiosRun(const std::string &path, bool quick) {
    if (!makeContext()) {
        return 1;
    }
    const std::vector<Ratio> ratios = measureRatios(ratioPlan(quick));
    headless::destroyContext();
    return writeRatios(path, ratios) ? 0 : 1;
}

// A new empty file in /tmp whose name starts with `prefix`, or "" when none can be made.
std::string temporaryFile(const char *prefix) {
    std::string path = std::string("/tmp/") + prefix + "-XXXXXX";
    const int descriptor = mkstemp(&path[0]);
    if (descriptor < 0) {
        return "";
    }
    close(descriptor);
    return path;
}

void measureRatioRuns(const Options &options, const char *self) {
    const std::string path = temporaryFile("nimbrost-ratios");
    if (path.empty()) {
        std::printf("Frame-rate ratios skipped: no temporary file\n\n");
        return;
    }
    std::vector<std::vector<Ratio>> runs;
    for (int run = 1; run <= options.runs; ++run) {
        std::printf("Run %d of %d. ", run, options.runs);
        std::fflush(stdout);
        const std::string command =
            std::string(self) + " --ratios-run " + path + (options.quick ? " --quick" : "");
        std::vector<Ratio> ratios;
        if (std::system(command.c_str()) != 0 || !readRatios(path, ratios)) {
            std::printf("run %d failed\n", run);
            continue;
        }
        runs.push_back(ratios);
    }
    unlink(path.c_str());
    printAgreement(runs, 0.05);
}

// One effect's frames under callgrind, instrumented only after the warm-up; with the overlay
// over each frame when asked.
int profileRun(char key, int frames, bool overlay) {
    if (!makeContext()) {
        return 1;
    }
    startBenchScene(800, 600, false, static_cast<unsigned char>(key));
    scene.settings.showInfo = overlay ? 1 : 0;
    drawFrames(20);
    CALLGRIND_START_INSTRUMENTATION;
    drawFrames(frames);
    CALLGRIND_STOP_INSTRUMENTATION;
    headless::destroyContext();
    return 0;
}

struct ProfileCase {
    char key;
    bool overlay;
};
const ProfileCase profileCases[] = {{'1', false}, {'2', false}, {'3', false},
                                    {'4', false}, {'5', false}, {'6', false},
                                    {'7', false}, {'8', false}, {'1', true}};

void measureInstructions(const Options &options, const char *self) {
    const int frames = options.quick ? 5 : 20;
    std::printf("Instructions per frame by where they run, 800x600, %d frames under callgrind "
                "after 20 of warm-up\n",
                frames);
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        std::printf("  skipped: valgrind is not installed\n\n");
        return;
    }
    std::printf("%-30s %14s %9s %9s %9s\n", "", "instructions", "program", "libm", "driver");
    const std::string path = temporaryFile("nimbrost-callgrind");
    if (path.empty()) {
        std::printf("  skipped: no temporary file\n\n");
        return;
    }
    for (const ProfileCase &c : profileCases) {
        const nimbrost::EffectEntry &row = nimbrost::effectRegistry[c.key - '1'];
        char name[64];
        std::snprintf(name, sizeof name, "%c %s%s", row.key, row.name,
                      c.overlay ? " + overlay" : "");
        const std::string command = std::string("valgrind --tool=callgrind --instr-atstart=no ") +
                                    "--callgrind-out-file=" + path + " " + self +
                                    " --profile-run " + c.key + " " + std::to_string(frames) +
                                    (c.overlay ? " overlay" : "") + " >/dev/null 2>&1";
        std::vector<ObjectInstructions> objects;
        if (std::system(command.c_str()) != 0 || !readInstructionsByObject(path, objects)) {
            std::printf("%-30s  failed\n", name);
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
        std::printf("%-30s %14llu %8.2f%% %8.2f%% %8.2f%%\n", name,
                    total / static_cast<unsigned long long>(frames), program * share,
                    mathematics * share, (total - program - mathematics) * share);
    }
    unlink(path.c_str());
    std::printf(
        "  program: scene, effects and frame driver; libm: their sine and cosine; "
        "driver: the GL library, Mesa's llvmpipe and its generated code, the C library\n\n");
}

// Presses the effect keys in turn through the window procedure, each followed by a frame.
int keysRun(int presses) {
    if (!makeContext()) {
        return 1;
    }
    startBenchScene(800, 600, false, '1');
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

// What nimbrost-frame-watch saw of one start: the first drawn frame and the frame rate after it.
struct Start {
    double firstFrameMs = -1;
    double framesPerSecond = -1;
};

Start watchStart(const std::string &command) {
    Start start;
    FILE *output = popen(command.c_str(), "r");
    if (output == nullptr) {
        return start;
    }
    char line[256];
    while (std::fgets(line, sizeof line, output) != nullptr) {
        std::sscanf(line, "first frame %lf ms after the start; %lf frames per second",
                    &start.firstFrameMs, &start.framesPerSecond);
    }
    pclose(output);
    return start;
}

// The total of a finished callgrind dump (its last line), 0 while it is missing or unfinished.
unsigned long long dumpTotal(const std::string &path) {
    FILE *file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return 0;
    }
    unsigned long long total = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        std::sscanf(line, "totals: %llu", &total);
    }
    std::fclose(file);
    return total;
}

// Instructions that the program's main thread runs from the process start to the end of its first
// buffer swap, counted by callgrind: unlike the time to the first frame, they stay the same
// whatever else the machine does. The run before the counted one fills Mesa's shader cache for
// the processor valgrind presents. 0 when valgrind is missing or the run fails.
unsigned long long startInstructions(const std::string &program, const char *swap) {
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        return 0;
    }
    const std::string out = temporaryFile("nimbrost-start");
    if (out.empty()) {
        return 0;
    }
    unsigned long long instructions = 0;
    for (int run = 0; run < 2; ++run) {
        const std::string firstSwap = out + ".1-01"; // the first dump of the main thread
        std::remove(firstSwap.c_str());
        const std::string outFile = "--callgrind-out-file=" + out;
        const std::string dumpAfter = std::string("--dump-after=") + swap;
        const pid_t child = fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            execlp("valgrind", "valgrind", "--tool=callgrind", "--separate-threads=yes",
                   dumpAfter.c_str(), outFile.c_str(), program.c_str(), "-win",
                   static_cast<char *>(nullptr));
            _exit(127);
        }
        instructions = 0;
        for (int wait = 0; wait < 1800 && child > 0 && instructions == 0; ++wait) {
            usleep(100000);
            instructions = dumpTotal(firstSwap);
        }
        if (child > 0) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
        }
    }
    std::system(("rm -f " + out + "*").c_str());
    return instructions;
}

// The Linux build and the Windows build under Wine, one after the other in the same run: each
// started 5 times in an 800x600 window, its first frame and its frame rate watched from the X
// server.
void measureBuilds(const char *self) {
    std::printf("The Linux and the Windows build side by side: -win on this X display, effect 1 "
                "in an 800x600 window, median of 5 starts (the Wine prefix made ready first); a "
                "bare GLX program drawing a square as the floor\n");
    if (std::getenv("DISPLAY") == nullptr) {
        std::printf("  skipped: no X display (run under tests/support/with-display)\n\n");
        return;
    }
    std::printf("%-22s %16s %8s %20s\n", "", "first frame (ms)", "target", "frames per second");
    const std::string folder = std::string(self).substr(0, std::string(self).rfind('/') + 1);
    const std::string watch = folder + "nimbrost-frame-watch --seconds 1 -- ";
    struct Build {
        const char *name, *command;
        double target;
    } builds[] = {{"Linux", "nimbrost -win", 100},
                  {"Windows under Wine", "../windows/Nimbrost.exe -win", 250},
                  {"bare GLX program", "nimbrost-bare-frame", 0}};
    for (const Build &build : builds) {
        const bool wine = std::strstr(build.command, ".exe") != nullptr;
        const std::string program = folder + build.command;
        if (wine && (access((folder + "../windows/Nimbrost.exe").c_str(), R_OK) != 0 ||
                     std::system("wine --version >/dev/null 2>&1") != 0)) {
            std::printf("%-22s skipped: no Windows build or no Wine\n", build.name);
            continue;
        }
        const std::string command = watch + (wine ? "wine " : "") + program + " 2>/dev/null";
        watchStart(command); // warms the file cache and, under Wine, the prefix
        std::vector<double> firstFrames, rates;
        for (int run = 0; run < 5; ++run) {
            const Start start = watchStart(command);
            firstFrames.push_back(start.firstFrameMs);
            rates.push_back(start.framesPerSecond);
        }
        const std::string target =
            build.target > 0 ? "< " + std::to_string(static_cast<int>(build.target)) : "";
        std::printf("%-22s %16.0f %8s %20.0f\n", build.name, median(firstFrames), target.c_str(),
                    median(rates));
    }
    // The bare program's count is the floor that the X libraries and the GL driver set.
    const unsigned long long instructions = startInstructions(folder + "nimbrost", "SwapBuffers");
    const unsigned long long floor =
        startInstructions(folder + "nimbrost-bare-frame", "glXSwapBuffers");
    if (instructions > 0 && floor > 0) {
        std::printf("  Linux: %.1f million instructions on the main thread from the process start "
                    "to the end of the first swap (callgrind); the bare GLX program %.1f million\n",
                    static_cast<double>(instructions) / 1e6, static_cast<double>(floor) / 1e6);
    }
    std::printf("\n");
}

void measureAllocations(const Options &options) {
    const int frames = options.quick ? 200 : 1000;
    std::printf("Heap allocations per frame, 800x600, %d frames after 50 of warm-up\n", frames);
    if (!allocationsCounted) {
        std::printf("  skipped: not counted under AddressSanitizer\n\n");
        return;
    }
    std::printf("%-30s %10s %10s\n", "", "program", "libraries");
    struct Case {
        char key;
        bool overlay;
    } cases[] = {{'1', false}, {'2', false}, {'3', false}, {'4', false}, {'5', false},
                 {'6', false}, {'7', false}, {'8', false}, {'1', true}};
    for (const Case &c : cases) {
        startBenchScene(800, 600, false, static_cast<unsigned char>(c.key));
        drawFrames(50);
        startCountingAllocations(true);
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
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--profile-run") == 0) {
        return profileRun(argv[2][0], std::atoi(argv[3]), argc == 5);
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--ratios-run") == 0) {
        return ratiosRun(argv[2], argc == 4);
    }
    if (argc == 3 && std::strcmp(argv[1], "--keys-run") == 0) {
        return keysRun(std::atoi(argv[2]));
    }
    if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "--midi-run") == 0) {
        return midiRun(argc == 3);
    }
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.quick = true;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc &&
                   std::strstr(" fps instructions keys builds allocations midi ",
                               (" " + std::string(argv[i + 1]) + " ").c_str()) != nullptr) {
            options.only = argv[++i];
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc &&
                   std::atoi(argv[i + 1]) >= 1) {
            options.runs = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: nimbrost-bench [--quick] [--runs N] "
                                 "[--only fps|instructions|keys|builds|allocations|midi]\n");
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
    if (wanted(options, "builds")) {
        measureBuilds(self);
    }
    if (wanted(options, "allocations")) {
        if (!makeContext()) {
            return 1;
        }
        measureAllocations(options);
        headless::destroyContext();
    }
    if (wanted(options, "midi")) {
        // In a process of its own, so that its memory figures start from a process without
        // a synthesizer.
        std::printf("The MIDI output\n");
        std::system(
            (std::string(self) + " --midi-run" + (options.quick ? " --quick" : "")).c_str());
        std::printf("\n");
    }
    if (wanted(options, "fps")) {
        measureRatioRuns(options, self);
    }
    return 0;
}
