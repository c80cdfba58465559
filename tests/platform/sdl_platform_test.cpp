// The Win32 subset on SDL2 on a real display (Xvfb with a window manager): each test gets a
// captioned window of 800 x 600 at (0, 0) whose procedure records what it receives.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace {

std::vector<MSG> received;

LRESULT CALLBACK recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Platform : ::testing::Test {
    HWND window = nullptr;

    void SetUp() override {
        ASSERT_TRUE(platform::ensureVideo()) << "no display";
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = recordMessage;
        windowClass.lpszClassName = "PlatformTest";
        RegisterClassA(&windowClass);
        received.clear();
        SDL_WarpMouseGlobal(1270, 1010); // away from the window
        window = CreateWindowExA(0, "PlatformTest", "Platform test",
                                 WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 800, 600,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override { DestroyWindow(window); }

    // Dispatches messages until `done` holds; false if it did not within two seconds.
    bool pumpUntil(const std::function<bool()> &done) {
        const Uint32 start = SDL_GetTicks();
        for (MSG message; !done(); SDL_Delay(2)) {
            if (SDL_GetTicks() - start > 2000) {
                return false;
            }
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&message);
            }
        }
        return true;
    }
    // Pushes `event` (if any) with the modifier keys `mod` held, and takes the message between
    // `first` and `last` that comes for the window.
    MSG take(SDL_Event *event, UINT first, UINT last, Uint16 mod = KMOD_NONE) {
        SDL_SetModState(static_cast<SDL_Keymod>(mod));
        if (event != nullptr) {
            SDL_PushEvent(event);
        }
        MSG message = {};
        EXPECT_TRUE(
            pumpUntil([&] { return PeekMessageA(&message, nullptr, first, last, PM_REMOVE); }));
        EXPECT_EQ(message.hwnd, window) << first;
        return message;
    }
};

TEST_F(Platform, CreateSendsCreateFirstAndTheOuterRectangleIs800x600AtTheOrigin) {
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(received[0].hwnd, window);
    // openbox adds a title bar; once it says how high, the client area shrinks to fit.
    int x = 0, y = 0, width = 0, height = 0, top = 0, left = 0, bottom = 0, right = 0;
    EXPECT_TRUE(pumpUntil([&] {
        SDL_GetWindowPosition(window->sdl, &x, &y);
        SDL_GetWindowSize(window->sdl, &width, &height);
        SDL_GetWindowBordersSize(window->sdl, &top, &left, &bottom, &right);
        return top > 0 && x - left == 0 && y - top == 0 && width + left + right == 800 &&
               height + top + bottom == 600;
    }));
}

TEST_F(Platform, KeysCarryWindowsCodesByKeyPosition) {
    const auto key = [&](Uint32 type, SDL_Scancode scancode, Uint16 mod, Uint32 windowId) {
        SDL_Event event = {};
        event.key.type = type;
        event.key.windowID = windowId;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        return take(&event, WM_KEYDOWN, WM_SYSKEYUP);
    };
    const std::pair<SDL_Scancode, WPARAM> releases[] = {
        {SDL_SCANCODE_ESCAPE, 0x1B},  {SDL_SCANCODE_F1, 0x70},   {SDL_SCANCODE_F3, 0x72},
        {SDL_SCANCODE_F4, 0x73},      {SDL_SCANCODE_F5, 0x74},   {SDL_SCANCODE_A, 'A'},
        {SDL_SCANCODE_S, 'S'},        {SDL_SCANCODE_Z, 'Z'},     {SDL_SCANCODE_1, '1'},
        {SDL_SCANCODE_8, '8'},        {SDL_SCANCODE_0, '0'},     {SDL_SCANCODE_KP_2, 0x62},
        {SDL_SCANCODE_KP_3, 0x63},    {SDL_SCANCODE_KP_6, 0x66}, {SDL_SCANCODE_KP_MINUS, 0x6D},
        {SDL_SCANCODE_KP_COMMA, 0x6C}};
    for (const auto &release : releases) {
        const MSG message = key(SDL_KEYUP, release.first, KMOD_NONE, window->sdlId);
        EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYUP));
        EXPECT_EQ(message.wParam, release.second) << release.first;
    }
    EXPECT_EQ(key(SDL_KEYDOWN, SDL_SCANCODE_B, KMOD_NONE, window->sdlId).message,
              static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(key(SDL_KEYUP, SDL_SCANCODE_B, KMOD_LALT, window->sdlId).message,
              static_cast<UINT>(WM_SYSKEYUP));
    // Keys that come before SDL knows which window has the focus go to the program's window.
    EXPECT_EQ(key(SDL_KEYUP, SDL_SCANCODE_F, KMOD_NONE, 0).wParam, WPARAM{'F'});
}

