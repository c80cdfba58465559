// A recording stand-in for the platform calls, linked into the unit tests and two fuzz targets in
// place of platform/x11. Every call is logged as one line, "Name(arguments) -> result", in order.
// Handles the double makes show by kind and number (window1, dc1, glrc1, font1, midi1, ...; the
// system font is font0), null as "null"; messages and key codes by name (WM_KEYUP, VK_F1, 'B');
// numbers beyond +-0xFFFF in hex, negative ones in two's complement of their width.
// wglMakeCurrent makes the test's own OpenGL context current or releases it, as the program's
// own would be: GL calls made while the program holds no current context do nothing.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace recording {

extern std::vector<std::string> calls;

// What the platform gives; clear() restores these defaults.
struct Given {
    DWORD tickCount = 0;           // what GetTickCount returns
    bool midiAvailable = true;     // whether midiOutOpen finds a device
    bool windowsAvailable = true;  // whether CreateWindowExA makes a window
    int screenWidth = 1280;        // GetSystemMetrics(SM_CXSCREEN)
    int screenHeight = 1024;       // GetSystemMetrics(SM_CYSCREEN)
    POINT cursorPosition = {0, 0}; // where GetCursorPos finds the pointer
};
extern Given given;
extern DWORD fontListBase; // the list base the last wglUseFontBitmapsA call filled
extern const LRESULT defaultProcedureResult;

// Empties the log and the message queue and restores `given`.
void clear();
// Queues a message to the last window made, for PeekMessageA once `frames` frames were presented.
// When the queue is empty after 1000 frames, PeekMessageA posts WM_QUIT itself.
void postAfterFrames(unsigned frames, UINT message, WPARAM wParam);
// The logged calls that start with any of the prefixes, in order, each ended by a newline.
std::string logged(std::initializer_list<std::string> prefixes = {""});
// How many logged calls start with `prefix`.
int made(const std::string &prefix);
// Empty when, for each step, a call that starts with it was made after the call found for the
// step before; otherwise the first step not found, and the whole log.
std::string outOfOrder(std::initializer_list<std::string> steps);
// Makes the test's context current (it must have been current at the first call) or releases it.
void useTestContext(bool current);

} // namespace recording
