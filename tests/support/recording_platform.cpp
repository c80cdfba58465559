#include "tests/support/recording_platform.h"

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

// What the double keeps between calls.
struct Kept {
    std::uintptr_t lastHandle = 0;
    HGDIOBJ selected = reinterpret_cast<HGDIOBJ>(0x5F5F0000); // the system font at first
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
    char text[32];
    std::snprintf(text, sizeof text, value < 0x10000 ? "#%zu" : "0x%zx", value);
    return value == 0 ? "null" : text;
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
Handle make() {
    return reinterpret_cast<Handle>(++kept.lastHandle);
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
        for (const std::string &prefix : prefixes) {
            if (call.compare(0, prefix.size(), prefix) == 0) {
                found += call + '\n';
                break;
            }
        }
    }
    return found;
}

} // namespace recording

using namespace recording;

// A platform function that logs its call with the given arguments and returns `result`; with
// RETURNING the result is logged too.
#define RECORDED(Type, Name, Parameters, result, ...)                                              \
    Type Name Parameters {                                                                         \
        record(#Name, __VA_ARGS__);                                                                \
        return result;                                                                             \
    }
#define RETURNING(Type, Name, Parameters, result, ...)                                             \
    Type Name Parameters {                                                                         \
        return returning<Type>(result, #Name, __VA_ARGS__);                                        \
    }

DWORD GetTickCount(void) {
    record("GetTickCount");
    return given.tickCount;
}

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen) {
    *phmo = returning(given.midiAvailable ? make<HMIDIOUT>() : nullptr, "midiOutOpen", uDeviceID,
                      dwCallback, dwInstance, fdwOpen);
    return given.midiAvailable ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}

RECORDED(MMRESULT, midiOutShortMsg, (HMIDIOUT hmo, DWORD dwMsg), MMSYSERR_NOERROR, hmo, dwMsg)
RECORDED(MMRESULT, midiOutClose, (HMIDIOUT hmo), MMSYSERR_NOERROR, hmo)

ATOM RegisterClassA(const WNDCLASSA *c) {
    kept.procedure = c->lpfnWndProc;
    record("RegisterClassA", c->style, c->cbClsExtra, c->cbWndExtra, c->hInstance, c->hIcon,
           c->hCursor, c->hbrBackground, c->lpszMenuName, c->lpszClassName);
    return 0xC000;
}

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                     int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, void *lpParam) {
    kept.window = given.windowsAvailable ? make<HWND>() : nullptr;
    kept.windowStyle = static_cast<LONG>(dwStyle);
    return returning(kept.window, "CreateWindowExA", dwExStyle, lpClassName, lpWindowName, dwStyle,
                     X, Y, nWidth, nHeight, hWndParent, hMenu, hInstance, lpParam);
}

RECORDED(BOOL, DestroyWindow, (HWND hWnd), TRUE, hWnd)
RECORDED(LRESULT, DefWindowProcA, (HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam),
         defaultProcedureResult, hWnd, Msg, wParam, lParam)
RETURNING(LONG, GetWindowLongA, (HWND hWnd, int nIndex), hWnd != nullptr ? kept.windowStyle : 0,
          hWnd, nIndex)
RECORDED(LONG, SetWindowLongA, (HWND hWnd, int nIndex, LONG dwNewLong),
         std::exchange(kept.windowStyle, dwNewLong), hWnd, nIndex, dwNewLong)
RETURNING(HICON, LoadIconA, (HINSTANCE hInstance, LPCSTR lpIconName), make<HICON>(), hInstance,
          static_cast<const void *>(lpIconName))
RETURNING(HCURSOR, LoadCursorA, (HINSTANCE hInstance, LPCSTR lpCursorName), make<HCURSOR>(),
          hInstance, static_cast<const void *>(lpCursorName))
RETURNING(HGDIOBJ, GetStockObject, (int i), make<HGDIOBJ>(), i)

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
        " -> " + show(lpMsg->message) + ", " + show(lpMsg->wParam);
    return TRUE;
}

