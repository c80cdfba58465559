// Fuzz target: the command line. The input is the program's arguments, separated by NUL bytes,
// which the Linux main makes into the tail for WinMain.
// Check: the Windows runtime reads the tail back as the same arguments.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/x11/entry.h"
#include "tests/fuzz/fuzz_check.h"

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
    std::free(tail);
    return 0;
}
