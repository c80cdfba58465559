// A recording stand-in for the platform calls, linked into the unit tests and the window-messages
// fuzz target in place of platform/x11. The MIDI calls are logged, one line each,
// "Name(arguments)" and for an open " -> handle", in order; handles and numbers beyond 0xFFFF in
// hex. The other calls return what `given` says or succeed; ShowCursor counts. wglMakeCurrent
// makes the test's own OpenGL context current or releases it, as the program's own would be: GL
// calls made while the program holds no current context do nothing. PeekMessageA finds WM_QUIT
// once a frame was presented.
#pragma once

#include <string>

#include "platform/win32.h"

namespace recording {

extern std::string log;
extern int cursorCount; // ShowCursor's counter

// What the platform gives; clear() restores these defaults.
struct Given {
    DWORD tickCount = 0;           // what GetTickCount returns
    bool midiAvailable = true;     // whether midiOutOpen finds a device
    POINT cursorPosition = {0, 0}; // where GetCursorPos finds the pointer
};
extern Given given;

// Empties the log, zeroes the counters and restores `given`.
void clear();
// Makes the test's context current (it must have been current at the first call) or releases it.
void useTestContext(bool current);

} // namespace recording
