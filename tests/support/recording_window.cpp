// The window side of the recording platform: window classes and windows, the message queue,
// screen metrics, cursor, display modes, device and OpenGL contexts and fonts. The test's own
// OpenGL context stays current throughout, so wglCreateContext and wglMakeCurrent only record.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>

#include "tests/support/recording_platform.h"

namespace recording {

int screenWidth = 1280;
int screenHeight = 1024;
bool windowsAvailable = true;
POINT cursorPosition = {0, 0};
int cursorCount = 0;
DEVMODEA currentMode;
DEVMODEA lastModeChange;
WNDPROC registeredProcedure = nullptr;
DWORD fontListBase = 0;
unsigned framesPresented = 0;
unsigned frameLimit = 1000;
const LRESULT defaultProcedureResult = 0xDEF;

namespace {

struct Window {
    LONG style;
    WNDPROC procedure;
};

struct ScriptedMessage {
    unsigned frames;
    MSG message;
};

std::map<std::uintptr_t, Window> windows;
std::map<std::uintptr_t, std::string> names; // handles with a name of their own
std::map<std::uintptr_t, HGDIOBJ> selected;  // the object selected into each device context
std::deque<ScriptedMessage> script;
bool quitPosted = false;
int quitCode = 0;
std::uintptr_t systemFont = 0;
HWND lastWindow = nullptr;

std::string text(const char *pattern, ...) {
    char line[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(line, sizeof line, pattern, arguments);
    va_end(arguments);
    return line;
}

std::uintptr_t number(const void *handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

// "#n" for a handle the double made, "null", or the raw value for anything else.
std::string name(const void *handle) {
    const std::uintptr_t value = number(handle);
    if (value == 0) {
        return "null";
    }
    const auto named = names.find(value);
    if (named != names.end()) {
        return named->second;
    }
    return value < 0x10000 ? text("#%zu", static_cast<std::size_t>(value))
                           : text("0x%zx", static_cast<std::size_t>(value));
}

template <typename Handle>
Handle make() {
    return reinterpret_cast<Handle>(newHandle());
}

std::string quoted(LPCSTR value) {
    return value == nullptr ? "null" : "\"" + std::string(value) + "\"";
}

std::string describeMode(const DEVMODEA *mode) {
    if (mode == nullptr) {
        return "null";
    }
    DEVMODEA cleared;
    std::memset(&cleared, 0, sizeof cleared);
    cleared.dmSize = sizeof cleared;
    if (std::memcmp(mode, &cleared, sizeof cleared) == 0) {
        return "cleared record";
    }
    return text("size %u, extra %u, fields 0x%x, %ux%u, %u bits, %u Hz", mode->dmSize,
                mode->dmDriverExtra, static_cast<unsigned>(mode->dmFields),
                static_cast<unsigned>(mode->dmPelsWidth), static_cast<unsigned>(mode->dmPelsHeight),
                static_cast<unsigned>(mode->dmBitsPerPel),
                static_cast<unsigned>(mode->dmDisplayFrequency));
}

// The fields a request sets, then whether every other byte is zero.
std::string describeFormat(const PIXELFORMATDESCRIPTOR *format) {
    if (format == nullptr) {
        return "null";
    }
    PIXELFORMATDESCRIPTOR rest = *format;
    rest.nSize = rest.nVersion = 0;
    rest.dwFlags = 0;
    rest.iPixelType = rest.cColorBits = rest.cDepthBits = rest.iLayerType = 0;
    PIXELFORMATDESCRIPTOR zero;
    std::memset(&zero, 0, sizeof zero);
    return text("size %u, version %u, flags 0x%x, type %u, colour %u, depth %u, layer %u, %s",
                format->nSize, format->nVersion, static_cast<unsigned>(format->dwFlags),
                format->iPixelType, format->cColorBits, format->cDepthBits, format->iLayerType,
                std::memcmp(&rest, &zero, sizeof zero) == 0 ? "rest 0" : "rest not 0");
}

std::string describeMessage(const MSG &message) {
    return text("%s, 0x%04x, 0x%zx, 0x%zx", name(message.hwnd).c_str(), message.message,
                static_cast<std::size_t>(message.wParam), static_cast<std::size_t>(message.lParam));
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = windows.find(number(window));
    if (found == windows.end() || found->second.procedure == nullptr) {
        return 0;
    }
    return found->second.procedure(window, message, wParam, lParam);
}

} // namespace

void clearWindows() {
    screenWidth = 1280;
    screenHeight = 1024;
    windowsAvailable = true;
    cursorPosition = POINT{0, 0};
    cursorCount = 0;
    std::memset(&currentMode, 0, sizeof currentMode);
    currentMode.dmSize = sizeof currentMode;
    currentMode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    currentMode.dmBitsPerPel = 32;
    currentMode.dmPelsWidth = 1280;
    currentMode.dmPelsHeight = 1024;
    currentMode.dmDisplayFrequency = 60;
    std::memset(&lastModeChange, 0, sizeof lastModeChange);
    registeredProcedure = nullptr;
    fontListBase = 0;
    framesPresented = 0;
    frameLimit = 1000;
    windows.clear();
    names.clear();
    selected.clear();
    script.clear();
    quitPosted = false;
    quitCode = 0;
    lastWindow = nullptr;
    systemFont = 0x5F5F;
    names[systemFont] = "#system font";
}

void postAfterFrames(unsigned frames, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG entry;
    std::memset(&entry, 0, sizeof entry);
    entry.hwnd = window;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    script.push_back(ScriptedMessage{frames, entry});
}

LONG windowStyle(HWND window) {
    const auto found = windows.find(number(window));
    return found == windows.end() ? 0 : found->second.style;
}

} // namespace recording

using namespace recording;

ATOM RegisterClassA(const WNDCLASSA *c) {
    registeredProcedure = c->lpfnWndProc;
    calls.push_back(text("RegisterClassA(style 0x%x, %s, extra %d %d, instance %s, icon %s, "
                         "cursor %s, brush %s, menu %s, class %s)",
                         c->style, c->lpfnWndProc != nullptr ? "procedure" : "no procedure",
                         c->cbClsExtra, c->cbWndExtra, name(c->hInstance).c_str(),
                         name(c->hIcon).c_str(), name(c->hCursor).c_str(),
                         name(c->hbrBackground).c_str(), quoted(c->lpszMenuName).c_str(),
                         quoted(c->lpszClassName).c_str()));
    return 0xC000;
}

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                     int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, void *lpParam) {
    const std::string call = text(
        "CreateWindowExA(0x%x, %s, %s, 0x%08x, %d, %d, %d, %d, %s, %s, %s, %s)",
        static_cast<unsigned>(dwExStyle), quoted(lpClassName).c_str(), quoted(lpWindowName).c_str(),
        static_cast<unsigned>(dwStyle), X, Y, nWidth, nHeight, name(hWndParent).c_str(),
        name(hMenu).c_str(), name(hInstance).c_str(), name(lpParam).c_str());
    if (!windowsAvailable) {
        calls.push_back(call + " -> null");
        return nullptr;
    }
    HWND window = make<HWND>();
    windows[number(window)] = Window{static_cast<LONG>(dwStyle), registeredProcedure};
    lastWindow = window;
    calls.push_back(call + " -> " + name(window));
    const LRESULT created = send(window, WM_CREATE, 0, 0);
    calls.push_back(text("WM_CREATE -> %ld", static_cast<long>(created)));
    return window;
}

BOOL DestroyWindow(HWND hWnd) {
    calls.push_back("DestroyWindow(" + name(hWnd) + ")");
    if (windows.count(number(hWnd)) == 0) {
        return FALSE;
    }
    const LRESULT destroyed = send(hWnd, WM_DESTROY, 0, 0);
    calls.push_back(text("WM_DESTROY -> %ld", static_cast<long>(destroyed)));
    windows.erase(number(hWnd));
    return TRUE;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    MSG message;
    std::memset(&message, 0, sizeof message);
    message.hwnd = hWnd;
    message.message = Msg;
    message.wParam = wParam;
    message.lParam = lParam;
    calls.push_back("DefWindowProcA(" + describeMessage(message) + ")");
    return defaultProcedureResult;
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
    const LONG style = nIndex == GWL_STYLE ? windowStyle(hWnd) : 0;
    calls.push_back(text("GetWindowLongA(%s, %d) -> 0x%08x", name(hWnd).c_str(), nIndex,
                         static_cast<unsigned>(style)));
    return style;
}

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    calls.push_back(text("SetWindowLongA(%s, %d, 0x%08x)", name(hWnd).c_str(), nIndex,
                         static_cast<unsigned>(dwNewLong)));
    const auto found = windows.find(number(hWnd));
    if (found == windows.end() || nIndex != GWL_STYLE) {
        return 0;
    }
    const LONG previous = found->second.style;
    found->second.style = dwNewLong;
    return previous;
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    HICON icon = make<HICON>();
    calls.push_back(text("LoadIconA(%s, %zu) -> %s", name(hInstance).c_str(),
                         static_cast<std::size_t>(number(lpIconName)), name(icon).c_str()));
    return icon;
}

HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    HCURSOR cursor = make<HCURSOR>();
    calls.push_back(text("LoadCursorA(%s, %zu) -> %s", name(hInstance).c_str(),
                         static_cast<std::size_t>(number(lpCursorName)), name(cursor).c_str()));
    return cursor;
}

HGDIOBJ GetStockObject(int i) {
    HGDIOBJ object = make<HGDIOBJ>();
    calls.push_back(text("GetStockObject(%d) -> %s", i, name(object).c_str()));
    return object;
}

// Scripted messages whose frame has come, then WM_QUIT once nothing else is waiting.
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    const std::string call = text("PeekMessageA(%s, %u, %u, %u)", name(hWnd).c_str(), wMsgFilterMin,
                                  wMsgFilterMax, wRemoveMsg);
    if (!script.empty() && script.front().frames <= framesPresented) {
        *lpMsg = script.front().message;
        if (lpMsg->hwnd == nullptr && lpMsg->message != WM_QUIT) {
            lpMsg->hwnd = lastWindow;
        }
        if (wRemoveMsg & PM_REMOVE) {
            script.pop_front();
        }
        calls.push_back(call + " -> " + describeMessage(*lpMsg));
        return TRUE;
    }
    if (framesPresented >= frameLimit && !quitPosted) {
        calls.push_back("frame limit reached");
        quitPosted = true;
    }
    if (quitPosted) {
        std::memset(lpMsg, 0, sizeof *lpMsg);
        lpMsg->message = WM_QUIT;
        lpMsg->wParam = static_cast<WPARAM>(quitCode);
        if (wRemoveMsg & PM_REMOVE) {
            quitPosted = false;
        }
        calls.push_back(call + " -> WM_QUIT");
        return TRUE;
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG *lpMsg) {
    calls.push_back("TranslateMessage(" + describeMessage(*lpMsg) + ")");
    return FALSE;
}

