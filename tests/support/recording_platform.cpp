#include "tests/support/recording_platform.h"

#include <EGL/egl.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <type_traits>
#include <utility>

namespace recording {

std::vector<std::string> calls;
Given given;
DWORD fontListBase;
const LRESULT defaultProcedureResult = 0xDEF;

namespace {

// Handle kinds: a handle is its kind << 16 | its number.
enum Kind { Window = 1, DeviceContext, RenderingContext, Font, MidiOut, Icon, Cursor, Brush };
const char *const kindNames[] = {"",     "window", "dc",     "glrc", "font",
                                 "midi", "icon",   "cursor", "brush"};

// What the double keeps between calls.
struct Kept {
    unsigned made[Brush + 1] = {};
    HGDIOBJ selected = reinterpret_cast<HGDIOBJ>(Font << 16); // the system font at first
    std::deque<MSG> queue; // each message's `time` is the frame it waits for
    HWND window = nullptr; // the last window made
    LONG windowStyle = 0;
    WNDPROC procedure = nullptr; // of the last class registered
    unsigned framesPresented = 0;
    int cursorCount = 0;
    bool quitPosted = false;
} kept;

std::string show(const char *text) {
    return text == nullptr ? "null" : '"' + std::string(text) + '"';
}

std::string show(const void *handle) {
    const auto value = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(handle));
    const std::size_t kind = value >> 16;
    char text[32];
    std::snprintf(text, sizeof text, value < 0x10000 ? "#%zu" : "0x%zx", value);
    return value == 0                        ? "null"
           : kind >= Window && kind <= Brush ? kindNames[kind] + std::to_string(value & 0xFFFF)
                                             : text;
}

template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
std::string show(T value) {
    const auto wide = static_cast<long long>(value);
    const bool big = wide > 0xFFFF || wide < -0xFFFF;
    char text[32];
    std::snprintf(text, sizeof text, big ? "0x%llx" : "%lld",
                  big ? static_cast<std::make_unsigned_t<T>>(value) : wide);
    return text;
}

#define NAMED(constant)                                                                            \
    { constant, #constant }
const std::pair<WPARAM, const char *> messageNames[] = {
    NAMED(WM_CREATE),      NAMED(WM_DESTROY),   NAMED(WM_CLOSE),       NAMED(WM_QUIT),
    NAMED(WM_KEYDOWN),     NAMED(WM_KEYUP),     NAMED(WM_SYSKEYUP),    NAMED(WM_MOUSEMOVE),
    NAMED(WM_LBUTTONDOWN), NAMED(WM_LBUTTONUP), NAMED(WM_RBUTTONDOWN), NAMED(WM_MOUSEWHEEL)};
const std::pair<WPARAM, const char *> keyNames[] = {
    NAMED(VK_ESCAPE),   NAMED(VK_F1),       NAMED(VK_F3),      NAMED(VK_F4),
    NAMED(VK_F5),       NAMED(VK_NUMPAD2),  NAMED(VK_NUMPAD3), NAMED(VK_NUMPAD6),
    NAMED(VK_SUBTRACT), NAMED(VK_SEPARATOR)};

// A message and its wParam, as "WM_KEYUP, 'B'": messages and key codes by name, letters and
// digits as characters.
std::string message(UINT message, WPARAM wParam) {
    auto named = [](WPARAM value, const auto &names) {
        const auto found = std::find_if(std::begin(names), std::end(names),
                                        [&](auto &name) { return name.first == value; });
        return found == std::end(names) ? show(value) : found->second;
    };
    const bool key = message == WM_KEYUP || message == WM_KEYDOWN || message == WM_SYSKEYUP;
    const bool character = (wParam >= '0' && wParam <= '9') || (wParam >= 'A' && wParam <= 'Z');
    return named(message, messageNames) + ", " +
           (key && character ? std::string{'\'', static_cast<char>(wParam), '\''}
            : key            ? named(wParam, keyNames)
                             : show(wParam));
}

// Text already shown: a message, a named constant.
std::string show(const std::string &shown) {
    return shown;
}

// Logs "function(arguments)" and returns the line, for a result to be added.
template <typename... Arguments>
std::string &record(const char *function, Arguments... arguments) {
    std::string list;
    ((list += ", " + show(arguments)), ...);
    calls.push_back(function + ("(" + list.substr(list.empty() ? 0 : 2)) + ")");
    return calls.back();
}

template <typename Result, typename... Arguments>
Result returning(Result result, const char *function, Arguments... arguments) {
    record(function, arguments...) += " -> " + show(result);
    return result;
}

template <typename Handle>
Handle make(Kind kind) {
    return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(kind << 16 | ++kept.made[kind]));
}

bool startsWith(const std::string &call, const std::string &prefix) {
    return call.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void clear() {
    calls.clear();
    given = Given();
    kept = Kept();
}

void postAfterFrames(unsigned frames, UINT message, WPARAM wParam) {
    kept.queue.push_back(MSG{nullptr, message, wParam, 0, frames, POINT{0, 0}});
}

std::string logged(std::initializer_list<std::string> prefixes) {
    std::string found;
    for (const std::string &call : calls) {
        if (std::any_of(prefixes.begin(), prefixes.end(),
                        [&](auto &prefix) { return startsWith(call, prefix); })) {
            found += call + '\n';
        }
    }
    return found;
}

int made(const std::string &prefix) {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](auto &call) { return startsWith(call, prefix); }));
}

