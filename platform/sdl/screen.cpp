// SDL's video start-up, the screen size (a host's window where one stands for the screen), the
// cursor's display count and the pointer position.
#include <cstdlib>

#include "platform/sdl/sdl_platform.h"

namespace {

enum class Video { untried, ready, unavailable };
Video video = Video::untried;

// Win32 shows the cursor while this count is 0 or more.
int cursorCount = 0;

void applyCursorCount() {
    SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

bool startDriver(const char *driver) {
    if (driver != nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool present(const char *variable) {
    const char *value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
}

} // namespace

namespace platform {

bool ensureVideo() {
    if (video != Video::untried) {
        return video == Video::ready;
    }
    // No character messages are made, so the X input method's compose table goes unused: an
    // empty one spares libX11 reading and parsing the locale's (an eighth of the start-up's work).
    setenv("XCOMPOSEFILE", "/dev/null", 1);
    // Signals become WM_CLOSE here, not SDL_QUIT; a full-screen window stays up when another
    // window takes the focus, as on Windows.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The program never captures the mouse.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // A screen saver never keeps the screen awake: without this SDL's video start asks the
    // desktop to inhibit its screen saver over D-Bus, suspends the X server's and resets the
    // server's idle timer (DPMS counts from it) every 30 s. No environment variable overrides it.
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1", SDL_HINT_OVERRIDE);
    // Without a display SDL would fall back to drawing off screen, where nobody sees the window:
    // only a real display will do, unless the user names a driver.
    bool started = false;
    if (present("SDL_VIDEODRIVER")) {
        started = startDriver(nullptr);
    } else {
        started = (present("DISPLAY") && startDriver("x11")) ||
                  (present("WAYLAND_DISPLAY") && startDriver("wayland"));
    }
    video = started ? Video::ready : Video::unavailable;
    if (started) {
        // The glyph lists are made right after the window and its OpenGL context: the font
        // configuration they need is read meanwhile, on a thread of its own. Not before SDL's
        // start, which may fork (D-Bus starts a session bus for a display that has none): a
        // child forked while another thread holds a lock can wait on it for ever.
        prepareFonts();
        SDL_StopTextInput();
        // X events come along ahead of the input events made of them (see x11_input.cpp).
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        applyCursorCount();
        if (platform::inputFromX11()) {
            platform::watchDisplay();
        }
    }
    return started;
}

bool videoReady() {
    return video == Video::ready;
}

void shutdownVideo() {
    finishFonts();
    SDL_Quit();
    platform::forgetHostWindow();
    video = Video::untried;
}

} // namespace platform

// A screen-saver host's window stands for the screen; a refused one has no size.
int GetSystemMetrics(int nIndex) {
    if ((nIndex != SM_CXSCREEN && nIndex != SM_CYSCREEN) || !platform::ensureVideo()) {
        return 0;
    }
    switch (platform::lookUpHostWindow()) {
    case platform::HostWindow::ready:
        return nIndex == SM_CXSCREEN ? platform::hostWindowWidth() : platform::hostWindowHeight();
    case platform::HostWindow::refused:
        return 0;
    case platform::HostWindow::none:
        break;
    }
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0) {
        return 0;
    }
    return nIndex == SM_CXSCREEN ? mode.w : mode.h;
}

// Over a host's window the pointer is the host's: only the count changes.
int ShowCursor(BOOL bShow) {
    cursorCount += bShow ? 1 : -1;
    if (video == Video::ready && platform::hostWindowState() != platform::HostWindow::ready) {
        applyCursorCount();
    }
    return cursorCount;
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr || !platform::ensureVideo()) {
        return FALSE;
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    lpPoint->x = x;
    lpPoint->y = y;
    return TRUE;
}
