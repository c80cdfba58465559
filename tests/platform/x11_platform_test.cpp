// The Win32 subset on Xlib, GLX and XRandR on a real display (Xvfb with a window manager), for
// what the end-to-end tests cannot see: each message's own modifiers, buttons and place, the keys
// the program does not use, refused modes, ended handles, the glyphs, and a close signal that
// comes while the queue is full. Each test gets a captioned window of 800 x 600 at (0, 0) whose
// procedure records what it receives. Input comes from the X server, sent with xdotool; the X
// events of one xdotool run are all queued before the test reads any of them.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/x11/connection.h"
#include "platform/x11/messages.h"
#include "platform/x11/windows.h"

namespace {

std::vector<MSG> received;

LRESULT CALLBACK recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
    return DefWindowProcA(window, message, wParam, lParam);
}

bool run(const std::string &command) {
    return std::system(command.c_str()) == 0;
}

using Keys = std::vector<std::pair<UINT, WPARAM>>;

// The key messages received, as message and code, without repeats; with `releasesOnly` the
// releases of keys other than modifiers only.
Keys keyMessages(bool releasesOnly = false) {
    Keys keys;
    for (const MSG &m : received) {
        const bool modifier = m.wParam == VK_SHIFT || m.wParam == VK_CONTROL ||
                              m.wParam == VK_MENU || m.wParam == VK_NUMLOCK;
        const bool repeat = m.message == WM_KEYDOWN && (m.lParam & (1 << 30)) != 0;
        if (m.message >= WM_KEYDOWN && m.message <= WM_SYSKEYUP && !repeat &&
            (!releasesOnly || (m.message == WM_KEYUP && !modifier))) {
            keys.emplace_back(m.message, m.wParam);
        }
    }
    return keys;
}

struct Platform : ::testing::Test {
    HWND window = nullptr;

    static void SetUpTestSuite() { ASSERT_TRUE(platform::openConnection(false)) << "no display"; }
    static void TearDownTestSuite() { platform::closeConnection(); }

    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = recordMessage;
        windowClass.lpszClassName = "PlatformTest";
        RegisterClassA(&windowClass);
        ASSERT_TRUE(run("xdotool mousemove 1270 1010")); // away from the window
        window = CreateWindowExA(0, "PlatformTest", "Platform test",
                                 WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 800, 600,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        // Placed once the window manager has framed it.
        pumpUntil([&] {
            int x = 0, y = 0;
            return placement(&x, &y) && y > 0;
        });
        received.clear();
    }
    void TearDown() override { DestroyWindow(window); }

    Window drawable() { return platform::findWindow(window)->drawable; }
    // Where the client area's corner is on the screen.
    bool placement(int *x, int *y) {
        Window child = None;
        return XTranslateCoordinates(platform::connection.display, drawable(),
                                     platform::connection.root, 0, 0, x, y, &child);
    }

    // Dispatches messages until `done` holds; false if it did not within two seconds.
    bool pumpUntil(const std::function<bool()> &done) {
        const DWORD start = GetTickCount();
        for (MSG message; !done(); usleep(2000)) {
            if (GetTickCount() - start > 2000) {
                return false;
            }
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&message);
            }
        }
        return true;
    }
    void pumpFor(DWORD milliseconds) {
        const DWORD start = GetTickCount();
        pumpUntil([&] { return GetTickCount() - start >= milliseconds; });
    }
    bool focused(Window which) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(platform::connection.display, &focus, &revert);
        return focus == which;
    }
    // Gives the window the keyboard focus and waits until it has it.
    void activate() {
        ASSERT_TRUE(run("xdotool windowactivate --sync " + std::to_string(drawable())));
        EXPECT_TRUE(pumpUntil([&] { return focused(drawable()); }));
    }
    // An xdotool command that moves the pointer to the client point (x, y).
    std::string pointerTo(int x, int y) {
        int left = 0, top = 0;
        placement(&left, &top);
        return " mousemove " + std::to_string(left + x) + " " + std::to_string(top + y) + " ";
    }
    // Whether the window manager holds the window full screen.
    bool wmFullScreen() {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        bool on = false;
        if (XGetWindowProperty(platform::connection.display, drawable(),
                               platform::connection.wmState, 0, 16, False, XA_ATOM, &type, &format,
                               &count, &after, &data) == Success &&
            data != nullptr) {
            const Atom *states = reinterpret_cast<const Atom *>(data);
            for (unsigned long i = 0; i < count; ++i) {
                on = on || states[i] == platform::connection.wmStateFullScreen;
            }
            XFree(data);
        }
        return on;
    }
};

