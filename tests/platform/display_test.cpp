#include "tests/platform/platform_test.h"

#include <cstring>

#include "platform/sdl/sdl_platform.h"

namespace {

DEVMODEA clearedMode() {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    return mode;
}

} // namespace

TEST_F(PlatformTest, TheScreenSizeAndTheCurrentModeAreTheDisplays) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(42), 0);
    DEVMODEA mode = clearedMode();
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_EQ(mode.dmSize, sizeof mode);
    EXPECT_EQ(mode.dmPelsWidth, 1280u);
    EXPECT_EQ(mode.dmPelsHeight, 1024u);
    EXPECT_EQ(mode.dmBitsPerPel, 32u);
    EXPECT_EQ(mode.dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL),
              static_cast<DWORD>(DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL));
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, 1000, &mode));
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, nullptr));
}

// Xvfb offers one mode: the nearest to any request is the screen's own, and the window becomes
// full screen at it; the desktop mode puts the window back into its rectangle.
TEST_F(PlatformTest, AFullScreenModeTakesTheNearestModeAndTheDesktopModeUndoesIt) {
    DEVMODEA mode = clearedMode();
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    mode.dmPelsWidth = 800;
    mode.dmPelsHeight = 600;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_FAILED)
        << "no window to show the mode in";

    HWND window = makeWindow(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(
        pumpUntil([&] { return outerRect(window).w == 800 && outerRect(window).h == 600; }));
    const SDL_Rect client = clientRect(window);
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    SDL_DisplayMode asked;
    ASSERT_EQ(SDL_GetWindowDisplayMode(window->sdl, &asked), 0);
    EXPECT_EQ(asked.w, 1280);
    EXPECT_EQ(asked.h, 1024);
    EXPECT_TRUE(pumpUntil([&] {
        const SDL_Rect now = clientRect(window);
        return now.x == 0 && now.y == 0 && now.w == 1280 && now.h == 1024;
    }));

    mode = clearedMode();
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_TRUE(pumpUntil([&] {
        const SDL_Rect now = clientRect(window);
        return now.x == client.x && now.y == client.y && now.w == client.w && now.h == client.h;
    }));

    // A mode larger than any the display has gives the largest.
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = 40000;
    mode.dmPelsHeight = 30000;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    ASSERT_EQ(SDL_GetWindowDisplayMode(window->sdl, &asked), 0);
    EXPECT_EQ(asked.w, 1280);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

TEST_F(PlatformTest, TheCursorShowsWhileItsCountIsNotNegative) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    SDL_WarpMouseGlobal(123, 456);
    POINT pointer = {0, 0};
    ASSERT_TRUE(GetCursorPos(&pointer));
    EXPECT_EQ(pointer.x, 123);
    EXPECT_EQ(pointer.y, 456);
    EXPECT_FALSE(GetCursorPos(nullptr));
}
