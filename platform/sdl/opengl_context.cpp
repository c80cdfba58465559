// Device contexts, the one pixel format and OpenGL contexts on SDL.
#include "platform/sdl/sdl_platform.h"

struct HGLRC__ {
    bool inUse;
    SDL_GLContext context;
};

namespace {

constexpr int contextCapacity = 4;
HGLRC__ contexts[contextCapacity];

// The only pixel format, fixed when the window is made (see CreateWindowExA).
constexpr int offeredFormat = 1;

HGLRC__ *findContext(HGLRC handle) {
    for (HGLRC__ &context : contexts) {
        if (&context == handle && context.inUse) {
            return &context;
        }
    }
    return nullptr;
}

} // namespace

HDC GetDC(HWND hWnd) {
    HWND__ *window = platform::findWindow(hWnd);
    return window != nullptr ? &window->dc : nullptr;
}

// The window's own context stays with it: releasing it only checks that it belongs there.
int ReleaseDC(HWND hWnd, HDC hDC) {
    HWND__ *window = platform::findWindow(hWnd);
    return window != nullptr && &window->dc == hDC ? 1 : 0;
}

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *ppfd) {
    return platform::findDc(hdc) != nullptr && ppfd != nullptr ? offeredFormat : 0;
}

// As on Windows, a window's pixel format is set once.
BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *) {
    HDC__ *dc = platform::findDc(hdc);
    if (dc == nullptr || format != offeredFormat || dc->pixelFormat != 0) {
        return FALSE;
    }
    dc->pixelFormat = format;
    return TRUE;
}

// Makes a compatibility-profile context and asks for buffer swaps paced by the display, as
// Windows drivers do by default; where the driver refuses, frames run unpaced. The context that
// was current before stays current.
HGLRC wglCreateContext(HDC hdc) {
    HDC__ *dc = platform::findDc(hdc);
    if (dc == nullptr || dc->pixelFormat == 0) {
        return nullptr;
    }
    HGLRC__ *slot = nullptr;
    for (HGLRC__ &context : contexts) {
        if (!context.inUse) {
            slot = &context;
            break;
        }
    }
    if (slot == nullptr) {
        return nullptr;
    }
    SDL_Window *previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GLContext context = SDL_GL_CreateContext(dc->window->sdl);
    if (context == nullptr) {
        return nullptr;
    }
    SDL_GL_SetSwapInterval(1);
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    slot->inUse = true;
    slot->context = context;
    return slot;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc) {
    if (hglrc == nullptr) {
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    }
    HDC__ *dc = platform::findDc(hdc);
    HGLRC__ *context = findContext(hglrc);
    if (dc == nullptr || context == nullptr) {
        return FALSE;
    }
    return SDL_GL_MakeCurrent(dc->window->sdl, context->context) == 0;
}

BOOL wglDeleteContext(HGLRC hglrc) {
    HGLRC__ *context = findContext(hglrc);
    if (context == nullptr) {
        return FALSE;
    }
    SDL_GL_DeleteContext(context->context);
    *context = HGLRC__();
    return TRUE;
}

BOOL SwapBuffers(HDC hdc) {
    HDC__ *dc = platform::findDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    SDL_GL_SwapWindow(dc->window->sdl);
    return TRUE;
}