LRESULT DispatchMessageA(const MSG *lpMsg) {
    calls.push_back("DispatchMessageA(" + describeMessage(*lpMsg) + ")");
    return send(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void PostQuitMessage(int nExitCode) {
    calls.push_back(text("PostQuitMessage(%d)", nExitCode));
    quitPosted = true;
    quitCode = nExitCode;
}

int GetSystemMetrics(int nIndex) {
    const int value = nIndex == SM_CXSCREEN   ? screenWidth
                      : nIndex == SM_CYSCREEN ? screenHeight
                                              : 0;
    calls.push_back(text("GetSystemMetrics(%d) -> %d", nIndex, value));
    return value;
}

int ShowCursor(BOOL bShow) {
    cursorCount += bShow ? 1 : -1;
    calls.push_back(text("ShowCursor(%d) -> %d", bShow, cursorCount));
    return cursorCount;
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    *lpPoint = cursorPosition;
    calls.push_back(text("GetCursorPos -> (%d, %d)", static_cast<int>(cursorPosition.x),
                         static_cast<int>(cursorPosition.y)));
    return TRUE;
}

BOOL EnumDisplaySettingsA(LPCSTR lpszDeviceName, DWORD iModeNum, DEVMODEA *lpDevMode) {
    calls.push_back(text("EnumDisplaySettingsA(%s, %s)", quoted(lpszDeviceName).c_str(),
                         iModeNum == ENUM_CURRENT_SETTINGS ? "current" : "other"));
    const WORD size = lpDevMode->dmSize;
    const WORD extra = lpDevMode->dmDriverExtra;
    *lpDevMode = currentMode;
    lpDevMode->dmSize = size;
    lpDevMode->dmDriverExtra = extra;
    return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA *lpDevMode, DWORD dwFlags) {
    calls.push_back(text("ChangeDisplaySettingsA(%s, 0x%x)", describeMode(lpDevMode).c_str(),
                         static_cast<unsigned>(dwFlags)));
    if (lpDevMode != nullptr) {
        lastModeChange = *lpDevMode;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

HDC GetDC(HWND hWnd) {
    HDC dc = make<HDC>();
    calls.push_back("GetDC(" + name(hWnd) + ") -> " + name(dc));
    return dc;
}

int ReleaseDC(HWND hWnd, HDC hDC) {
    calls.push_back("ReleaseDC(" + name(hWnd) + ", " + name(hDC) + ")");
    return 1;
}

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *ppfd) {
    calls.push_back("ChoosePixelFormat(" + name(hdc) + ", " + describeFormat(ppfd) + ") -> 7");
    return 7;
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *ppfd) {
    calls.push_back(text("SetPixelFormat(%s, %d, %s)", name(hdc).c_str(), format,
                         describeFormat(ppfd).c_str()));
    return TRUE;
}

HGLRC wglCreateContext(HDC hdc) {
    HGLRC context = make<HGLRC>();
    calls.push_back("wglCreateContext(" + name(hdc) + ") -> " + name(context));
    return context;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc) {
    calls.push_back("wglMakeCurrent(" + name(hdc) + ", " + name(hglrc) + ")");
    return TRUE;
}

BOOL wglDeleteContext(HGLRC hglrc) {
    calls.push_back("wglDeleteContext(" + name(hglrc) + ")");
    return TRUE;
}

BOOL SwapBuffers(HDC hdc) {
    ++framesPresented;
    calls.push_back("SwapBuffers(" + name(hdc) + ")");
    return TRUE;
}

HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                  LPCSTR pszFaceName) {
    HFONT font = make<HFONT>();
    calls.push_back(text(
        "CreateFontA(%d, %d, %d, %d, %d, %u, %u, %u, %u, %u, %u, %u, %u, %s) -> %s", cHeight,
        cWidth, cEscapement, cOrientation, cWeight, static_cast<unsigned>(bItalic),
        static_cast<unsigned>(bUnderline), static_cast<unsigned>(bStrikeOut),
        static_cast<unsigned>(iCharSet), static_cast<unsigned>(iOutPrecision),
        static_cast<unsigned>(iClipPrecision), static_cast<unsigned>(iQuality),
        static_cast<unsigned>(iPitchAndFamily), quoted(pszFaceName).c_str(), name(font).c_str()));
    return font;
}

// Every device context starts with the system font selected.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    const auto found = selected.find(number(hdc));
    HGDIOBJ previous =
        found == selected.end() ? reinterpret_cast<HGDIOBJ>(systemFont) : found->second;
    selected[number(hdc)] = h;
    calls.push_back("SelectObject(" + name(hdc) + ", " + name(h) + ") -> " + name(previous));
    return previous;
}

BOOL DeleteObject(HGDIOBJ ho) {
    calls.push_back("DeleteObject(" + name(ho) + ")");
    return TRUE;
}

// Lists that draw nothing and advance 8 pixels, enough for the overlay to run.
BOOL wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
    calls.push_back(text("wglUseFontBitmapsA(%s, %u, %u, list base)", name(hdc).c_str(),
                         static_cast<unsigned>(first), static_cast<unsigned>(count)));
    fontListBase = listBase;
    static const GLubyte nothing[1] = {0};
    for (DWORD i = 0; i < count; ++i) {
        glNewList(listBase + i, GL_COMPILE);
        glBitmap(0, 0, 0, 0, 8, 0, nothing);
        glEndList();
    }
    return TRUE;
}
