#include "tests/support/recording_platform.h"

#include <EGL/egl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdint>

namespace recording {

std::string log;
int otherCalls;
int cursorCount;
Given given;
const LRESULT defaultProcedureResult = 0xDEF;

namespace {

unsigned midiOutputs, framesPresented;

// Appends a line to the log.
__attribute__((format(printf, 1, 2))) void note(const char *format, ...) {
    char line[128];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    log += line + std::string("\n");
}

// A handle that is not null, for what the program only passes back.
template <typename Handle>
Handle made() {
    return reinterpret_cast<Handle>(std::uintptr_t{1});
}

} // namespace

void clear() {
    log.clear();
    otherCalls = cursorCount = 0;
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

// A platform function that counts its call or logs it with printf's `format` and the arguments
// that follow, then evaluates and returns `result`.
#define COUNTED(Type, Name, Parameters, result)                                                    \
    Type Name Parameters {                                                                         \
        ++otherCalls;                                                                              \
        return result;                                                                             \
    }
#define LOGGED(Type, Name, Parameters, result, format, ...)                                        \
    Type Name Parameters {                                                                         \
        note(#Name "(" format ")", __VA_ARGS__);                                                   \
        return result;                                                                             \
    }

MMRESULT midiOutOpen(LPHMIDIOUT out, UINT device, DWORD_PTR callback, DWORD_PTR data, DWORD flags) {
    const auto handle = given.midiAvailable ? std::uintptr_t{++midiOutputs} : 0;
    *out = reinterpret_cast<HMIDIOUT>(handle);
    note("midiOutOpen(0x%x, %zu, %zu, %u) -> %#zx", device, callback, data, flags, handle);
    return given.midiAvailable ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}
LOGGED(MMRESULT, midiOutShortMsg, (HMIDIOUT out, DWORD message), MMSYSERR_NOERROR, "%p, 0x%x",
       static_cast<void *>(out), message)
LOGGED(MMRESULT, midiOutClose, (HMIDIOUT out), MMSYSERR_NOERROR, "%p", static_cast<void *>(out))
LOGGED(LRESULT, DefWindowProcA, (HWND window, UINT message, WPARAM w, LPARAM l),
       defaultProcedureResult, "%p, %u, %zu, %ld", static_cast<void *>(window), message, w, l)
LOGGED(void, PostQuitMessage, (int code), void(), "%d", code)
COUNTED(DWORD, GetTickCount, (void), given.tickCount)

// WM_QUIT once a frame was presented: a run ends after its first frame.
BOOL PeekMessageA(LPMSG message, HWND, UINT, UINT, UINT) {
    ++otherCalls;
    message->message = WM_QUIT;
    return framesPresented > 0;
}

COUNTED(BOOL, GetCursorPos, (LPPOINT point), (*point = given.cursorPosition, TRUE))
COUNTED(int, ShowCursor, (BOOL show), cursorCount += show ? 1 : -1)
COUNTED(int, GetSystemMetrics, (int), 0)
COUNTED(HICON, LoadIconA, (HINSTANCE, LPCSTR), made<HICON>())
COUNTED(HCURSOR, LoadCursorA, (HINSTANCE, LPCSTR), made<HCURSOR>())
COUNTED(HGDIOBJ, GetStockObject, (int), made<HGDIOBJ>())
COUNTED(ATOM, RegisterClassA, (const WNDCLASSA *), 0xC000)
COUNTED(HWND, CreateWindowExA,
        (DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, void *),
        made<HWND>())
COUNTED(BOOL, DestroyWindow, (HWND), TRUE)
COUNTED(BOOL, TranslateMessage, (const MSG *), FALSE)
COUNTED(LRESULT, DispatchMessageA, (const MSG *), 0)
COUNTED(LONG, GetWindowLongA, (HWND, int), 0)
COUNTED(LONG, SetWindowLongA, (HWND, int, LONG), 0)
COUNTED(BOOL, SetWindowPos, (HWND, HWND, int, int, int, int, UINT), TRUE)
COUNTED(BOOL, EnumDisplaySettingsA, (LPCSTR, DWORD, DEVMODEA *), TRUE)
COUNTED(LONG, ChangeDisplaySettingsA, (DEVMODEA *, DWORD), DISP_CHANGE_SUCCESSFUL)
COUNTED(HDC, GetDC, (HWND), made<HDC>())
COUNTED(int, ReleaseDC, (HWND, HDC), 1)
COUNTED(int, ChoosePixelFormat, (HDC, const PIXELFORMATDESCRIPTOR *), 1)
COUNTED(BOOL, SetPixelFormat, (HDC, int, const PIXELFORMATDESCRIPTOR *), TRUE)
COUNTED(HGLRC, wglCreateContext, (HDC), made<HGLRC>())
COUNTED(BOOL, wglMakeCurrent, (HDC, HGLRC rc), (useTestContext(rc != nullptr), TRUE))
COUNTED(BOOL, wglDeleteContext, (HGLRC), TRUE)
COUNTED(BOOL, SwapBuffers, (HDC), ++framesPresented > 0)
COUNTED(HFONT, CreateFontA,
        (int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR),
        made<HFONT>())
COUNTED(HGDIOBJ, SelectObject, (HDC, HGDIOBJ), made<HGDIOBJ>())
COUNTED(BOOL, DeleteObject, (HGDIOBJ), TRUE)
COUNTED(BOOL, wglUseFontBitmapsA, (HDC, DWORD, DWORD, DWORD), TRUE)
