#include "tests/support/recording_platform.h"

#include <EGL/egl.h>

#include <cstdio>
#include <cstdint>

namespace recording {

std::string log;
int cursorCount;
Given given;

namespace {

unsigned midiOutputs, framesPresented;
char line[128];

// Appends a line to the log, made by printf's `format` and the arguments that follow.
#define NOTE(format, ...) (std::snprintf(line, sizeof line, format "\n", __VA_ARGS__), log += line)

} // namespace

void clear() {
    log.clear();
    cursorCount = 0;
    midiOutputs = framesPresented = 0;
    given = Given();
}

void useTestContext(bool current) {
    static const EGLDisplay display = eglGetCurrentDisplay();
    static const EGLContext context = eglGetCurrentContext();
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, current ? context : EGL_NO_CONTEXT);
}

} // namespace recording

using namespace recording;

// A handle that is not null, for what the program only passes back.
#define MADE(Handle) reinterpret_cast<Handle>(std::uintptr_t{1})

// A platform function that evaluates and returns `result`.
#define STUB(Type, Name, Parameters, result)                                                       \
    Type Name Parameters {                                                                         \
        return result;                                                                             \
    }

MMRESULT midiOutOpen(LPHMIDIOUT out, UINT device, DWORD_PTR callback, DWORD_PTR data, DWORD flags) {
    const auto handle = given.midiAvailable ? std::uintptr_t{++midiOutputs} : 0;
    *out = reinterpret_cast<HMIDIOUT>(handle);
    NOTE("midiOutOpen(0x%x, %zu, %zu, %u) -> %#zx", device, callback, data, flags, handle);
    return given.midiAvailable ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}
MMRESULT midiOutShortMsg(HMIDIOUT out, DWORD message) {
    NOTE("midiOutShortMsg(%p, 0x%x)", static_cast<void *>(out), message);
    return MMSYSERR_NOERROR;
}
MMRESULT midiOutClose(HMIDIOUT out) {
    NOTE("midiOutClose(%p)", static_cast<void *>(out));
    return MMSYSERR_NOERROR;
}
STUB(LRESULT, DefWindowProcA, (HWND, UINT, WPARAM, LPARAM), 0)
STUB(void, PostQuitMessage, (int), void())
STUB(DWORD, GetTickCount, (void), given.tickCount)

// WM_QUIT once a frame was presented: a run ends after its first frame.
BOOL PeekMessageA(LPMSG message, HWND, UINT, UINT, UINT) {
    message->message = WM_QUIT;
    return framesPresented > 0;
}

STUB(BOOL, GetCursorPos, (LPPOINT point), (*point = given.cursorPosition, TRUE))
STUB(int, ShowCursor, (BOOL show), cursorCount += show ? 1 : -1)
STUB(int, GetSystemMetrics, (int), 0)
STUB(HICON, LoadIconA, (HINSTANCE, LPCSTR), MADE(HICON))
STUB(HCURSOR, LoadCursorA, (HINSTANCE, LPCSTR), MADE(HCURSOR))
STUB(HGDIOBJ, GetStockObject, (int), MADE(HGDIOBJ))
STUB(ATOM, RegisterClassA, (const WNDCLASSA *), 0xC000)
STUB(HWND, CreateWindowExA,
     (DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, void *), MADE(HWND))
STUB(BOOL, DestroyWindow, (HWND), TRUE)
STUB(BOOL, TranslateMessage, (const MSG *), FALSE)
STUB(LRESULT, DispatchMessageA, (const MSG *), 0)
STUB(LONG, GetWindowLongA, (HWND, int), 0)
STUB(LONG, SetWindowLongA, (HWND, int, LONG), 0)
STUB(BOOL, SetWindowPos, (HWND, HWND, int, int, int, int, UINT), TRUE)
STUB(BOOL, EnumDisplaySettingsA, (LPCSTR, DWORD, DEVMODEA *), TRUE)
STUB(LONG, ChangeDisplaySettingsA, (DEVMODEA *, DWORD), DISP_CHANGE_SUCCESSFUL)
STUB(HDC, GetDC, (HWND), MADE(HDC))
STUB(int, ReleaseDC, (HWND, HDC), 1)
STUB(int, ChoosePixelFormat, (HDC, const PIXELFORMATDESCRIPTOR *), 1)
STUB(BOOL, SetPixelFormat, (HDC, int, const PIXELFORMATDESCRIPTOR *), TRUE)
STUB(HGLRC, wglCreateContext, (HDC), MADE(HGLRC))
STUB(BOOL, wglMakeCurrent, (HDC, HGLRC rc), (useTestContext(rc != nullptr), TRUE))
STUB(BOOL, wglDeleteContext, (HGLRC), TRUE)
STUB(BOOL, SwapBuffers, (HDC), ++framesPresented > 0)
STUB(HFONT, CreateFontA,
     (int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR),
     MADE(HFONT))
STUB(HGDIOBJ, SelectObject, (HDC, HGDIOBJ), MADE(HGDIOBJ))
STUB(BOOL, DeleteObject, (HGDIOBJ), TRUE)
STUB(BOOL, wglUseFontBitmapsA, (HDC, DWORD, DWORD, DWORD), TRUE)