// Keys under layouts and NumLock, named by what they type (the keypad's by what it types with
// NumLock off). Letters and punctuation follow the layout, the digit row (digits with Shift only
// under fr) and the keypad their places, and without Latin letters every key keeps the code of
// its place; the keypad gives digits only with NumLock on and Shift up. Of these the releases of
// keys other than modifiers are compared.
// The other cases compare every message: Windows (and Wine) sends the system-key messages for
// keys pressed or released while Alt is held without Ctrl (AltGr is both), for Alt's own release
// only when no other system key came in between, for Ctrl's release while Alt is held, and for F10.
TEST_F(Platform, KeysFollowTheLayoutNumLockAndAlt) {
    const UINT down = WM_KEYDOWN, up = WM_KEYUP, sysDown = WM_SYSKEYDOWN, sysUp = WM_SYSKEYUP;
    const auto ups = [](std::vector<WPARAM> codes) {
        Keys keys;
        for (WPARAM code : codes) {
            keys.emplace_back(WM_KEYUP, code);
        }
        return keys;
    };
    const std::string keypad = "key KP_Insert KP_End KP_Down KP_Next KP_Left KP_Begin KP_Right "
                               "KP_Home KP_Up KP_Prior KP_Delete ";
    const struct {
        const char *layout;
        bool numLock, releasesOnly;
        std::string keys;
        Keys messages;
    } cases[] = {
        // clang-format off
        {"us", false, true,
         "key grave bracketleft Tab space Return BackSpace F2 F11 F12 Up Home Delete "
         "KP_Multiply KP_Divide KP_Add KP_Enter Pause Menu",
         ups({VK_OEM_3, VK_OEM_4, VK_TAB, VK_SPACE, VK_RETURN, VK_BACK, VK_F1 + 1,
              VK_F10 + 1, VK_F10 + 2, VK_UP, VK_HOME, VK_DELETE, VK_MULTIPLY, VK_DIVIDE, VK_ADD,
              VK_RETURN, VK_PAUSE, VK_APPS})},
        {"us -variant dvorak", false, true, "key apostrophe comma slash minus",
         ups({VK_OEM_7, VK_OEM_COMMA, VK_OEM_2, VK_OEM_MINUS})},
        {"ru", false, true, "key Cyrillic_ef Cyrillic_be period 5",
         ups({'A', VK_OEM_COMMA, VK_OEM_2, '5'})},
        {"us", false, true, keypad, ups({VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR,
                                         VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR, VK_DELETE})},
        {"us", false, false, "keydown shift key b keyup shift",
         {{down, VK_SHIFT}, {down, 'B'}, {up, 'B'}, {up, VK_SHIFT}}},
        {"us", false, false, "key alt", {{sysDown, VK_MENU}, {sysUp, VK_MENU}}},
        {"us", false, false, "keydown alt key b keyup alt",
         {{sysDown, VK_MENU}, {sysDown, 'B'}, {sysUp, 'B'}, {up, VK_MENU}}},
        {"us", false, false, "keydown ctrl keydown alt key b keyup alt keyup ctrl",
         {{down, VK_CONTROL}, {down, VK_MENU}, {down, 'B'}, {up, 'B'}, {up, VK_MENU},
          {up, VK_CONTROL}}},
        {"us", false, false, "keydown alt keydown ctrl keyup ctrl keyup alt",
         {{sysDown, VK_MENU}, {down, VK_CONTROL}, {sysUp, VK_CONTROL}, {up, VK_MENU}}},
        {"us", false, false, "keydown ctrl key F10 keyup ctrl",
         {{down, VK_CONTROL}, {sysDown, VK_F10}, {sysUp, VK_F10}, {up, VK_CONTROL}}},
        {"fr", false, false, "keydown ISO_Level3_Shift key b keyup ISO_Level3_Shift",
         {{down, VK_MENU}, {down, 'B'}, {up, 'B'}, {up, VK_MENU}}},
        {"us", true, true, keypad + "keydown shift key KP_Right keyup shift",
         ups({VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6,
              VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, VK_DECIMAL, VK_RIGHT})},
        // clang-format on
    };
    const char *numLockOn = "xset q | grep -q 'Num Lock: *on'";
    activate();
    for (const auto &keyCase : cases) {
        ASSERT_TRUE(run(std::string("setxkbmap -layout ") + keyCase.layout));
        if (run(numLockOn) != keyCase.numLock) {
            ASSERT_TRUE(run("xdotool key Num_Lock"));
        }
        received.clear();
        ASSERT_TRUE(run("xdotool " + keyCase.keys));
        Keys messages;
        pumpUntil([&] {
            messages = keyMessages(keyCase.releasesOnly);
            return messages.size() >= keyCase.messages.size();
        });
        EXPECT_EQ(messages, keyCase.messages) << keyCase.layout << ": " << keyCase.keys;
    }
    run("setxkbmap -layout us");
    if (run(numLockOn)) {
        run("xdotool key Num_Lock");
    }
}