std::string outOfOrder(std::initializer_list<std::string> steps) {
    auto from = calls.begin();
    for (const std::string &step : steps) {
        from = std::find_if(from, calls.end(), [&](auto &call) { return startsWith(call, step); });
        if (from == calls.end()) {
            return "no call " + step + (&step == steps.begin() ? "" : " after " + (&step)[-1]) +
                   " in\n" + logged();
        }
        ++from;
    }
    return "";
}

void useTestContext(bool current) {
    static const EGLDisplay display = eglGetCurrentDisplay();
    static const EGLContext context = eglGetCurrentContext();
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, current ? context : EGL_NO_CONTEXT);
}

} // namespace recording

using namespace recording;

// A platform function that logs its call with the given arguments, then evaluates and returns
// `result`; with RETURNING the result is logged too.
#define RECORDED(Type, Name, Parameters, result, ...)                                              \
    Type Name Parameters {                                                                         \
        record(#Name __VA_OPT__(, ) __VA_ARGS__);                                                  \
        return result;                                                                             \
    }
#define RETURNING(Type, Name, Parameters, result, ...)                                             \
    Type Name Parameters {                                                                         \
        return returning<Type>(result, #Name, __VA_ARGS__);                                        \
    }

RECORDED(DWORD, GetTickCount, (void), given.tickCount)

MMRESULT midiOutOpen(LPHMIDIOUT out, UINT device, DWORD_PTR callback, DWORD_PTR data, DWORD flags) {
    *out = returning(given.midiAvailable ? make<HMIDIOUT>(MidiOut) : nullptr, "midiOutOpen",
                     device == MIDI_MAPPER ? std::string("MIDI_MAPPER") : show(device), callback,
                     data, flags);
    return given.midiAvailable ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}

RECORDED(MMRESULT, midiOutShortMsg, (HMIDIOUT hmo, DWORD dwMsg), MMSYSERR_NOERROR, hmo, dwMsg)
RECORDED(MMRESULT, midiOutClose, (HMIDIOUT hmo), MMSYSERR_NOERROR, hmo)

RECORDED(ATOM, RegisterClassA, (const WNDCLASSA *c), (kept.procedure = c->lpfnWndProc, 0xC000),
         c->style, c->hInstance, c->hIcon, c->hCursor, c->hbrBackground, c->lpszClassName)

RETURNING(HWND, CreateWindowExA,
          (DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int w, int h,
           HWND parent, HMENU menu, HINSTANCE instance, void *parameter),
          (kept.windowStyle = static_cast<LONG>(style),
           kept.window = given.windowsAvailable ? make<HWND>(Window) : nullptr),
          exStyle, className, title, style, x, y, w, h, parent, menu, instance, parameter)

RECORDED(BOOL, DestroyWindow, (HWND hWnd), TRUE, hWnd)
RECORDED(LRESULT, DefWindowProcA, (HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam),
         defaultProcedureResult, hWnd, message(Msg, wParam), lParam)
RETURNING(LONG, GetWindowLongA, (HWND w, int index), w != nullptr ? kept.windowStyle : 0, w, index)
RECORDED(LONG, SetWindowLongA, (HWND hWnd, int nIndex, LONG dwNewLong),
         std::exchange(kept.windowStyle, dwNewLong), hWnd, nIndex, dwNewLong)
RECORDED(BOOL, SetWindowPos, (HWND w, HWND after, int x, int y, int cx, int cy, UINT flags), TRUE,
         w, after, x, y, cx, cy, flags)
RETURNING(HICON, LoadIconA, (HINSTANCE i, LPCSTR id), make<HICON>(Icon), i,
          static_cast<const void *>(id))
RETURNING(HCURSOR, LoadCursorA, (HINSTANCE i, LPCSTR id), make<HCURSOR>(Cursor), i,
          static_cast<const void *>(id))
RETURNING(HGDIOBJ, GetStockObject, (int i), make<HGDIOBJ>(Brush), i)

// Queued messages whose frame has come, for the last window made, then WM_QUIT once posted (or
// after 1000 frames, so that a run that never quits ends); an empty peek is not logged.
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    const bool queued = !kept.queue.empty() && kept.queue.front().time <= kept.framesPresented;
    if (!queued && !kept.quitPosted && kept.framesPresented < 1000) {
        return FALSE;
    }
    *lpMsg = queued ? kept.queue.front() : MSG{nullptr, WM_QUIT, 0, 0, 0, POINT{0, 0}};
    lpMsg->hwnd = queued ? kept.window : nullptr;
    kept.quitPosted = kept.quitPosted && queued;
    if (queued) {
        kept.queue.pop_front();
    }
    record("PeekMessageA", hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg) +=
        " -> " + message(lpMsg->message, lpMsg->wParam);
    return TRUE;
}

RECORDED(BOOL, TranslateMessage, (const MSG *m), FALSE, m->hwnd, message(m->message, m->wParam))
RECORDED(LRESULT, DispatchMessageA, (const MSG *m),
         kept.procedure(m->hwnd, m->message, m->wParam, m->lParam), m->hwnd,
         message(m->message, m->wParam))

RECORDED(void, PostQuitMessage, (int nExitCode), void(kept.quitPosted = true), nExitCode)

RETURNING(int, GetSystemMetrics, (int nIndex),
          nIndex == SM_CXSCREEN   ? given.screenWidth
          : nIndex == SM_CYSCREEN ? given.screenHeight
                                  : 0,
          nIndex)
RETURNING(int, ShowCursor, (BOOL bShow), kept.cursorCount += bShow ? 1 : -1, bShow)

RECORDED(BOOL, GetCursorPos, (LPPOINT lpPoint), (*lpPoint = given.cursorPosition, TRUE))

// The current mode: 32 bits, 60 Hz, and no size, which the caller must set.
RECORDED(BOOL, EnumDisplaySettingsA, (LPCSTR name, DWORD mode, DEVMODEA *m),
         (m->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY,
          m->dmBitsPerPel = 32, m->dmDisplayFrequency = 60, TRUE),
         name, mode)

RECORDED(LONG, ChangeDisplaySettingsA, (DEVMODEA * m, DWORD dwFlags), DISP_CHANGE_SUCCESSFUL,
         m->dmSize, m->dmDriverExtra, m->dmFields, m->dmPelsWidth, m->dmPelsHeight, m->dmBitsPerPel,
         m->dmDisplayFrequency, dwFlags)
RETURNING(HDC, GetDC, (HWND hWnd), make<HDC>(DeviceContext), hWnd)
RECORDED(int, ReleaseDC, (HWND hWnd, HDC hDC), 1, hWnd, hDC)
RETURNING(int, ChoosePixelFormat, (HDC hdc, const PIXELFORMATDESCRIPTOR *p), 7, hdc, p->nSize,
          p->nVersion, p->dwFlags, p->iPixelType, p->cColorBits, p->cDepthBits, p->iLayerType)
RECORDED(BOOL, SetPixelFormat, (HDC dc, int format, const PIXELFORMATDESCRIPTOR *), TRUE, dc,
         format)
RETURNING(HGLRC, wglCreateContext, (HDC hdc), make<HGLRC>(RenderingContext), hdc)

RECORDED(BOOL, wglMakeCurrent, (HDC hdc, HGLRC hglrc), (useTestContext(hglrc != nullptr), TRUE),
         hdc, hglrc)

RECORDED(BOOL, wglDeleteContext, (HGLRC hglrc), TRUE, hglrc)
RECORDED(BOOL, SwapBuffers, (HDC hdc), ++kept.framesPresented != 0, hdc)
RETURNING(HFONT, CreateFontA,
          (int h, int w, int e, int o, int weight, DWORD i, DWORD u, DWORD s, DWORD set,
           DWORD precision, DWORD clip, DWORD quality, DWORD pitch, LPCSTR face),
          make<HFONT>(Font), h, w, e, o, weight, i, u, s, set, precision, clip, quality, pitch,
          face)

RETURNING(HGDIOBJ, SelectObject, (HDC hdc, HGDIOBJ h), std::exchange(kept.selected, h), hdc, h)

RECORDED(BOOL, DeleteObject, (HGDIOBJ ho), TRUE, ho)

RECORDED(BOOL, wglUseFontBitmapsA, (HDC hdc, DWORD first, DWORD count, DWORD listBase),
         (fontListBase = listBase, TRUE), hdc, first, count)
