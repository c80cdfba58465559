// Display modes of the primary display. SDL changes a mode only for a full-screen window, so a
// full-screen mode change puts the program's visible windows into full screen at the nearest mode
// the display offers; returning to the desktop mode puts them back into their own rectangles.
#include <cstring>

#include "platform/sdl/sdl_platform.h"

namespace {

DWORD bitsPerPixel(Uint32 format) {
    return SDL_BYTESPERPIXEL(format) == 4 ? 32 : SDL_BITSPERPIXEL(format);
}

// The display's mode nearest to the request; the largest one when the request exceeds them all.
SDL_DisplayMode nearestMode(const SDL_DisplayMode &wanted) {
    SDL_DisplayMode mode = wanted;
    if (SDL_GetClosestDisplayMode(0, &wanted, &mode) == nullptr) {
        SDL_GetDisplayMode(0, 0, &mode);
    }
    return mode;
}

LONG enterFullScreen(const DEVMODEA &request) {
    SDL_DisplayMode wanted;
    if (SDL_GetCurrentDisplayMode(0, &wanted) != 0) {
        return DISP_CHANGE_FAILED;
    }
    if (request.dmFields & DM_PELSWIDTH) {
        wanted.w = static_cast<int>(request.dmPelsWidth);
    }
    if (request.dmFields & DM_PELSHEIGHT) {
        wanted.h = static_cast<int>(request.dmPelsHeight);
    }
    if (request.dmFields & DM_DISPLAYFREQUENCY) {
        wanted.refresh_rate = static_cast<int>(request.dmDisplayFrequency);
    }
    const SDL_DisplayMode mode = nearestMode(wanted);
    LONG result = DISP_CHANGE_FAILED;
    for (HWND__ &window : platform::windows) {
        if (!window.inUse || (SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_SHOWN) == 0) {
            continue;
        }
        if (window.hosted) { // the host's window is the screen, at its size: nothing to change
            result = DISP_CHANGE_SUCCESSFUL;
            continue;
        }
        if (SDL_SetWindowDisplayMode(window.sdl, &mode) != 0 ||
            SDL_SetWindowFullscreen(window.sdl, SDL_WINDOW_FULLSCREEN) != 0) {
            return DISP_CHANGE_FAILED;
        }
        window.fullScreen = true;
        result = DISP_CHANGE_SUCCESSFUL;
    }
    return result;
}

LONG leaveFullScreen() {
    LONG result = DISP_CHANGE_SUCCESSFUL;
    for (HWND__ &window : platform::windows) {
        if (!window.inUse || !window.fullScreen) {
            continue;
        }
        if (SDL_SetWindowFullscreen(window.sdl, 0) != 0) {
            result = DISP_CHANGE_FAILED;
        }
        window.fullScreen = false;
        platform::applyBorder(&window);
        platform::fitWindow(&window);
    }
    return result;
}

} // namespace

BOOL EnumDisplaySettingsA(LPCSTR, DWORD iModeNum, DEVMODEA *lpDevMode) {
    if (lpDevMode == nullptr || !platform::ensureVideo()) {
        return FALSE;
    }
    SDL_DisplayMode mode;
    int found = -1;
    if (iModeNum == ENUM_CURRENT_SETTINGS) {
        found = SDL_GetCurrentDisplayMode(0, &mode);
    } else if (iModeNum == ENUM_REGISTRY_SETTINGS) {
        found = SDL_GetDesktopDisplayMode(0, &mode);
    } else {
        found = SDL_GetDisplayMode(0, static_cast<int>(iModeNum), &mode);
    }
    if (found != 0) {
        return FALSE;
    }
    const char *name = SDL_GetDisplayName(0);
    std::memset(lpDevMode->dmDeviceName, 0, sizeof lpDevMode->dmDeviceName);
    if (name != nullptr) {
        std::strncpy(reinterpret_cast<char *>(lpDevMode->dmDeviceName), name,
                     sizeof lpDevMode->dmDeviceName - 1);
    }
    lpDevMode->dmFields =
        DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    lpDevMode->dmBitsPerPel = bitsPerPixel(mode.format);
    lpDevMode->dmPelsWidth = static_cast<DWORD>(mode.w);
    lpDevMode->dmPelsHeight = static_cast<DWORD>(mode.h);
    lpDevMode->dmDisplayFlags = 0;
    lpDevMode->dmDisplayFrequency = static_cast<DWORD>(mode.refresh_rate);
    return TRUE;
}

// A record that marks no field (or none at all) returns to the desktop mode.
LONG ChangeDisplaySettingsA(DEVMODEA *lpDevMode, DWORD dwFlags) {
    if (!platform::ensureVideo()) {
        return DISP_CHANGE_FAILED;
    }
    if (lpDevMode == nullptr || lpDevMode->dmFields == 0) {
        return leaveFullScreen();
    }
    if (dwFlags & CDS_TEST) {
        return DISP_CHANGE_SUCCESSFUL;
    }
    return enterFullScreen(*lpDevMode);
}