// On Windows a key's release goes to the window that has the focus when it happens: keys held
// while the focus leaves give no release here, and keys pressed elsewhere give their release here
// but no press.
TEST_F(Platform, KeysAreReleasedWhereTheFocusIs) {
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window other =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 900, 700, 200, 100, 0, 0, 0);
    XMapWindow(display, other);
    XSync(display, False);
    activate();
    received.clear();
    // Held keys would repeat on a loaded machine, between the focus changes.
    ASSERT_TRUE(run("xset r off"));
    ASSERT_TRUE(run("xdotool keydown f keydown Escape"));
    ASSERT_TRUE(run("xdotool windowactivate --sync " + std::to_string(other)));
    ASSERT_TRUE(pumpUntil([&] { return focused(other); }));
    ASSERT_TRUE(run("xdotool keyup f keyup Escape keydown ctrl keydown h"));
    activate();
    ASSERT_TRUE(run("xdotool keyup ctrl keyup h key g"));
    Keys keys;
    ASSERT_TRUE(pumpUntil([&] {
        keys = keyMessages();
        return !keys.empty() && keys.back() == std::make_pair(UINT{WM_KEYUP}, WPARAM{'G'});
    }));
    EXPECT_EQ(keys, (Keys{{WM_KEYDOWN, 'F'},
                          {WM_KEYDOWN, VK_ESCAPE},
                          {WM_KEYUP, VK_CONTROL},
                          {WM_KEYUP, 'H'},
                          {WM_KEYDOWN, 'G'},
                          {WM_KEYUP, 'G'}}));
    run("xset r on");
    XCloseDisplay(display);
}

// A close signal that comes while the queue is full is kept until there is room for WM_CLOSE.
TEST_F(Platform, AFullQueueKeepsTheCloseSignal) {
    Display *display = platform::connection.display;
    for (int i = 0; i < 100; ++i) {
        XEvent event = {};
        event.xmotion.type = MotionNotify;
        event.xmotion.window = drawable();
        event.xmotion.x = 1 + i % 50;
        event.xmotion.y = 1;
        XSendEvent(display, drawable(), False, PointerMotionMask, &event);
    }
    XSync(display, False);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)); // the queue fills up
    platform::closeRequested = 1;
    int moves = 0, closes = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        moves += message.message == WM_MOUSEMOVE ? 1 : 0;
        closes += message.message == WM_CLOSE ? 1 : 0;
    }
    EXPECT_EQ(std::make_pair(moves, closes), std::make_pair(100, 1));
    EXPECT_EQ(platform::closeRequested, 0);
}