RECORDED(BOOL, TranslateMessage, (const MSG *m), FALSE, m->hwnd, m->message, m->wParam)
RECORDED(LRESULT, DispatchMessageA, (const MSG *m),
         kept.procedure(m->hwnd, m->message, m->wParam, m->lParam), m->hwnd, m->message, m->wParam)

void PostQuitMessage(int nExitCode) {
    record("PostQuitMessage", nExitCode);
    kept.quitPosted = true;
}

RETURNING(int, GetSystemMetrics, (int nIndex),
          nIndex == SM_CXSCREEN   ? given.screenWidth
          : nIndex == SM_CYSCREEN ? given.screenHeight
                                  : 0,
          nIndex)
RETURNING(int, ShowCursor, (BOOL bShow), kept.cursorCount += bShow ? 1 : -1, bShow)

BOOL GetCursorPos(LPPOINT lpPoint) {
    *lpPoint = given.cursorPosition;
    return TRUE;
}

// The current mode: the screen's size, 32 bits, 60 Hz.
BOOL EnumDisplaySettingsA(LPCSTR lpszDeviceName, DWORD iModeNum, DEVMODEA *lpDevMode) {
    record("EnumDisplaySettingsA", lpszDeviceName, iModeNum);
    lpDevMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    lpDevMode->dmBitsPerPel = 32;
    lpDevMode->dmPelsWidth = static_cast<DWORD>(given.screenWidth);
    lpDevMode->dmPelsHeight = static_cast<DWORD>(given.screenHeight);
    lpDevMode->dmDisplayFrequency = 60;
    return TRUE;
}

RECORDED(LONG, ChangeDisplaySettingsA, (DEVMODEA * m, DWORD dwFlags), DISP_CHANGE_SUCCESSFUL,
         m->dmSize, m->dmDriverExtra, m->dmFields, m->dmPelsWidth, m->dmPelsHeight, m->dmBitsPerPel,
         m->dmDisplayFrequency, dwFlags)
RETURNING(HDC, GetDC, (HWND hWnd), make<HDC>(), hWnd)
RECORDED(int, ReleaseDC, (HWND hWnd, HDC hDC), 1, hWnd, hDC)
RETURNING(int, ChoosePixelFormat, (HDC hdc, const PIXELFORMATDESCRIPTOR *p), 7, hdc, p->nSize,
          p->nVersion, p->dwFlags, p->iPixelType, p->cColorBits, p->cDepthBits, p->iLayerType)
RECORDED(BOOL, SetPixelFormat, (HDC hdc, int format, const PIXELFORMATDESCRIPTOR *), TRUE, hdc,
         format)
RETURNING(HGLRC, wglCreateContext, (HDC hdc), make<HGLRC>(), hdc)
RECORDED(BOOL, wglMakeCurrent, (HDC hdc, HGLRC hglrc), TRUE, hdc, hglrc)
RECORDED(BOOL, wglDeleteContext, (HGLRC hglrc), TRUE, hglrc)
RECORDED(BOOL, SwapBuffers, (HDC hdc), ++kept.framesPresented != 0, hdc)
RETURNING(HFONT, CreateFontA,
          (int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
           DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
           DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName),
          make<HFONT>(), cHeight, cWidth, cEscapement, cOrientation, cWeight, bItalic, bUnderline,
          bStrikeOut, iCharSet, iOutPrecision, iClipPrecision, iQuality, iPitchAndFamily,
          pszFaceName)

RETURNING(HGDIOBJ, SelectObject, (HDC hdc, HGDIOBJ h), std::exchange(kept.selected, h), hdc, h)

RECORDED(BOOL, DeleteObject, (HGDIOBJ ho), TRUE, ho)

BOOL wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
    record("wglUseFontBitmapsA", hdc, first, count);
    fontListBase = listBase;
    return TRUE;
}
