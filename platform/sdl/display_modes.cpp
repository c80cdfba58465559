// Display modes of the primary display. As on Windows, only a mode the display offers is taken;
// any other is refused and nothing changes. SDL changes a mode only for a full-screen window, so
// a mode change puts the program's visible windows into full screen at that mode; returning to
// the desktop mode puts them back into their own rectangles.
#include <cstring>

#include "platform/sdl/sdl_platform.h"

namespace {

DWORD bitsPerPixel(Uint32 format) {
    return SDL_BYTESPERPIXEL(format) == 4 ? 32 : SDL_BITSPERPIXEL(format);
}

// The offered mode with the request's width, height, depth and frequency, each as now where the
// request leaves it out (a frequency of 0 or 1 is the display's default). A request that leaves
// the frequency out takes another one where the size is offered only at that.
bool offeredMode(const DEVMODEA &request, SDL_DisplayMode *chosen) {
    SDL_DisplayMode current;
    if (SDL_GetCurrentDisplayMode(0, &current) != 0) {
        return false;
    }
    const DWORD fields = request.dmFields;
    const int width = (fields & DM_PELSWIDTH) ? static_cast<int>(request.dmPelsWidth) : current.w;
    const int height =
        (fields & DM_PELSHEIGHT) ? static_cast<int>(request.dmPelsHeight) : current.h;
    const DWORD depth =
        (fields & DM_BITSPERPEL) ? request.dmBitsPerPel : bitsPerPixel(current.format);
    const bool frequencyGiven = (fields & DM_DISPLAYFREQUENCY) && request.dmDisplayFrequency > 1;
    const int frequency =
        frequencyGiven ? static_cast<int>(request.dmDisplayFrequency) : current.refresh_rate;
    bool found = false;
    for (int i = 0; i < SDL_GetNumDisplayModes(0); ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0 || mode.w != width || mode.h != height ||
            bitsPerPixel(mode.format) != depth) {
            continue;
        }
        if (mode.refresh_rate == frequency) {
            *chosen = mode;
            return true;
        }
        if (!frequencyGiven && !found) {
            *chosen = mode;
            found = true;
        }
    }
    return found;
}

// A screen-saver host's window stands for the screen, with its own size as the one mode: asking
// for that size changes nothing on the display, asking for another is refused.
bool hostModeRequested(const DEVMODEA &request) {
    const DWORD fields = request.dmFields;
    return (!(fields & DM_PELSWIDTH) ||
            request.dmPelsWidth == static_cast<DWORD>(platform::hostWindowWidth())) &&
           (!(fields & DM_PELSHEIGHT) ||
            request.dmPelsHeight == static_cast<DWORD>(platform::hostWindowHeight()));
}

LONG enterFullScreen(const SDL_DisplayMode &mode) {
    LONG result = DISP_CHANGE_FAILED;
    for (platform::WindowObject &window : platform::windows) {
        if (!window.inUse || (SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_SHOWN) == 0) {
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
    for (platform::WindowObject &window : platform::windows) {
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
    if (platform::hostWindowState() == platform::HostWindow::ready) {
        return hostModeRequested(*lpDevMode) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
    }
    SDL_DisplayMode mode;
    if (!offeredMode(*lpDevMode, &mode)) {
        return DISP_CHANGE_BADMODE;
    }
    if (dwFlags & CDS_TEST) {
        return DISP_CHANGE_SUCCESSFUL;
    }
    return enterFullScreen(mode);
}