// Runs of xdotool and the pointer messages they bring, in order, with the buttons and modifiers
// of each one's own moment. The program never captures the mouse: what happens outside the client
// area brings nothing, a drag included. (Within one run the X server may take a button before a
// move sent ahead of it, so a drag takes a run per step.)
TEST_F(Platform, PointerMessagesCarryTheirMomentAndStayInTheClientArea) {
    using Messages = std::vector<std::tuple<UINT, WPARAM, LPARAM>>;
    int left = 0, top = 0;
    placement(&left, &top);
    const std::string outside = pointerTo(900, 100); // right of the window
    const auto at = [](int x, int y) { return MAKELPARAM(x, y); };
    const LPARAM wheelAt = at(left + 160, top + 100); // the wheel's point is on the screen
    const struct {
        std::vector<std::string> runs;
        Messages messages;
    } cases[] = {
        // clang-format off
        {{pointerTo(100, 50)}, {{WM_MOUSEMOVE, 0, at(100, 50)}}},
        {{"keydown ctrl mousedown 3", pointerTo(120, 60), "mousedown 1"},
         {{WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, at(100, 50)},
          {WM_MOUSEMOVE, MK_RBUTTON | MK_CONTROL, at(120, 60)},
          {WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_CONTROL, at(120, 60)}}},
        {{"keyup ctrl mouseup 3", "mouseup 1"},
         {{WM_RBUTTONUP, MK_LBUTTON, at(120, 60)}, {WM_LBUTTONUP, 0, at(120, 60)}}},
        // Modifiers pressed and released between moves queued together.
        {{pointerTo(130, 70) + "keydown shift" + pointerTo(140, 80) + "keydown ctrl keyup shift" +
          pointerTo(150, 90) + "keyup ctrl" + pointerTo(160, 100)},
         {{WM_MOUSEMOVE, 0, at(130, 70)}, {WM_MOUSEMOVE, MK_SHIFT, at(140, 80)},
          {WM_MOUSEMOVE, MK_CONTROL, at(150, 90)}, {WM_MOUSEMOVE, 0, at(160, 100)}}},
        // One notch is 120, in the high word.
        {{"click 4 keydown shift click 5 keyup shift"},
         {{WM_MOUSEWHEEL, MAKEWPARAM(0, 120), wheelAt},
          {WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -120), wheelAt}}},
        // A drag that leaves the client area and comes back, and one that ends outside it.
        {{"mousedown 1", outside, pointerTo(200, 110), "mouseup 1"},
         {{WM_LBUTTONDOWN, MK_LBUTTON, at(160, 100)}, {WM_MOUSEMOVE, MK_LBUTTON, at(200, 110)},
          {WM_LBUTTONUP, 0, at(200, 110)}}},
        {{"mousedown 1", outside, "mouseup 1", pointerTo(210, 120)},
         {{WM_LBUTTONDOWN, MK_LBUTTON, at(200, 110)}, {WM_MOUSEMOVE, 0, at(210, 120)}}},
        // clang-format on
    };
    for (const auto &pointerCase : cases) {
        received.clear();
        std::string what;
        for (const std::string &step : pointerCase.runs) {
            what += step + ";";
            ASSERT_TRUE(run("xdotool " + step));
            pumpFor(100);
        }
        // The pointer crossing into the window brings a move to where it is already.
        Messages messages;
        const auto collect = [&] {
            messages.clear();
            for (const MSG &m : received) {
                const auto entry = std::make_tuple(m.message, m.wParam, m.lParam);
                if (m.message >= WM_MOUSEMOVE && m.message <= WM_MOUSEWHEEL &&
                    (messages.empty() || messages.back() != entry)) {
                    messages.push_back(entry);
                }
            }
            return messages.size() >= pointerCase.messages.size();
        };
        pumpUntil(collect);
        pumpFor(100);
        collect();
        EXPECT_EQ(messages, pointerCase.messages) << what;
    }
}

