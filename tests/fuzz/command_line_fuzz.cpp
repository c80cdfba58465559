// Fuzz target: the command line. The input is the program's arguments, separated by NUL bytes.
// The Linux main makes them into the tail, and WinMain runs with it over the recording platform
// on a headless OpenGL context, until an ESC that comes after the first frame.
// Checks: the Windows runtime reads the tail back as the same arguments; WinMain returns 0; it
// makes a window exactly when the tail is empty or holds "/S", "/s" or "-win", with a caption
// exactly when it holds "-win", and makes no call at all otherwise; it releases all it made and
// leaves the display mode as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/x11/entry.h"
#include "scene/scene.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/frame_checks.h"
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
    framechecks::startContext(64);
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
    recording::postAfterFrames(1, WM_KEYUP, VK_ESCAPE);
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
    FUZZ_CHECK(recording::made("CreateWindowExA") == (accepted ? 1 : 0) &&
                   (accepted || recording::calls.empty()),
               "[%s] makes %d windows in %zu calls", tail, recording::made("CreateWindowExA"),
               recording::calls.size());
    FUZZ_CHECK(!accepted || nimbrost::scene.settings.windowed == (windowed ? 1 : 0), "[%s] runs %s",
               tail, windowed ? "full screen" : "in a window");
    for (const auto &[made, released] : {std::pair{"CreateWindowExA", "DestroyWindow"},
                                         {"GetDC", "ReleaseDC"},
                                         {"wglCreateContext", "wglDeleteContext"},
                                         {"midiOutOpen", "midiOutClose"},
                                         {"CreateFontA", "DeleteObject"}}) {
        FUZZ_CHECK(recording::made(made) == recording::made(released), "[%s] %s %d times, %s %d",
                   tail, made, recording::made(made), released, recording::made(released));
    }
    const std::string modes = recording::logged({"ChangeDisplaySettingsA("});
    FUZZ_CHECK(modes.empty() || modes.compare(modes.size() - 5, 5, ", 0)\n") == 0,
               "[%s] leaves the display mode changed:\n%s", tail, modes.c_str());
    std::free(tail);
    return 0;
}
