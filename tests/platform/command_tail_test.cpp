// The Linux main hands WinMain the tail that Windows hands it for the same arguments: one case for
// each way of quoting, escaping and skipping. The expected tails are those the Windows build
// receives under Wine, but for bytes above 0x7F, which are kept as they are: Wine would convert
// them to the ANSI code page, and the mingw-w64 runtime, comparing signed chars, skips them where
// they lead the tail. What WinMain makes of each kind of tail is the shell's unit test's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/entry.h"

namespace {

std::string tailOf(std::vector<std::string> arguments) {
    std::vector<char *> pointers;
    for (std::string &argument : arguments) {
        pointers.push_back(&argument[0]);
    }
    const std::unique_ptr<char, decltype(&std::free)> tail(
        makeCommandTail(static_cast<int>(pointers.size()), pointers.data()), std::free);
    return tail.get();
}

TEST(CommandTail, QuotesAndSkipsAsTheWindowsRuntimeDoes) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // clang-format off
        {{"x", ""}, "x \"\""}, {{"\t"}, "\"\t\""}, {{"a b\\"}, "\"a b\\\\\""}, {{"a\"b"}, "a\\\"b"},
        {{"a\\\"b"}, "a\\\\\\\"b"}, {{"a\\b"}, "a\\b"}, {{"a\nb"}, "a\nb"}, {{"\n"}, ""},
        {{"\n/s"}, "/s"}, {{"\n", "/s"}, "/s"}, {{"a\\"}, "a\\"}, {{"\xc3\xa9"}, "\xc3\xa9"},
        // clang-format on
    };
    for (const auto &[arguments, tail] : cases) {
        EXPECT_EQ(tail, tailOf(arguments)) << testing::PrintToString(arguments);
    }
}

} // namespace
