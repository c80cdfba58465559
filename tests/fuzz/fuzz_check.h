// What the fuzz targets share: a failed check says what failed and aborts, which libFuzzer
// reports as a crash with the input that caused it; the targets that draw do so on a small
// headless OpenGL context.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/headless/gl_context.h"

#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: " __VA_ARGS__);                                    \
            std::fputc('\n', stderr);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Makes the headless context that the drawing targets draw on; ends the run when there is none.
inline void startFuzzContext() {
    const char *error = nullptr;
    if (!headless::createContext(64, 64, &error)) {
        std::fprintf(stderr, "%s\n", error);
        std::exit(1);
    }
}
