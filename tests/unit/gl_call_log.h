// A log of the matrix pushes and drawing calls that the code under test makes, for counting
// pushes, rectangles and outlines (the stack depth read back after a frame shows the pops). The
// test binary is linked with -Wl,--wrap=glPushMatrix,--wrap=glRectd,--wrap=glBegin
// (tests/CMakeLists.txt): every call of those three, from the scene library and the tests alike,
// goes through the wrappers in gl_call_log.cpp, which log it and then make the real call.
#pragma once

#include <array>
#include <vector>

#include "platform/win32.h"

namespace glcalls {

// The GL state at one logged drawing call.
struct Draw {
    std::array<double, 16> modelview; // GL_MODELVIEW_MATRIX, column-major
    std::array<double, 4> color;      // GL_CURRENT_COLOR
};

extern int pushes;
extern std::vector<Draw> rects;     // every glRectd, with the state it was drawn in
extern std::vector<Draw> lineLoops; // every glBegin(GL_LINE_LOOP): the outlines

void clear();

} // namespace glcalls