TEST_F(Platform, MouseMessagesCarrySignedClientPointsButtonsAndTheWheel) {
    const struct {
        Uint32 type;
        Uint32 detail; // the buttons held, the button, or the wheel's direction
        int x, y;
        Uint16 mod;
        UINT message;
        WPARAM wParam;
    } inputs[] = {
        {SDL_MOUSEMOTION, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK, -3, 599, KMOD_LCTRL, WM_MOUSEMOVE,
         MK_LBUTTON | MK_RBUTTON | MK_CONTROL},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, -7, 5, 0, WM_RBUTTONDOWN, MK_RBUTTON},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 8, -9, KMOD_RCTRL, WM_LBUTTONDOWN,
         MK_LBUTTON | MK_RBUTTON | MK_CONTROL},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 8, 9, 0, WM_RBUTTONUP, MK_LBUTTON},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 8, 9, 0, WM_LBUTTONUP, 0},
        // One notch is 120, in the high word.
        {SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_NORMAL, 0, 1, 0, WM_MOUSEWHEEL, MAKEWPARAM(0, 120)},
        {SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_NORMAL, 0, -2, 0, WM_MOUSEWHEEL, MAKEWPARAM(0, -240)},
        {SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_FLIPPED, 0, 1, 0, WM_MOUSEWHEEL, MAKEWPARAM(0, -120)},
    };
    for (const auto &input : inputs) {
        SDL_Event event = {};
        if (input.type == SDL_MOUSEMOTION) {
            event.motion = SDL_MouseMotionEvent{
                input.type, 0, window->sdlId, 0, input.detail, input.x, input.y, 0, 0};
        } else if (input.type == SDL_MOUSEWHEEL) {
            event.wheel.type = input.type;
            event.wheel.windowID = window->sdlId;
            event.wheel.y = input.y;
            event.wheel.direction = input.detail;
        } else {
            event.button.type = input.type;
            event.button.windowID = window->sdlId;
            event.button.button = static_cast<Uint8>(input.detail);
            event.button.x = input.x;
            event.button.y = input.y;
        }
        const MSG message = take(&event, WM_MOUSEMOVE, WM_MOUSEWHEEL, input.mod);
        EXPECT_EQ(message.message, input.message);
        EXPECT_EQ(message.wParam, input.wParam) << input.message;
        // The wheel's message carries the pointer's place on the screen, the others the client
        // point as two signed 16-bit halves.
        const bool wheel = input.type == SDL_MOUSEWHEEL;
        EXPECT_EQ(message.lParam, wheel ? MAKELPARAM(1270, 1010) : MAKELPARAM(input.x, input.y));
    }
}

TEST_F(Platform, CloseRequestsAndSignalsBecomeOneCloseMessageEach) {
    SDL_Event event = {};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = window->sdlId;
    take(&event, WM_CLOSE, WM_CLOSE);
    platform::installCloseSignals();
    for (int signal : {SIGTERM, SIGINT}) {
        std::raise(signal);
        take(nullptr, WM_CLOSE, WM_CLOSE);
        MSG message;
        EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << signal;
    }
}

