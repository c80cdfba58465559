// Window classes and top-level windows on SDL: creation with WM_CREATE, destruction with
// WM_DESTROY, the default window procedure, the style word and the stock icons and cursors.
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "platform/sdl/sdl_platform.h"

struct HICON__ {
    WORD id;
};

namespace {

struct WindowClass {
    bool inUse;
    char name[256];
    WNDPROC procedure;
    UINT style;
};

constexpr int classCapacity = 8;
WindowClass classes[classCapacity];

// The first atom Windows gives to a registered class.
constexpr ATOM firstClassAtom = 0xC000;

// Predefined icons (IDI_*) and cursors (IDC_*), by resource number.
HICON__ stockIcons[] = {{32512}, {32513}, {32514}, {32515}, {32516}, {32517}, {32518}};
HICON__ stockCursors[] = {{32512}, {32513}, {32514}, {32515}, {32516}, {32640}, {32641}, {32642},
                          {32643}, {32644}, {32645}, {32646}, {32648}, {32649}, {32650}, {32651}};

// A resource name below 0x10000 is a number (MAKEINTRESOURCE), not a string.
bool isResourceNumber(LPCSTR name) {
    return reinterpret_cast<std::uintptr_t>(name) < 0x10000;
}

template <std::size_t n>
HICON__ *findStock(HICON__ (&table)[n], HINSTANCE instance, LPCSTR name) {
    if (instance != nullptr || !isResourceNumber(name)) {
        return nullptr;
    }
    const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    for (HICON__ &entry : table) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

// By name (compared without case, as Windows does) or by the atom RegisterClassA returned.
WindowClass *findClass(LPCSTR name) {
    if (name == nullptr) {
        return nullptr;
    }
    if (isResourceNumber(name)) {
        const std::uintptr_t atom = reinterpret_cast<std::uintptr_t>(name);
        const std::uintptr_t index = atom - firstClassAtom;
        return atom >= firstClassAtom && index < classCapacity && classes[index].inUse
                   ? &classes[index]
                   : nullptr;
    }
    for (WindowClass &entry : classes) {
        if (entry.inUse && strcasecmp(entry.name, name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

bool captioned(LONG style) {
    return (style & WS_CAPTION) == WS_CAPTION;
}

// One pixel format is offered: double-buffered RGBA with 8 bits a channel and a 16-bit depth
// buffer, for a compatibility-profile context. On X11 it is fixed when the window is made.
void requestPixelFormat() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

int atLeastOne(int size) {
    return size < 1 ? 1 : size;
}

// Ends the handles of a window and of its device context, those it has, and frees its place.
void forgetWindow(platform::WindowObject *window) {
    platform::closeHandle(window->dc.handle, platform::HandleKind::deviceContext);
    platform::closeHandle(window->handle, platform::HandleKind::window);
    *window = platform::WindowObject();
}

} // namespace

namespace platform {

WindowObject windows[windowCapacity];

WindowObject *findWindow(HWND handle) {
    return static_cast<WindowObject *>(handleObject(handle, HandleKind::window));
}

WindowObject *findWindowBySdlId(Uint32 id) {
    for (WindowObject &window : windows) {
        if (window.inUse && window.sdlId == id) {
            return &window;
        }
    }
    return nullptr;
}

DeviceContext *findDc(HDC handle) {
    return static_cast<DeviceContext *>(handleObject(handle, HandleKind::deviceContext));
}

// A host's window keeps the host's place, size and decorations.
void fitWindow(WindowObject *window) {
    if (window->hosted) {
        return;
    }
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowBordersSize(window->sdl, &top, &left, &bottom, &right);
    window->borderTop = top;
    window->borderLeft = left;
    window->borderBottom = bottom;
    window->borderRight = right;
    // SDL waits for the window manager after each change, up to 100 ms when nothing moves, so
    // only what differs is changed.
    const int width = atLeastOne(window->width - left - right);
    const int height = atLeastOne(window->height - top - bottom);
    int currentWidth = 0, currentHeight = 0, currentX = 0, currentY = 0;
    SDL_GetWindowSize(window->sdl, &currentWidth, &currentHeight);
    if (currentWidth != width || currentHeight != height) {
        SDL_SetWindowSize(window->sdl, width, height);
    }
    SDL_GetWindowPosition(window->sdl, &currentX, &currentY);
    if (currentX != window->x + left || currentY != window->y + top) {
        SDL_SetWindowPosition(window->sdl, window->x + left, window->y + top);
    }
}

void refitWindows() {
    for (WindowObject &window : windows) {
        if (!window.inUse || window.fullScreen ||
            (SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_SHOWN) == 0) {
            continue;
        }
        int top = 0, left = 0, bottom = 0, right = 0;
        SDL_GetWindowBordersSize(window.sdl, &top, &left, &bottom, &right);
        if (top != window.borderTop || left != window.borderLeft || bottom != window.borderBottom ||
            right != window.borderRight) {
            fitWindow(&window);
        }
    }
}

void applyBorder(WindowObject *window) {
    if (window->hosted) {
        return;
    }
    SDL_SetWindowBordered(window->sdl, captioned(window->style) ? SDL_TRUE : SDL_FALSE);
}

} // namespace platform

ATOM RegisterClassA(const WNDCLASSA *lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpfnWndProc == nullptr ||
        lpWndClass->lpszClassName == nullptr || isResourceNumber(lpWndClass->lpszClassName) ||
        std::strlen(lpWndClass->lpszClassName) >= sizeof classes[0].name ||
        findClass(lpWndClass->lpszClassName) != nullptr) {
        return 0;
    }
    for (int i = 0; i < classCapacity; ++i) {
        WindowClass &entry = classes[i];
        if (!entry.inUse) {
            entry.inUse = true;
            std::strcpy(entry.name, lpWndClass->lpszClassName);
            entry.procedure = lpWndClass->lpfnWndProc;
            entry.style = lpWndClass->style;
            return static_cast<ATOM>(firstClassAtom + i);
        }
    }
    return 0;
}

// Only top-level windows are made. The window is made hidden, gets WM_CREATE, and is shown
// afterwards when its style holds WS_VISIBLE, in the order Windows follows. Where a screen-saver
// host's window stands for the screen, the window is drawn into the host's window instead, as the
// host shows it; where the host's window was refused, no window is made.
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                     int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, void *lpParam) {
    const WindowClass *windowClass = findClass(lpClassName);
    if (windowClass == nullptr || hWndParent != nullptr || (dwStyle & WS_CHILD) != 0 ||
        !platform::ensureVideo()) {
        return nullptr;
    }
    platform::WindowObject *window = nullptr;
    for (platform::WindowObject &slot : platform::windows) {
        if (!slot.inUse) {
            window = &slot;
            break;
        }
    }
    const platform::HostWindow host = platform::hostWindowState();
    if (window == nullptr || host == platform::HostWindow::refused) {
        return nullptr;
    }
    *window = platform::WindowObject();
    window->handle = static_cast<HWND>(platform::openHandle(platform::HandleKind::window, window));
    window->dc.handle =
        static_cast<HDC>(platform::openHandle(platform::HandleKind::deviceContext, &window->dc));
    if (window->handle == nullptr || window->dc.handle == nullptr) {
        forgetWindow(window);
        return nullptr;
    }
    const LONG style = static_cast<LONG>(dwStyle);
    SDL_Window *sdl = nullptr;
    if (host == platform::HostWindow::ready) {
        sdl = platform::adoptHostWindow();
    } else {
        requestPixelFormat();
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        if (!captioned(style)) {
            flags |= SDL_WINDOW_BORDERLESS;
        }
        sdl = SDL_CreateWindow(lpWindowName != nullptr ? lpWindowName : "", X, Y,
                               atLeastOne(nWidth), atLeastOne(nHeight), flags);
    }
    if (sdl == nullptr) {
        forgetWindow(window);
        return nullptr;
    }
    window->inUse = true;
    window->hosted = host == platform::HostWindow::ready;
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->procedure = windowClass->procedure;
    window->style = style;
    window->x = X;
    window->y = Y;
    window->width = nWidth;
    window->height = nHeight;
    window->dc.window = window;
    window->dc.font = GetStockObject(SYSTEM_FONT);

    CREATESTRUCTA create = {lpParam, hInstance, hMenu, hWndParent,   nHeight,     nWidth,
                            Y,       X,         style, lpWindowName, lpClassName, dwExStyle};
    if (window->procedure(window->handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window->handle);
        return nullptr;
    }
    if ((style & WS_VISIBLE) && !window->hosted) {
        SDL_ShowWindow(sdl);
        platform::fitWindow(window);
    }
    return window->handle;
}

BOOL DestroyWindow(HWND hWnd) {
    platform::WindowObject *window = platform::findWindow(hWnd);
    if (window == nullptr || window->destroying) {
        return FALSE;
    }
    window->destroying = true;
    window->procedure(hWnd, WM_DESTROY, 0, 0);
    platform::dropMessagesFor(window);
    SDL_DestroyWindow(window->sdl);
    if (window->hosted) {
        platform::releaseHostWindow();
    }
    forgetWindow(window);
    return TRUE;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
    if (Msg == WM_CLOSE) {
        DestroyWindow(hWnd);
    }
    return 0;
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
    const platform::WindowObject *window = platform::findWindow(hWnd);
    return window != nullptr && nIndex == GWL_STYLE ? window->style : 0;
}

// The caption bits decide the window's decorations; while the window is full screen they take
// effect when it leaves full screen.
LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    platform::WindowObject *window = platform::findWindow(hWnd);
    if (window == nullptr || nIndex != GWL_STYLE) {
        return 0;
    }
    const LONG previous = window->style;
    window->style = dwNewLong;
    if (!window->fullScreen && captioned(previous) != captioned(dwNewLong)) {
        platform::applyBorder(window);
    }
    return previous;
}

// Moves and sizes the outer rectangle unless told not to, and gives the window the border of its
// style when the frame changed. There is one window, so the z order is not kept.
BOOL SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags) {
    platform::WindowObject *window = platform::findWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    const bool moved = (uFlags & SWP_NOMOVE) == 0;
    const bool sized = (uFlags & SWP_NOSIZE) == 0;
    if (moved) {
        window->x = X;
        window->y = Y;
    }
    if (sized) {
        window->width = cx;
        window->height = cy;
    }
    if (window->fullScreen) {
        return TRUE;
    }
    if (uFlags & SWP_FRAMECHANGED) {
        platform::applyBorder(window);
    }
    if (moved || sized) {
        platform::fitWindow(window);
    }
    return TRUE;
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return findStock(stockIcons, hInstance, lpIconName);
}

HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    return findStock(stockCursors, hInstance, lpCursorName);
}
