// Device contexts, the one pixel format and OpenGL contexts on SDL.
#include "platform/sdl/sdl_platform.h"

namespace {

struct RenderingContext {
    bool inUse;
    SDL_GLContext context;
};

constexpr int contextCapacity = 4;
RenderingContext contexts[contextCapacity];

// The only pixel format, fixed when the window is made (see CreateWindowExA).
constexpr int offeredFormat = 1;

RenderingContext *findContext(HGLRC handle) {
    return static_cast<RenderingContext *>(
        platform::handleObject(handle, platform::HandleKind::renderingContext));
}

} // namespace

HDC GetDC(HWND hWnd) {
    const platform::WindowObject *window = platform::findWindow(hWnd);
    return window != nullptr ? window->dc.handle : nullptr;
}

// The window's own context stays with it: releasing it only checks that the context is live. As
// on Windows, the window named goes unchecked.
int ReleaseDC(HWND, HDC hDC) {
    return platform::findDc(hDC) != nullptr ? 1 : 0;
}

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *ppfd) {
    return platform::findDc(hdc) != nullptr && ppfd != nullptr ? offeredFormat : 0;
}

// As on Windows, a window's pixel format is set once.
BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *) {
    platform::DeviceContext *dc = platform::findDc(hdc);
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
    platform::DeviceContext *dc = platform::findDc(hdc);
    if (dc == nullptr || dc->pixelFormat == 0) {
        return nullptr;
    }
    RenderingContext *slot = nullptr;
    for (RenderingContext &context : contexts) {
        if (!context.inUse) {
            slot = &context;
            break;
        }
    }
    if (slot == nullptr) {
        return nullptr;
    }
    HGLRC handle =
        static_cast<HGLRC>(platform::openHandle(platform::HandleKind::renderingContext, slot));
    if (handle == nullptr) {
        return nullptr;
    }
    SDL_Window *previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GLContext context = SDL_GL_CreateContext(dc->window->sdl);
    if (context == nullptr) {
        platform::closeHandle(handle, platform::HandleKind::renderingContext);
        return nullptr;
    }
    SDL_GL_SetSwapInterval(1);
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    slot->inUse = true;
    slot->context = context;
    return handle;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc) {
    if (hglrc == nullptr) {
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    }
    platform::DeviceContext *dc = platform::findDc(hdc);
    const RenderingContext *context = findContext(hglrc);
    if (dc == nullptr || context == nullptr) {
        return FALSE;
    }
    return SDL_GL_MakeCurrent(dc->window->sdl, context->context) == 0;
}

BOOL wglDeleteContext(HGLRC hglrc) {
    RenderingContext *context = findContext(hglrc);
    if (context == nullptr) {
        return FALSE;
    }
    SDL_GL_DeleteContext(context->context);
    platform::closeHandle(hglrc, platform::HandleKind::renderingContext);
    *context = RenderingContext();
    return TRUE;
}

BOOL SwapBuffers(HDC hdc) {
    platform::DeviceContext *dc = platform::findDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    SDL_GL_SwapWindow(dc->window->sdl);
    return TRUE;
}