// Xvfb offers one mode, its own 1280 x 1024 at 32 bits: a request for anything else is refused
// and changes nothing; the offered mode makes the window full screen, and the desktop mode undoes
// it. The pointer's place is on the screen.
TEST_F(Platform, OnlyOfferedModesAreTakenAndTheCursorCounts) {
    DEVMODEA current = {};
    current.dmSize = sizeof current;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(std::make_tuple(current.dmPelsWidth, current.dmPelsHeight, current.dmBitsPerPel),
              std::make_tuple(DWORD{1280}, DWORD{1024}, DWORD{32}));
    const DWORD hz = current.dmDisplayFrequency;
    const LONG bad = DISP_CHANGE_BADMODE, good = DISP_CHANGE_SUCCESSFUL;
    const struct {
        DWORD width, height, bits, frequency;
        LONG result;
        bool fullScreen;
    } cases[] = {
        {800, 600, 32, hz, bad, false},       {1280, 1024, 16, hz, bad, false},
        {1280, 1024, 32, hz + 7, bad, false}, {1280, 1024, 32, hz, good, true},
        {800, 600, 32, hz, bad, true}, // refused while full screen: it stays so
    };
    for (const auto &modeCase : cases) {
        DEVMODEA mode = current;
        mode.dmPelsWidth = modeCase.width;
        mode.dmPelsHeight = modeCase.height;
        mode.dmBitsPerPel = modeCase.bits;
        mode.dmDisplayFrequency = modeCase.frequency;
        EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), modeCase.result)
            << modeCase.width << " " << modeCase.bits << " " << modeCase.frequency;
        EXPECT_TRUE(pumpUntil([&] { return wmFullScreen() == modeCase.fullScreen; }))
            << modeCase.width;
    }
    DEVMODEA cleared = {};
    cleared.dmSize = sizeof cleared;
    EXPECT_EQ(ChangeDisplaySettingsA(&cleared, 0), good);
    EXPECT_TRUE(pumpUntil([&] { return !wmFullScreen(); }));
    POINT pointer = {0, 0};
    ASSERT_TRUE(GetCursorPos(&pointer));
    EXPECT_EQ(std::make_pair(pointer.x, pointer.y), std::make_pair(LONG{1270}, LONG{1010}));
}

// A handle under test, passed as whichever kind of handle a call takes.
struct AnyHandle {
    void *value;
    template <typename T>
    operator T *() const {
        return static_cast<T *>(value);
    }
};