// Xvfb offers one mode, its own 1280 x 1024 at 32 bits: a request for anything else is refused
// and changes nothing; the offered mode makes the window full screen, and the desktop mode undoes
// it. The cursor shows while its count is not negative.
TEST_F(Platform, OnlyOfferedModesAreTakenAndTheCursorCounts) {
    DEVMODEA current = {};
    current.dmSize = sizeof current;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(std::make_pair(current.dmPelsWidth, current.dmPelsHeight),
              std::make_pair(DWORD{1280}, DWORD{1024}));
    EXPECT_EQ(current.dmBitsPerPel, 32u);
    const struct {
        DWORD width, height, bits, frequency, flags;
        LONG result;
        bool fullScreen;
    } cases[] = {
        {800, 600, 32, current.dmDisplayFrequency, CDS_FULLSCREEN, DISP_CHANGE_BADMODE, false},
        {800, 600, 32, current.dmDisplayFrequency, CDS_TEST, DISP_CHANGE_BADMODE, false},
        {1280, 1024, 16, current.dmDisplayFrequency, CDS_FULLSCREEN, DISP_CHANGE_BADMODE, false},
        {1280, 1024, 32, current.dmDisplayFrequency + 7, CDS_FULLSCREEN, DISP_CHANGE_BADMODE,
         false},
        {1280, 1024, 32, current.dmDisplayFrequency, CDS_TEST, DISP_CHANGE_SUCCESSFUL, false},
        {1280, 1024, 32, current.dmDisplayFrequency, CDS_FULLSCREEN, DISP_CHANGE_SUCCESSFUL, true},
        // Refused while full screen: it stays so.
        {800, 600, 32, current.dmDisplayFrequency, CDS_FULLSCREEN, DISP_CHANGE_BADMODE, true},
    };
    for (const auto &modeCase : cases) {
        DEVMODEA mode = current;
        mode.dmPelsWidth = modeCase.width;
        mode.dmPelsHeight = modeCase.height;
        mode.dmBitsPerPel = modeCase.bits;
        mode.dmDisplayFrequency = modeCase.frequency;
        EXPECT_EQ(ChangeDisplaySettingsA(&mode, modeCase.flags), modeCase.result)
            << modeCase.width << " " << modeCase.bits << " " << modeCase.frequency;
        EXPECT_EQ((SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN) != 0,
                  modeCase.fullScreen)
            << modeCase.width;
        SDL_DisplayMode shown = {};
        SDL_GetCurrentDisplayMode(0, &shown);
        EXPECT_EQ(std::make_pair(shown.w, shown.h), std::make_pair(1280, 1024));
    }
    DEVMODEA cleared = {};
    cleared.dmSize = sizeof cleared;
    EXPECT_EQ(ChangeDisplaySettingsA(&cleared, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN, 0u);

    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    POINT pointer = {0, 0};
    ASSERT_TRUE(GetCursorPos(&pointer));
    EXPECT_EQ(std::make_pair(pointer.x, pointer.y), std::make_pair(LONG{1270}, LONG{1010}));
}

TEST_F(Platform, GlyphListsDrawEveryCharacterDistinctlyOnTheBaseline) {
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.cColorBits = 32;
    request.cDepthBits = 16;
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &request), &request));
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    // The program's font; fontconfig stands in a face of its own where this one is missing.
    HFONT font = CreateFontA(16, 8, 0, 0, FW_LIGHT, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, "Verdana");
    HGDIOBJ previous = SelectObject(dc, font);
    const GLuint base = glGenLists(96);
    ASSERT_TRUE(wglUseFontBitmapsA(dc, 32, 96, base));
    glViewport(0, 0, 800, 600);
    glOrtho(0, 800, 0, 600, -1, 1);
    glListBase(base - 32);

    // One character at a time, its pen 4 pixels from the left and 8 above the bottom of a 32 x 32
    // cell at (100, 100), read back as a picture of '#' for the lit pixels, bottom row first.
    std::vector<std::string> glyphs;
    for (GLubyte c = 32; c < 127; ++c) {
        glClear(GL_COLOR_BUFFER_BIT);
        glRasterPos2i(104, 108);
        glCallLists(1, GL_UNSIGNED_BYTE, &c);
        GLubyte red[32 * 32];
        glReadPixels(100, 100, 32, 32, GL_RED, GL_UNSIGNED_BYTE, red);
        glyphs.emplace_back(32 * 32, ' ');
        for (int i = 0; i < 32 * 32; ++i) {
            glyphs.back()[i] = red[i] > 128 ? '#' : ' ';
        }
        EXPECT_EQ(glyphs.back().find('#') == std::string::npos, c == ' ') << "character " << +c;
    }
    EXPECT_EQ(std::set<std::string>(glyphs.begin(), glyphs.end()).size(), glyphs.size())
        << "two characters look alike";
    // Letters stand on the baseline (row 8), descenders go below it, all within the 16 pixels.
    const auto lowestRow = [&](char c) { return glyphs[c - 32].find('#') / 32; };
    const auto highestRow = [&](char c) { return glyphs[c - 32].rfind('#') / 32; };
    EXPECT_EQ(lowestRow('x'), 8u);
    EXPECT_EQ(lowestRow('H'), 8u);
    EXPECT_GT(highestRow('H'), highestRow('x'));
    EXPECT_LT(lowestRow('g'), 8u);
    EXPECT_LT(highestRow('l') - lowestRow('g'), 16u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteLists(base, 96);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(window, dc);
}

} // namespace
