// Fuzz target: the command line. The input is the program's arguments, separated by NUL bytes.
// The Linux main makes them into the tail, and WinMain runs with it over the recording platform
// on a headless OpenGL context, for one frame.
// Checks: the Windows runtime reads the tail back as the same arguments; WinMain returns 0; it
// makes a window exactly when the tail is empty or holds "/S", "/s" or "-win", and makes no call
// at all otherwise; it runs in a window exactly when the tail holds "-win"; the cursor ends hidden
// after full screen (hidden as the window is made and again going full screen, shown once at the
// end) and shown after a window.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/gl_context.h"
#include "platform/x11/entry.h"
#include "scene/scene.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/recording_platform.h"

namespace {

// The arguments the Windows runtime reads from a tail: blanks separate them, double quotes group
// blanks into one, and backslashes escape a double quote.
std::vector<std::string> windowsArguments(const char *c) {
    std::vector<std::string> arguments;
    for (;;) {
        c += std::strspn(c, " \t");
        if (*c == '\0') {
            return arguments;
        }
        std::string argument;
        for (bool quoted = false; *c != '\0' && (quoted || (*c != ' ' && *c != '\t'));) {
            const std::size_t backslashes = std::strspn(c, "\\");
            c += backslashes;
            if (*c == '"') {
                argument.append(backslashes / 2, '\\').append(backslashes % 2, '"');
                quoted ^= backslashes % 2 == 0;
                ++c;
            } else if (backslashes > 0) {
                argument.append(backslashes, '\\');
            } else {
                argument += *c++;
            }
        }
        arguments.push_back(argument);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const char *error = "";
    FUZZ_CHECK(headless::createContext(64, 64, &error), "%s", error);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    std::vector<char *> pointers;
    for (std::size_t at = 0; size > 0 && at < text.size(); at += std::strlen(&text[at]) + 1) {
        pointers.push_back(&text[at]);
    }
    const std::vector<std::string> arguments(pointers.begin(), pointers.end());
    char *tail = makeCommandTail(static_cast<int>(pointers.size()), pointers.data());
    FUZZ_CHECK(tail != nullptr, "no tail");

    // The runtime drops what leads the tail up to the first character above the space: the
    // arguments read back whole unless the first one starts with a control character.
    const bool skipped = !arguments.empty() && !arguments[0].empty() &&
                         static_cast<unsigned char>(arguments[0][0]) < ' ' &&
                         arguments[0].find_first_of(" \t") == std::string::npos;
    FUZZ_CHECK(skipped || windowsArguments(tail) == arguments,
               "the tail [%s] reads back differently", tail);

    nimbrost::scene = nimbrost::SceneState();
    recording::clear();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    static char moduleImage;
    recording::useTestContext(false); // as in a process that starts
    const int exitCode =
        WinMain(reinterpret_cast<HINSTANCE>(&moduleImage), nullptr, tail, SW_SHOWDEFAULT);
    recording::useTestContext(true);
    glPopAttrib();

    const bool windowed = std::strstr(tail, "-win") != nullptr;
    const bool accepted = tail[0] == '\0' || windowed || std::strstr(tail, "/S") != nullptr ||
                          std::strstr(tail, "/s") != nullptr;
    FUZZ_CHECK(exitCode == 0, "[%s] exits with %d", tail, exitCode);
    FUZZ_CHECK(accepted ? nimbrost::scene.mainWindow != nullptr
                        : recording::otherCalls == 0 && recording::log.empty(),
               "[%s] is %s, yet makes %d calls", tail, accepted ? "accepted" : "refused",
               recording::otherCalls);
    FUZZ_CHECK(!accepted || (nimbrost::scene.settings.windowed == windowed &&
                             recording::cursorCount == (windowed ? 1 : -1)),
               "[%s] runs windowed %d with the cursor at %d", tail,
               nimbrost::scene.settings.windowed, recording::cursorCount);
    std::free(tail);
    return 0;
}
