// The Win32 subset on Xlib, GLX and XRandR on a real display (Xvfb with a window manager), for
// what the end-to-end tests cannot see: keys under a layout without Latin letters, the keypad
// with NumLock, system keys, the release of a key pressed elsewhere, the buttons and place each
// pointer message carries, a close signal that comes while the queue is full, refused modes,
// ended handles and the glyphs. Each test gets a captioned window of 800 x 600 at (0, 0). Keys
// come from the X server, sent with xdotool.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/x11/connection.h"
#include "platform/x11/messages.h"
#include "platform/x11/windows.h"

namespace {

using Messages = std::vector<std::tuple<UINT, WPARAM, LPARAM>>;
Messages keys; // the key messages pumpUntil takes, without the repeats of a held key

bool run(const std::string &command) {
    return std::system(command.c_str()) == 0;
}

struct Platform : ::testing::Test {
    HWND window = nullptr;

    static void SetUpTestSuite() {
        ASSERT_TRUE(platform::openConnection(false)) << "no display";
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "PlatformTest";
        ASSERT_TRUE(RegisterClassA(&windowClass));
    }
    static void TearDownTestSuite() { platform::closeConnection(); }

    void SetUp() override {
        ASSERT_TRUE(run("xdotool mousemove 1270 1010")); // away from the window
        window = CreateWindowExA(0, "PlatformTest", "", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0,
                                 800, 600, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        pumpUntil([&] { return platform::window.frame[2] > 0; }); // framed by the window manager
        keys.clear();
    }
    void TearDown() override { DestroyWindow(window); }
    Window drawable() { return platform::window.drawable; }

    // Takes messages until `done` holds; false if it did not within two seconds.
    bool pumpUntil(const std::function<bool()> &done) {
        const DWORD start = GetTickCount();
        for (MSG message; !done(); usleep(2000)) {
            if (GetTickCount() - start > 2000) {
                return false;
            }
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                const auto key = std::make_tuple(message.message, message.wParam, message.lParam);
                if (message.message >= WM_KEYDOWN && message.message <= WM_SYSKEYUP &&
                    (keys.empty() || keys.back() != key)) {
                    keys.push_back(key);
                }
            }
        }
        return true;
    }
    // Gives the keyboard focus to an X window and waits until it has it.
    void focus(Window which) {
        ASSERT_TRUE(run("xdotool windowactivate --sync " + std::to_string(which)));
        EXPECT_TRUE(pumpUntil([&] {
            Window focus = None;
            int revert = 0;
            XGetInputFocus(platform::connection.display, &focus, &revert);
            return focus == which;
        }));
    }
};

// Keys as press and release, each run of xdotool in a layout, with NumLock on or off. Letters
// follow the layout (AZERTY's a on the US Q place is A, its comma on the M place nothing; Dvorak's
// apostrophe on the Q place nothing); the digit row gives its digits, shifted or not. Without
// Latin letters the letter keys keep the codes of their places; the keypad gives digits with
// NumLock on and Shift up, else nothing the program reads. While Alt is held without Ctrl keys
// are system keys; AltGr is Ctrl and Alt together. As on Windows a key's release goes to the
// window that has the focus when it happens: keys held while the focus leaves give no release
// here, keys pressed elsewhere their release but no press.
TEST_F(Platform, KeysFollowTheLayoutNumLockAltAndTheFocus) {
    const UINT down = WM_KEYDOWN, sysDown = WM_SYSKEYDOWN, sysUp = WM_SYSKEYUP;
    const auto typed = [](std::vector<WPARAM> codes) {
        Messages keys;
        for (WPARAM code : codes) {
            keys.insert(keys.end(), {{WM_KEYDOWN, code, 0}, {WM_KEYUP, code, 0}});
        }
        return keys;
    };
    Display *display = platform::connection.display;
    const Window other =
        XCreateSimpleWindow(display, platform::connection.root, 900, 700, 99, 99, 0, 0, 0);
    XMapWindow(display, other);
    XSync(display, False);
    focus(other); // once the window manager has it
    focus(drawable());
    const std::string toOther = " windowactivate --sync " + std::to_string(other) + " ";
    const std::string toUs = " windowactivate --sync " + std::to_string(drawable()) + " ";
    const std::tuple<const char *, bool, std::string, Messages> cases[] = {
        {"ru", false, "key Cyrillic_ef Cyrillic_be 5 F4", typed({'A', '5', VK_F4})},
        {"fr", false, "key a q m comma ampersand 2", typed({'A', 'Q', 'M', '1', '2'})},
        {"us -variant dvorak", false, "key o u apostrophe", typed({'O', 'U'})},
        {"us", true,
         "key KP_Insert KP_End KP_Down KP_Next KP_Left KP_Begin KP_Right KP_Home KP_Up KP_Prior "
         "KP_Delete keydown shift key KP_Right keyup shift key KP_Subtract",
         typed({VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6,
                VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, VK_SUBTRACT})},
        {"us", false, "keydown alt key b keyup alt", {{sysDown, 'B', 0}, {sysUp, 'B', 0}}},
        {"us", false, "keydown ctrl keydown alt key b keyup alt keyup ctrl", typed({'B'})},
        {"fr", false, "keydown ISO_Level3_Shift key b keyup ISO_Level3_Shift", typed({'B'})},
        {"us",
         false,
         "keydown f keydown Escape" + toOther + "keyup f keyup Escape keydown h" + toUs +
             "keyup h key g",
         {{down, 'F', 0},
          {down, VK_ESCAPE, 0},
          {WM_KEYUP, 'H', 0},
          {down, 'G', 0},
          {WM_KEYUP, 'G', 0}}},
    };
    for (const auto &[layout, numLock, typing, messages] : cases) {
        ASSERT_TRUE(run(std::string("setxkbmap -layout ") + layout));
        if (run("xset q | grep -q 'Num Lock: *on'") != numLock) {
            ASSERT_TRUE(run("xdotool key Num_Lock"));
        }
        keys.clear();
        ASSERT_TRUE(run("xdotool " + typing));
        const DWORD start = GetTickCount(); // and nothing more comes
        pumpUntil([&] { return GetTickCount() - start > 300; });
        EXPECT_EQ(keys, messages) << layout << ": " << typing;
    }
    run("setxkbmap -layout us; xset q | grep -q 'Num Lock: *on' && xdotool key Num_Lock");
    XDestroyWindow(display, other);
}

// Pointer events as the server reports them (its state is that before the event), sent to the
// window beyond what the queue holds: each message carries the buttons and Ctrl of its own moment
// and its client point, the wheel's its screen point; outside the client area nothing comes, as
// the program never captures the mouse. A close signal that comes while the queue is full waits
// for room. GetCursorPos reads the pointer's place on the screen.
TEST_F(Platform, PointerMessagesCarryTheirMomentAndAFullQueueKeepsTheCloseSignal) {
    Display *display = platform::connection.display;
    const auto send = [&](int type, unsigned state, unsigned button, int x) {
        XEvent event = {};
        event.xbutton = {type,  0,      False, display, drawable(), platform::connection.root,
                         None,  0,      x,     10,      x + 100,    110,
                         state, button, True};
        XSendEvent(display, drawable(), False,
                   PointerMotionMask | ButtonPressMask | ButtonReleaseMask, &event);
    };
    send(ButtonPress, ControlMask, Button3, 20);
    send(ButtonRelease, Button3Mask, Button3, 900);
    send(ButtonPress, 0, Button4, 20);
    send(ButtonPress, ControlMask, Button5, 20);
    Messages expected = {{WM_RBUTTONDOWN, MK_CONTROL | MK_RBUTTON, MAKELPARAM(20, 10)},
                         {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(120, 110)},
                         {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -120), MAKELPARAM(120, 110)}};
    const unsigned states[] = {0, ControlMask | Button3Mask, Button1Mask};
    const WPARAM bits[] = {0, MK_CONTROL | MK_RBUTTON, MK_LBUTTON};
    for (int i = 0; i < 100; ++i) {
        send(MotionNotify, states[i % 3], 0, i == 50 ? 900 : i);
        if (i != 50) {
            expected.emplace_back(WM_MOUSEMOVE, bits[i % 3], MAKELPARAM(i, 10));
        }
    }
    XSync(display, False);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)); // the queue fills up
    platform::closeRequested = 1;
    Messages messages;
    int closes = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        closes += message.message == WM_CLOSE ? 1 : 0;
        if (message.message >= WM_MOUSEMOVE && message.message <= WM_MOUSEWHEEL) {
            messages.emplace_back(message.message, message.wParam, message.lParam);
        }
    }
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(std::make_pair(closes, int{platform::closeRequested}), std::make_pair(1, 0));
    XWarpPointer(display, None, platform::connection.root, 0, 0, 0, 0, 321, 234);
    POINT pointer = {};
    EXPECT_TRUE(GetCursorPos(&pointer));
    EXPECT_EQ(std::make_pair(pointer.x, pointer.y), std::make_pair(LONG{321}, LONG{234}));
}

