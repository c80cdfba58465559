// Device contexts, the one pixel format, OpenGL contexts on GLX, and buffer swaps paced by the
// display as on Windows: SwapBuffers returns after the display's next refresh.
#include <GL/glx.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/x11/connection.h"
#include "platform/x11/display_modes.h"
#include "platform/x11/handle_table.h"
#include "platform/x11/windows.h"

namespace {

using platform::connection;

// The only pixel format, fixed when the window is made (see CreateWindowExA).
constexpr int offeredFormat = 1;

// The pace of the swaps. The driver is asked to wait for the refresh (swap interval 1); where it
// offers no way to ask, or its first swaps come far quicker than the refresh (Mesa's software
// renderer has no refresh to wait for), the platform waits out what is left of the refresh
// period, counted from the previous swap. Mesa's vblank_mode=0 turns the pacing off.
using Clock = std::chrono::steady_clock;
struct Pacing {
    bool asked;             // the swap interval was asked for
    bool decided;           // whether to wait is known
    bool waits;             // the platform waits
    int swaps;              // counted before the decision
    int quickSwaps;         // of the counted ones, those that took less than half the period
    Clock::time_point last; // when the previous swap returned
};
Pacing pacing;

// How many swaps tell whether the driver waits.
constexpr int swapsToDecide = 8;

// The handle table holds the GLX context itself.
GLXContext findContext(HGLRC handle) {
    return static_cast<GLXContext>(
        platform::handleObject(handle, platform::HandleKind::renderingContext));
}

// Swap interval 1 for the drawable, through the first of the three extensions the driver offers
// (a longer name that starts with one of them comes only with it). False when it offers none.
bool askSwapInterval(Window drawable) {
    const char *extensions = glXQueryExtensionsString(connection.display, connection.screen);
    const auto address = [](const char *name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte *>(name));
    };
    if (extensions == nullptr) {
        return false;
    }
    if (std::strstr(extensions, "GLX_EXT_swap_control")) {
        reinterpret_cast<void (*)(Display *, GLXDrawable, int)>(address("glXSwapIntervalEXT"))(
            connection.display, drawable, 1);
        return true;
    }
    if (std::strstr(extensions, "GLX_MESA_swap_control")) {
        reinterpret_cast<int (*)(unsigned)>(address("glXSwapIntervalMESA"))(1);
        return true;
    }
    if (std::strstr(extensions, "GLX_SGI_swap_control")) {
        reinterpret_cast<int (*)(int)>(address("glXSwapIntervalSGI"))(1);
        return true;
    }
    return false;
}

// Called as a swap returns.
void pace() {
    const Clock::time_point now = Clock::now();
    const Clock::time_point last = pacing.last;
    pacing.last = now;
    // Read once, and again after the display mode changed.
    const std::chrono::microseconds period(platform::refreshPeriod());
    if (last == Clock::time_point()) {
        return;
    }
    if (!pacing.decided) {
        pacing.quickSwaps += now - last < period / 2 ? 1 : 0;
        pacing.decided = ++pacing.swaps == swapsToDecide;
        pacing.waits = pacing.decided && pacing.quickSwaps > swapsToDecide / 2;
    } else if (pacing.waits && now - last < period) {
        std::this_thread::sleep_until(last + period);
        pacing.last = last + period;
    }
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

// A context of the old kind, which is the compatibility profile, on the window's visual. The
// context that was current before stays current.
HGLRC wglCreateContext(HDC hdc) {
    platform::DeviceContext *dc = platform::findDc(hdc);
    if (dc == nullptr || dc->pixelFormat == 0) {
        return nullptr;
    }
    GLXContext context = glXCreateContext(connection.display, &dc->window->visual, nullptr, True);
    if (context == nullptr) {
        return nullptr;
    }
    HGLRC handle =
        static_cast<HGLRC>(platform::openHandle(platform::HandleKind::renderingContext, context));
    if (handle == nullptr) {
        glXDestroyContext(connection.display, context);
    }
    return handle;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc) {
    if (connection.display == nullptr) {
        return FALSE;
    }
    if (hglrc == nullptr) {
        return glXMakeCurrent(connection.display, None, nullptr);
    }
    const platform::DeviceContext *dc = platform::findDc(hdc);
    const GLXContext context = findContext(hglrc);
    if (dc == nullptr || context == nullptr ||
        !glXMakeCurrent(connection.display, dc->window->drawable, context)) {
        return FALSE;
    }
    if (!pacing.asked) {
        pacing.asked = true;
        const char *mode = std::getenv("vblank_mode");
        const bool unpaced = mode != nullptr && std::strcmp(mode, "0") == 0;
        const bool controlled = askSwapInterval(dc->window->drawable);
        pacing.decided = unpaced || !controlled;
        pacing.waits = !unpaced && !controlled;
    }
    return TRUE;
}

BOOL wglDeleteContext(HGLRC hglrc) {
    const GLXContext context = findContext(hglrc);
    if (context == nullptr) {
        return FALSE;
    }
    glXDestroyContext(connection.display, context);
    platform::closeHandle(hglrc, platform::HandleKind::renderingContext);
    return TRUE;
}

BOOL SwapBuffers(HDC hdc) {
    const platform::DeviceContext *dc = platform::findDc(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    glXSwapBuffers(connection.display, dc->window->drawable);
    pace();
    return TRUE;
}
