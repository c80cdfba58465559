// The Linux main hands WinMain the tail that Windows hands it for the same arguments. The
// expected tails are those the Windows build receives under Wine for these arguments. The
// outcomes of the empty tail, an empty argument and several arguments are the faults test's; that
// any arguments read back from their tail is the command-line fuzz target's check.
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
        {{"\n/s"}, "/s"}, {{"\n", "/s"}, "/s"},
        // clang-format on
    };
    for (const auto &[arguments, tail] : cases) {
        EXPECT_EQ(tail, tailOf(arguments)) << testing::PrintToString(arguments);
    }
}

} // namespace
