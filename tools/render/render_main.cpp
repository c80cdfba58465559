// nimbrost-render: draws frames of an effect without any display and writes them as PNG files.
//
//   nimbrost-render [--effect K] [--frames N] [--size WxH] [--every K] [--calendar SECONDS]
//                   [--out FILE.png]
//
// The scene starts as the program does (first effect, scene reset), then the effect is chosen by
// its key as a key press would choose it, and N frames are drawn. The last frame is written to
// FILE.png; with --every K, every K-th frame is written instead, numbered: FILE-000030.png.
// "Dancing polaroids" and "Broken mosaic" seed their start from the calendar clock; --calendar
// fixes the time they read, so that they draw the same frames on every run.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "tools/render/png_writer.h"

namespace {

const char usage[] =
    "usage: nimbrost-render [--effect K] [--frames N] [--size WxH] [--every K]\n"
    "                       [--calendar SECONDS] [--out FILE.png]\n"
    "  --effect K   effect key, 1 to 8 (default 1)\n"
    "  --frames N   frames to draw, 1 to 1000000 (default 120)\n"
    "  --size WxH   drawing area in pixels (default 800x600)\n"
    "  --every K    write every K-th frame as FILE-NNNNNN.png instead of the last one\n"
    "  --calendar SECONDS\n"
    "               the calendar time the effects seed from, in seconds since 1970, 0 to\n"
    "               4294967295 (default: the clock's)\n"
    "  --out FILE   output PNG file (default effect-K.png)\n";

struct Options {
    char key = '1';
    long frames = 120;
    long width = 800;
    long height = 600;
    long every = 0;
    long calendar = -1; // -1: the system's calendar clock
    std::string out;
};

// The calendar time the effects read when --calendar fixes it.
std::time_t fixedCalendar = 0;

std::time_t readFixedCalendar() {
    return fixedCalendar;
}

int refuse(const std::string &why) {
    std::fprintf(stderr, "nimbrost-render: %s\n", why.c_str());
    return 2;
}

// A whole decimal number of up to `digits` digits from first to last (exclusive), nothing else;
// -1 if it is not one.
long parseNumber(const char *first, const char *last, long digits = 9) {
    if (first == last || last - first > digits) {
        return -1;
    }
    long value = 0;
    for (const char *c = first; c != last; ++c) {
        if (*c < '0' || *c > '9') {
            return -1;
        }
        value = value * 10 + (*c - '0');
    }
    return value;
}

long parseNumber(const char *text, long digits = 9) {
    return parseNumber(text, text + std::strlen(text), digits);
}

bool endsWithPng(const std::string &path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
}

// The folder must exist and be writable, and the path must not name a folder.
bool outputWritable(const std::string &path, std::string &why) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        why = "output folder does not exist: " + folder;
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        why = "output folder is not writable: " + folder;
        return false;
    }
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        why = "output path is a folder: " + path;
        return false;
    }
    return true;
}

std::string numberedPath(const std::string &path, long frame) {
    char number[24];
    std::snprintf(number, sizeof number, "-%06ld", frame);
    return path.substr(0, path.size() - 4) + number + ".png";
}

// Returns 0 when the options are usable, else the exit code (2 after one line on stderr).
int parseOptions(int argc, char **argv, Options &options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::fputs(usage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            return refuse("missing value after " + name + " (see --help)");
        }
        const char *value = argv[++i];
        if (name == "--effect") {
            if (std::strlen(value) != 1 ||
                nimbrost::findEffect(static_cast<unsigned char>(value[0])) == nullptr) {
                return refuse(std::string("no effect has the key '") + value + "' (1 to 8)");
            }
            options.key = value[0];
        } else if (name == "--frames") {
            options.frames = parseNumber(value);
            if (options.frames < 1 || options.frames > 1000000) {
                return refuse(std::string("frame count must be 1 to 1000000: ") + value);
            }
        } else if (name == "--every") {
            options.every = parseNumber(value);
            if (options.every < 1) {
                return refuse(std::string("--every must be a whole number of at least 1: ") +
                              value);
            }
        } else if (name == "--calendar") {
            options.calendar = parseNumber(value, 10);
            if (options.calendar < 0 || options.calendar > 4294967295L) {
                return refuse(std::string("--calendar must be whole seconds, 0 to 4294967295: ") +
                              value);
            }
        } else if (name == "--size") {
            const char *x = std::strchr(value, 'x');
            options.width = x ? parseNumber(value, x) : -1;
            options.height = x ? parseNumber(x + 1) : -1;
            if (options.width < 1 || options.height < 1) {
                return refuse(std::string("size must be WIDTHxHEIGHT, e.g. 800x600: ") + value);
            }
        } else if (name == "--out") {
            options.out = value;
            if (!endsWithPng(options.out)) {
                return refuse("output file must end in .png: " + options.out);
            }
        } else {
            return refuse("unknown option " + name + " (see --help)");
        }
    }
    if (options.out.empty()) {
        options.out = std::string("effect-") + options.key + ".png";
    }
    if (options.every > options.frames) {
        return refuse("--every is larger than the frame count");
    }
    std::string why;
    if (!outputWritable(options.out, why)) {
        return refuse(why);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (const int refused = parseOptions(argc, argv, options)) {
        return refused;
    }

    const char *error = nullptr;
    if (!headless::createContext(1, 1, &error)) {
        std::fprintf(stderr, "nimbrost-render: %s\n", error);
        return 1;
    }
    const long largest = headless::maxTargetSize();
    if (options.width > largest || options.height > largest) {
        headless::destroyContext();
        return refuse("size exceeds the renderer's limit of " + std::to_string(largest) +
                      " pixels a side");
    }
    if (!headless::resizeTarget(static_cast<int>(options.width),
                                static_cast<int>(options.height))) {
        headless::destroyContext();
        std::fprintf(stderr, "nimbrost-render: cannot make a %ldx%ld drawing target\n",
                     options.width, options.height);
        return 1;
    }

    if (options.calendar >= 0) {
        fixedCalendar = static_cast<std::time_t>(options.calendar);
        nimbrost::scene.calendarClock = readFixedCalendar;
    }
    nimbrost::startScene(static_cast<int>(options.width), static_cast<int>(options.height), 1,
                         static_cast<unsigned char>(options.key));

    std::vector<std::uint8_t> rgba;
    std::vector<std::string> written;
    double drawSeconds = 0.0;
    for (long frame = 1; frame <= options.frames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        nimbrost::drawFrame();
        glFinish();
        drawSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        const bool wanted = options.every ? frame % options.every == 0 : frame == options.frames;
        if (!wanted) {
            continue;
        }
        const std::string path = options.every ? numberedPath(options.out, frame) : options.out;
        headless::readPixels(rgba);
        if (!writePng(path, static_cast<int>(options.width), static_cast<int>(options.height),
                      rgba)) {
            std::fprintf(stderr, "nimbrost-render: cannot write %s: %s\n", path.c_str(),
                         std::strerror(errno));
            for (const std::string &done : written) {
                std::remove(done.c_str());
            }
            headless::destroyContext();
            return 1;
        }
        written.push_back(path);
    }
    headless::destroyContext();

    std::printf("%s: effect %c, %ld frames at %ldx%ld, %.3f ms per frame; wrote %s%s\n", argv[0],
                options.key, options.frames, options.width, options.height,
                1000.0 * drawSeconds / static_cast<double>(options.frames), written.back().c_str(),
                written.size() > 1 ? " and earlier frames" : "");
    return 0;
}