// A window with its device context, an OpenGL context and a font are ended, and new ones take
// their slots. Each call refuses the ended handles, handles of another kind and made-up values with
// its failure result (0, FALSE or NULL), and nothing reaches the new objects.
TEST_F(Platform, EndedHandlesStayEndedAfterTheirSlotsAreReused) {
    using H = AnyHandle;
    const PIXELFORMATDESCRIPTOR format = {};
    H stale[4], fresh[4]; // window, its device context, OpenGL context, font
    for (H *made : {stale, fresh}) {
        made[0].value = CreateWindowExA(0, "PlatformTest", "", WS_POPUP, 0, 0, 64, 64, nullptr,
                                        nullptr, nullptr, nullptr);
        made[1].value = GetDC(made[0]);
        SetPixelFormat(made[1], 1, &format);
        made[2].value = wglCreateContext(made[1]);
        made[3].value = CreateFontA(16, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana");
        ASSERT_TRUE(made == fresh ||
                    (DeleteObject(made[3]) && wglDeleteContext(made[2]) && DestroyWindow(made[0])));
    }
    std::vector<void *> handles = {nullptr, &received, reinterpret_cast<void *>(0xDEADBEEF)};
    for (int kind = 0; kind < 4; ++kind) {
        EXPECT_EQ(LOWORD(stale[kind].value), LOWORD(fresh[kind].value)) << "same slot " << kind;
        EXPECT_NE(stale[kind].value, fresh[kind].value) << kind;
        handles.insert(handles.end(), {stale[kind].value, fresh[kind].value});
    }
    MSG message = {nullptr, WM_CLOSE, 0, 0, 0, {0, 0}};
    const struct {
        const char *name;
        int kind;       // of the handle it takes
        bool takesNull; // NULL means something else to it
        std::function<bool(H)> refuses;
    } calls[] = {
        {"GetWindowLongA", 0, false, [](H h) { return !GetWindowLongA(h, GWL_STYLE); }},
        {"SetWindowLongA", 0, false, [](H h) { return !SetWindowLongA(h, GWL_STYLE, 0); }},
        {"SetWindowPos", 0, false, [](H h) { return !SetWindowPos(h, h, 1, 1, 9, 9, 0); }},
        {"GetDC", 0, true, [](H h) { return !GetDC(h); }},
        {"ReleaseDC", 1, false, [&](H h) { return !ReleaseDC(fresh[0], h); }},
        {"ChoosePixelFormat", 1, false, [&](H h) { return !ChoosePixelFormat(h, &format); }},
        {"SetPixelFormat", 1, false, [&](H h) { return !SetPixelFormat(h, 1, &format); }},
        {"wglCreateContext", 1, false, [](H h) { return !wglCreateContext(h); }},
        {"wglMakeCurrent", 1, false, [&](H h) { return !wglMakeCurrent(h, fresh[2]); }},
        {"SwapBuffers", 1, false, [](H h) { return !SwapBuffers(h); }},
        {"SelectObject", 1, false, [&](H h) { return !SelectObject(h, fresh[3]); }},
        {"wglUseFontBitmapsA", 1, false, [](H h) { return !wglUseFontBitmapsA(h, 0, 1, 1); }},
        {"wglMakeCurrent", 2, true, [&](H h) { return !wglMakeCurrent(fresh[1], h); }},
        {"SelectObject", 3, false, [&](H h) { return !SelectObject(fresh[1], h); }},
        // Those that end an object come last, so that a fault in one hides none after it.
        {"DefWindowProcA", 0, false, [](H h) { return !DefWindowProcA(h, WM_CLOSE, 0, 0); }},
        {"DispatchMessageA", 0, false, [&](H) { return !DispatchMessageA(&message); }},
        {"wglDeleteContext", 2, false, [](H h) { return !wglDeleteContext(h); }},
        {"DeleteObject", 3, false, [](H h) { return !DeleteObject(h); }},
        {"DestroyWindow", 0, false, [](H h) { return !DestroyWindow(h); }},
    };
    for (const auto &call : calls) {
        for (void *handle : handles) {
            message.hwnd = static_cast<HWND>(handle);
            if (handle != fresh[call.kind].value && (handle != nullptr || !call.takesNull)) {
                EXPECT_TRUE(call.refuses({handle})) << call.name << " took " << handle;
            }
        }
    }
    EXPECT_EQ(GetWindowLongA(fresh[0], GWL_STYLE), static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(ReleaseDC(stale[0], fresh[1]), 1); // the window named goes unchecked, as on Windows
    ASSERT_TRUE(wglMakeCurrent(fresh[1], fresh[2]));
    EXPECT_EQ(SelectObject(fresh[1], fresh[3]), GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(wglUseFontBitmapsA(fresh[1], 32, 1, glGenLists(1)) && SwapBuffers(fresh[1]));
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr) && wglDeleteContext(fresh[2]));
    SelectObject(fresh[1], GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(DeleteObject(fresh[3]) && DestroyWindow(fresh[0]));
}

// Each printable character alone, its pen 4 pixels from the left and 8 above the bottom of a
// 32 x 32 cell at (100, 100), read back as a picture of '#' for the lit pixels, bottom row first.
// The program's font: fontconfig stands in a face of its own where this one is missing.
TEST_F(Platform, GlyphListsDrawEveryCharacterDistinctlyOnTheBaseline) {
    HDC dc = GetDC(window);
    const PIXELFORMATDESCRIPTOR request = {}; // the window's format is fixed: any request gets it
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &request), &request));
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    HFONT font = CreateFontA(16, 8, 0, 0, FW_LIGHT, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, "Verdana");
    HGDIOBJ previous = SelectObject(dc, font);
    const GLuint base = glGenLists(96);
    ASSERT_TRUE(wglUseFontBitmapsA(dc, 32, 96, base));
    glViewport(0, 0, 800, 600);
    glOrtho(0, 800, 0, 600, -1, 1);
    glListBase(base - 32);
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
    EXPECT_EQ(std::make_pair(lowestRow('x'), lowestRow('H')), std::make_pair(size_t{8}, size_t{8}));
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