// Xvfb offers one mode, its own 1280 x 1024 at 32 bits, which the end-to-end tests see taken for
// full screen and another size refused: another depth or frequency is refused too, also while
// full screen, which then stays.
TEST_F(Platform, OnlyOfferedModesAreTaken) {
    DEVMODEA current = {};
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    const std::string fullScreen =
        "xprop -id " + std::to_string(drawable()) + " _NET_WM_STATE | grep -q FULLSCREEN";
    const DWORD hz = current.dmDisplayFrequency;
    const LONG bad = DISP_CHANGE_BADMODE, good = DISP_CHANGE_SUCCESSFUL;
    const std::tuple<DWORD, DWORD, LONG, bool> cases[] = {
        {16, hz, bad, false}, {32, hz + 7, bad, false}, {32, hz, good, true}, {16, hz, bad, true}};
    for (const auto &[bits, frequency, result, full] : cases) {
        DEVMODEA mode = current;
        mode.dmBitsPerPel = bits;
        mode.dmDisplayFrequency = frequency;
        EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), result)
            << bits << " " << frequency;
        EXPECT_TRUE(pumpUntil([&] { return run(fullScreen) == full; })) << bits << " " << frequency;
    }
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
// their slots. One call for each kind of handle refuses the ended handles, handles of another kind
// and made-up values with its failure result (0, FALSE or NULL), and nothing reaches the new
// objects: they draw each printable character of the program's font alone, its pen 4 pixels from
// the left and 8 above the bottom of a 32 x 32 cell at (100, 100), read back as a picture of its
// lit pixels, bottom row first.
TEST_F(Platform, EndedHandlesStayEndedAndTheNewOnesDrawEveryGlyph) {
    using H = AnyHandle;
    const PIXELFORMATDESCRIPTOR format = {}; // the window's format is fixed: any request gets it
    H stale[4], fresh[4];                    // window, its device context, OpenGL context, font
    ASSERT_TRUE(DestroyWindow(window));      // the program has one window at a time
    for (H *made : {stale, fresh}) {
        made[0].value = CreateWindowExA(0, "PlatformTest", "", WS_POPUP, 0, 0, 800, 600, nullptr,
                                        nullptr, nullptr, nullptr);
        made[1].value = GetDC(made[0]);
        ASSERT_TRUE(SetPixelFormat(made[1], ChoosePixelFormat(made[1], &format), &format));
        made[2].value = wglCreateContext(made[1]);
        made[3].value = CreateFontA(16, 8, 0, 0, FW_LIGHT, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, "Verdana");
        ASSERT_TRUE(made == fresh ||
                    (DeleteObject(made[3]) && wglDeleteContext(made[2]) && DestroyWindow(made[0])));
    }
    window = fresh[0];
    std::vector<void *> handles = {nullptr, &keys, reinterpret_cast<void *>(0xDEADBEEF)};
    for (int kind = 0; kind < 4; ++kind) {
        EXPECT_EQ(LOWORD(stale[kind].value), LOWORD(fresh[kind].value)) << "same slot " << kind;
        handles.insert(handles.end(), {stale[kind].value, fresh[kind].value});
    }
    const std::tuple<const char *, int, std::function<bool(H)>> calls[] = {
        {"SwapBuffers", 1, [](H h) { return !SwapBuffers(h); }},
        {"wglMakeCurrent", 2, [&](H h) { return !h.value || !wglMakeCurrent(fresh[1], h); }},
        // Those that end an object come last, so that a fault in one hides none after it.
        {"DeleteObject", 3, [](H h) { return !DeleteObject(h); }},
        {"DestroyWindow", 0, [](H h) { return !DestroyWindow(h); }},
    };
    for (const auto &[name, kind, refuses] : calls) {
        for (void *handle : handles) {
            EXPECT_TRUE(handle == fresh[kind].value || refuses({handle}))
                << name << " took " << handle;
        }
    }
    EXPECT_EQ(GetWindowLongA(fresh[0], GWL_STYLE), static_cast<LONG>(WS_POPUP));
    ASSERT_TRUE(wglMakeCurrent(fresh[1], fresh[2]));
    EXPECT_EQ(SelectObject(fresh[1], fresh[3]), GetStockObject(SYSTEM_FONT));
    ASSERT_TRUE(wglUseFontBitmapsA(fresh[1], 32, 96, 1000));
    glViewport(0, 0, 800, 600);
    glOrtho(0, 800, 0, 600, -1, 1);
    std::vector<std::string> glyphs;
    for (GLuint list = 1000; list < 1095; ++list) {
        glClear(GL_COLOR_BUFFER_BIT);
        glRasterPos2i(104, 108);
        glCallList(list);
        glyphs.emplace_back(32 * 32, ' ');
        glReadPixels(100, 100, 32, 32, GL_RED, GL_UNSIGNED_BYTE, &glyphs.back()[0]);
        for (char &pixel : glyphs.back()) {
            pixel = static_cast<unsigned char>(pixel) > 128 ? '#' : ' ';
        }
    }
    EXPECT_EQ(std::set<std::string>(glyphs.begin(), glyphs.end()).size(), glyphs.size())
        << "two characters look alike (or two are blank)";
    // Letters stand on the baseline (row 8), descenders go below it, all within the 16 pixels;
    // the space is blank.
    const auto lowestRow = [&](char c) { return glyphs[c - 32].find('#') / 32; };
    const auto highestRow = [&](char c) { return glyphs[c - 32].rfind('#') / 32; };
    EXPECT_EQ(std::make_tuple(lowestRow('x'), lowestRow('H'), glyphs[0].find('#')),
              std::make_tuple(size_t{8}, size_t{8}, std::string::npos));
    EXPECT_TRUE(highestRow('H') > highestRow('x') && lowestRow('g') < 8 &&
                highestRow('l') - lowestRow('g') < 16);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr) && wglDeleteContext(fresh[2]));
    EXPECT_TRUE(SelectObject(fresh[1], GetStockObject(SYSTEM_FONT)) && DeleteObject(fresh[3]));
}

} // namespace
