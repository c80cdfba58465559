#include "tests/platform/platform_test.h"

#include "platform/sdl/sdl_platform.h"

std::vector<MSG> PlatformTest::received;
LRESULT PlatformTest::createResult = 0;

namespace {

LRESULT CALLBACK recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG entry = {window, message, wParam, lParam, 0, {0, 0}};
    PlatformTest::received.push_back(entry);
    if (message == WM_CREATE) {
        return PlatformTest::createResult;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void PlatformTest::SetUp() {
    ASSERT_TRUE(platform::ensureVideo()) << "no display";
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = recordMessage;
    windowClass.lpszClassName = "PlatformTest";
    RegisterClassA(&windowClass);
    received.clear();
    createResult = 0;
    SDL_WarpMouseGlobal(1270, 1010); // away from the windows
}

void PlatformTest::TearDown() {
    for (HWND window : made) {
        DestroyWindow(window);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

HWND PlatformTest::makeWindow(DWORD style) {
    HWND window = CreateWindowExA(0, "PlatformTest", "Platform test", style, 0, 0, 800, 600,
                                  nullptr, nullptr, nullptr, nullptr);
    if (window != nullptr) {
        made.push_back(window);
    }
    return window;
}

bool PlatformTest::pumpUntil(const std::function<bool()> &done) {
    const Uint32 start = SDL_GetTicks();
    MSG message;
    while (!done()) {
        if (SDL_GetTicks() - start > 2000) {
            return false;
        }
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        SDL_Delay(2);
    }
    return true;
}

bool PlatformTest::nextMessage(UINT first, UINT last, MSG &message) {
    return pumpUntil([&] { return PeekMessageA(&message, nullptr, first, last, PM_REMOVE) != 0; });
}

SDL_Rect PlatformTest::clientRect(HWND window) {
    SDL_Rect rect = {0, 0, 0, 0};
    SDL_GetWindowPosition(window->sdl, &rect.x, &rect.y);
    SDL_GetWindowSize(window->sdl, &rect.w, &rect.h);
    return rect;
}

SDL_Rect PlatformTest::outerRect(HWND window) {
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowBordersSize(window->sdl, &top, &left, &bottom, &right);
    const SDL_Rect client = clientRect(window);
    return SDL_Rect{client.x - left, client.y - top, client.w + left + right,
                    client.h + top + bottom};
}
