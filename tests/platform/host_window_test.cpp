// A screen-saver host's window, named in XSCREENSAVER_WINDOW, stands for the screen: the calls
// that a full-screen run makes leave the host's window as the host made it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/sdl/sdl_platform.h"

// After Google Test: Xlib defines None and Bool as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

LRESULT CALLBACK defaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// The 32-bit items of the window's property NAME; none where it is missing.
std::vector<unsigned long> property(Display *display, Window window, const char *name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 16, False,
                       AnyPropertyType, &type, &format, &count, &after, &data);
    const auto *items = reinterpret_cast<unsigned long *>(data);
    std::vector<unsigned long> values(items, items + (format == 32 ? count : 0));
    XFree(data);
    return values;
}

TEST(HostWindow, StandsForTheScreenAndKeepsItsPlaceSizeFrameModeAndCursor) {
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    const Window host =
        XCreateWindow(display, DefaultRootWindow(display), 30, 40, 320, 200, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(display, host, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char *>(&fullScreen), 1);
    XMapWindow(display, host);
    XSync(display, False);
    setenv("XSCREENSAVER_WINDOW", std::to_string(host).c_str(), 1);

    ASSERT_TRUE(platform::ensureVideo());
    EXPECT_EQ(std::make_pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
              std::make_pair(320, 200));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = defaultProcedure;
    windowClass.lpszClassName = "HostWindowTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "HostWindowTest", "Nimbrost",
                                  WS_POPUP | WS_VISIBLE | WS_BORDER | WS_SYSMENU, 0, 0, 320, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    // The host's full-screen state is not taken for a full-screen window of the program's own,
    // which SDL would put back into full screen, display mode and all, on every map.
    EXPECT_EQ(SDL_GetWindowFlags(platform::findWindow(window)->sdl) &
                  (SDL_WINDOW_FOREIGN | SDL_WINDOW_FULLSCREEN),
              static_cast<Uint32>(SDL_WINDOW_FOREIGN));

    // What a full-screen start and key F do: hide the cursor, change the mode, drop and restore
    // the caption.
    ShowCursor(FALSE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    mode.dmPelsWidth = 320;
    mode.dmPelsHeight = 200;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    // The host's window is the screen, and its size the one mode it offers.
    mode.dmPelsWidth = 800;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    for (const LONG frame : {style & ~WS_CAPTION, style | WS_CAPTION}) {
        SetWindowLongA(window, GWL_STYLE, frame);
        SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    }
    SetWindowPos(window, nullptr, 0, 0, 800, 600, 0);
    DEVMODEA desktop = {};
    EXPECT_EQ(ChangeDisplaySettingsA(&desktop, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(SDL_GetWindowFlags(platform::findWindow(window)->sdl) & SDL_WINDOW_FULLSCREEN);
    DestroyWindow(window);

    // The host's window as the host made it: xscreensaver sets its own windows full screen.
    XWindowAttributes kept;
    ASSERT_TRUE(XGetWindowAttributes(display, host, &kept));
    EXPECT_EQ(std::make_tuple(kept.map_state, kept.x, kept.y, kept.width, kept.height),
              std::make_tuple(IsViewable, 30, 40, 320, 200));
    EXPECT_EQ(property(display, host, "_MOTIF_WM_HINTS"), std::vector<unsigned long>{});
    EXPECT_EQ(property(display, host, "_NET_WM_STATE"), std::vector<unsigned long>{fullScreen});

    ShowCursor(TRUE);
    unsetenv("XSCREENSAVER_WINDOW");
    platform::shutdownVideo();
    XDestroyWindow(display, host);
    XCloseDisplay(display);
}

} // namespace
