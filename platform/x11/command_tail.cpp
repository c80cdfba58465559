#include <cstdlib>
#include <cstring>

#include "platform/x11/entry.h"

namespace {

char *appendRepeated(char *end, char c, std::size_t count) {
    std::memset(end, c, count);
    return end + count;
}

char *appendQuoted(char *end, const char *argument) {
    const bool quoted = argument[0] == '\0' || std::strpbrk(argument, " \t") != nullptr;
    if (quoted) {
        *end++ = '"';
    }
    std::size_t backslashes = 0;
    for (const char *c = argument; *c != '\0'; ++c) {
        if (*c == '\\') {
            ++backslashes;
            continue;
        }
        // A double quote is escaped, and the backslashes before it with it.
        end = appendRepeated(end, '\\', *c == '"' ? 2 * backslashes + 1 : backslashes);
        backslashes = 0;
        *end++ = *c;
    }
    end = appendRepeated(end, '\\', quoted ? 2 * backslashes : backslashes);
    if (quoted) {
        *end++ = '"';
    }
    return end;
}

} // namespace

char *makeCommandTail(int count, char *const *arguments) {
    // Quoting at most doubles an argument and adds two quotes; a space goes before each.
    std::size_t capacity = 1;
    for (int i = 0; i < count; ++i) {
        capacity += 2 * std::strlen(arguments[i]) + 3;
    }
    char *tail = static_cast<char *>(std::malloc(capacity));
    if (tail == nullptr) {
        return nullptr;
    }
    char *end = tail;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            *end++ = ' ';
        }
        end = appendQuoted(end, arguments[i]);
    }
    *end = '\0';
    // The runtime skips everything up to the first character above the space.
    const char *start = tail;
    while (*start != '\0' && static_cast<unsigned char>(*start) <= ' ') {
        ++start;
    }
    std::memmove(tail, start, static_cast<std::size_t>(end - start) + 1);
    return tail;
}
