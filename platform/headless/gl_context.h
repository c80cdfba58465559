// An OpenGL compatibility context without any display: EGL on Mesa's surfaceless platform,
// drawing into a framebuffer object of a given size (RGBA 8 bits, depth 16 bits).
#pragma once

#include <cstdint>
#include <vector>

namespace headless {

// Creates the context and makes it current with a width x height target. On failure returns
// false and fills `error` with one line saying why.
bool createContext(int width, int height, const char **error);
// Replaces the drawing target by one of a new size (the context stays current).
bool resizeTarget(int width, int height);
void destroyContext();

// The largest width or height a target may have.
int maxTargetSize();

// Reads the target back as RGBA rows, top row first.
void readPixels(std::vector<std::uint8_t> &rgba);

} // namespace headless
