// Fuzz target: the command line. The input is the program's arguments, separated by NUL bytes,
// which the Linux main makes into the tail for WinMain. Check: a tail is made, within the memory
// it was given (the sanitizers of the fuzz and asan presets watch). How each kind of argument is
// quoted and what leads the tail is skipped is the command-tail test's table.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/x11/entry.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    std::vector<char *> pointers;
    for (std::size_t at = 0; size > 0 && at < text.size(); at += std::strlen(&text[at]) + 1) {
        pointers.push_back(&text[at]);
    }
    char *tail = makeCommandTail(static_cast<int>(pointers.size()), pointers.data());
    FUZZ_CHECK(tail != nullptr, "no tail");
    std::free(tail);
    return 0;
}
