// The application shell: the entry and its message and render loop (WinMain, in win_main.cpp),
// the OpenGL context with its font lists, the display mode switch, and the window procedure with
// its keyboard commands and mouse camera control.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace nimbrost {

// Window class and title.
extern const char windowClassName[];

// Makes the window's device context and OpenGL rendering context (stored in the two places),
// chooses the first effect, enters full screen unless windowed, and makes the glyph lists of the
// characters 32 to 127 starting at `fontListBase`.
void initOpenGL(HWND window, HDC *deviceContext, HGLRC *renderingContext);
// The font of the glyph lists: GDI's closest match to 16-pixel light Verdana.
HFONT createGlyphFont();
// Leaves full screen and releases, in reverse, what initOpenGL made (null handles are skipped).
void shutdownOpenGL(HWND window, HDC deviceContext, HGLRC renderingContext);

// Non-zero: full screen at width x height, no caption, cursor hidden once. 0: the desktop mode,
// caption back, cursor shown once. `windowed` is the caller's to keep.
void setFullScreen(std::int32_t flag);

// The average frame rate since the last scene reset: frameCount over the seconds since startTick.
double averageFrameRate();

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Mouse camera. An argument of exactly 0.0 leaves its axis and anchor alone.
void moveCamera(double a, double b, double c);
void turnCamera(double a, double b, double c);

} // namespace nimbrost
