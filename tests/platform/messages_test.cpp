#include "tests/platform/platform_test.h"

#include <csignal>

#include "platform/sdl/sdl_platform.h"

class MessagesTest : public PlatformTest {
  protected:
    HWND window = nullptr;

    void SetUp() override {
        PlatformTest::SetUp();
        window = makeWindow(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
        ASSERT_NE(window, nullptr);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        SDL_SetModState(KMOD_NONE);
    }

    void pushCloseRequest() {
        SDL_Event event = {};
        event.window.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = window->sdlId;
        SDL_PushEvent(&event);
    }

    void pushKey(Uint32 type, SDL_Scancode scancode, Uint16 mod = KMOD_NONE,
                 bool focusKnown = true) {
        SDL_Event event = {};
        event.key.type = type;
        event.key.windowID = focusKnown ? window->sdlId : 0;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
};

TEST_F(MessagesTest, KeyReleasesCarryWindowsCodesByKeyPosition) {
    const struct {
        SDL_Scancode scancode;
        WPARAM code;
    } keys[] = {
        {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDL_SCANCODE_F1, VK_F1},
        {SDL_SCANCODE_F3, VK_F3},
        {SDL_SCANCODE_F4, VK_F4},
        {SDL_SCANCODE_F5, VK_F5},
        {SDL_SCANCODE_A, 'A'},
        {SDL_SCANCODE_F, 'F'},
        {SDL_SCANCODE_Z, 'Z'},
        {SDL_SCANCODE_1, '1'},
        {SDL_SCANCODE_8, '8'},
        {SDL_SCANCODE_0, '0'},
        {SDL_SCANCODE_KP_0, 0x60},
        {SDL_SCANCODE_KP_2, 0x62},
        {SDL_SCANCODE_KP_3, 0x63},
        {SDL_SCANCODE_KP_6, 0x66},
        {SDL_SCANCODE_KP_9, 0x69},
        {SDL_SCANCODE_KP_MINUS, 0x6D},
        {SDL_SCANCODE_KP_COMMA, 0x6C},
    };
    for (const auto &key : keys) {
        pushKey(SDL_KEYUP, key.scancode, KMOD_LSHIFT);
        MSG message;
        ASSERT_TRUE(nextMessage(WM_KEYUP, WM_KEYUP, message)) << key.scancode;
        EXPECT_EQ(message.hwnd, window);
        EXPECT_EQ(message.wParam, key.code) << key.scancode;
        EXPECT_EQ(static_cast<DWORD>(message.lParam) >> 30, 3u);
    }
    // Keys that come before SDL knows which window has the focus go to the program's window.
    pushKey(SDL_KEYUP, SDL_SCANCODE_F, KMOD_NONE, false);
    MSG early;
    ASSERT_TRUE(nextMessage(WM_KEYUP, WM_KEYUP, early));
    EXPECT_EQ(early.hwnd, window);
    EXPECT_EQ(early.wParam, static_cast<WPARAM>('F'));
    // Presses are WM_KEYDOWN; with Alt held the system-key messages come instead.
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_B);
    pushKey(SDL_KEYUP, SDL_SCANCODE_F, KMOD_LALT);
    MSG message;
    ASSERT_TRUE(nextMessage(WM_KEYDOWN, WM_SYSKEYUP, message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('B'));
    ASSERT_TRUE(nextMessage(WM_KEYDOWN, WM_SYSKEYUP, message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_SYSKEYUP));
}

TEST_F(MessagesTest, MouseMessagesCarrySignedClientPointsButtonsAndTheWheel) {
    SDL_SetModState(KMOD_LCTRL);
    SDL_Event event = {};
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.windowID = window->sdlId;
    event.motion.x = -3;
    event.motion.y = 599;
    event.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    SDL_PushEvent(&event);
    MSG message;
    ASSERT_TRUE(nextMessage(WM_MOUSEMOVE, WM_MOUSEMOVE, message));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(MK_LBUTTON | MK_RBUTTON | MK_CONTROL));
    EXPECT_EQ(static_cast<short>(LOWORD(message.lParam)), -3);
    EXPECT_EQ(static_cast<short>(HIWORD(message.lParam)), 599);

    SDL_SetModState(KMOD_NONE);
    event = {};
    event.button.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = window->sdlId;
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 10;
    event.button.y = 20;
    SDL_PushEvent(&event);
    ASSERT_TRUE(nextMessage(WM_LBUTTONDOWN, WM_MBUTTONUP, message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(MK_RBUTTON));
    EXPECT_EQ(message.lParam, MAKELPARAM(10, 20));
    event.button.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&event);
    ASSERT_TRUE(nextMessage(WM_LBUTTONDOWN, WM_MBUTTONUP, message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_RBUTTONUP));

    const struct {
        Sint32 y;
        Uint32 direction;
        short delta;
    } wheels[] = {{1, SDL_MOUSEWHEEL_NORMAL, 120},
                  {-2, SDL_MOUSEWHEEL_NORMAL, -240},
                  {1, SDL_MOUSEWHEEL_FLIPPED, -120}};
    for (const auto &wheel : wheels) {
        event = {};
        event.wheel.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = window->sdlId;
        event.wheel.y = wheel.y;
        event.wheel.direction = wheel.direction;
        SDL_PushEvent(&event);
        ASSERT_TRUE(nextMessage(WM_MOUSEWHEEL, WM_MOUSEWHEEL, message));
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(message.wParam), wheel.delta);
    }
}

TEST_F(MessagesTest, CloseRequestsAndSignalsBecomeCloseMessagesForTheWindow) {
    pushCloseRequest();
    MSG message;
    ASSERT_TRUE(nextMessage(WM_CLOSE, WM_CLOSE, message));
    EXPECT_EQ(message.hwnd, window);

    platform::installCloseSignals();
    std::raise(SIGTERM);
    std::raise(SIGINT);
    ASSERT_TRUE(nextMessage(WM_CLOSE, WM_CLOSE, message));
    EXPECT_EQ(message.hwnd, window);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

TEST_F(MessagesTest, QuitComesAfterEverythingElseAndOnlyRemovedMessagesGo) {
    PostQuitMessage(3);
    pushCloseRequest();
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_TRUE(TranslateMessage(&message) == FALSE);
    received.clear();
    EXPECT_EQ(DispatchMessageA(&message), 0);
    ASSERT_EQ(received.size(), 2u); // WM_CLOSE, then WM_DESTROY from the default procedure
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_CLOSE));
    window = nullptr;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(DispatchMessageA(nullptr), 0);
}
