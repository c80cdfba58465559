// A recording stand-in for the platform calls (tick counter, MIDI output, windows, messages,
// display modes, device and OpenGL contexts, fonts), linked into the tests in place of
// platform/sdl. Every call is logged as one readable line, in order; handles it makes are logged
// as #1, #2, ... in the order they were made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace recording {

// The log of platform calls since the last clear().
extern std::vector<std::string> calls;
// What GetTickCount returns.
extern DWORD tickCount;
// Whether midiOutOpen finds a device.
extern bool midiAvailable;

// What GetSystemMetrics reports for SM_CXSCREEN and SM_CYSCREEN (0 may be set).
extern int screenWidth;
extern int screenHeight;
// Whether CreateWindowExA makes a window.
extern bool windowsAvailable;
// Where GetCursorPos finds the pointer.
extern POINT cursorPosition;
// ShowCursor's display count: the cursor shows while it is 0 or more.
extern int cursorCount;
// The mode EnumDisplaySettingsA reports as current, and the record of the last
// ChangeDisplaySettingsA call.
extern DEVMODEA currentMode;
extern DEVMODEA lastModeChange;
// The window procedure of the last registered class.
extern WNDPROC registeredProcedure;
// The list base the last wglUseFontBitmapsA call filled.
extern DWORD fontListBase;
// What DefWindowProcA returns, whatever the message.
extern const LRESULT defaultProcedureResult;
// SwapBuffers calls so far.
extern unsigned framesPresented;
// PeekMessageA posts WM_QUIT itself after this many frames, so that a run that never quits ends.
extern unsigned frameLimit;

// Clears the log, sets the tick to 0, makes a MIDI device available and forgets open handles;
// a 1280 x 1024 screen, windows available, the pointer at (0, 0), an empty message queue.
void clear();
// Queues a message for PeekMessageA once `frames` frames have been presented (0: at once). A null
// window stands for the last window made, except for WM_QUIT.
void postAfterFrames(unsigned frames, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The style word of a window made by CreateWindowExA.
LONG windowStyle(HWND window);
// Clears the window side of the double; clear() calls it.
void clearWindows();
// The logged calls whose text starts with `prefix`.
std::vector<std::string> callsStartingWith(const std::string &prefix);
// A new handle number, shared by every kind of handle the double makes.
std::uintptr_t newHandle();
// The number of MIDI outputs open at the moment.
int openMidiOutputs();

} // namespace recording
