#include <cmath>
#include <cstring>

#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

class WindowProcTest : public GlTest {
  protected:
    HWND window = reinterpret_cast<HWND>(2);

    void SetUp() override {
        GlTest::SetUp();
        scene.settings.windowed = 1;
        startScene();
        scene.mainWindow = window;
        recording::calls.clear();
    }

    LRESULT keyUp(WPARAM code) { return nimbrost::windowProc(window, WM_KEYUP, code, 0xC0000001); }
};

TEST_F(WindowProcTest, EachToggleKeyAndItsSecondCodeFlipOneFlag) {
    using nimbrost::Settings;
    const struct {
        WPARAM codes[2];
        std::int32_t Settings::*flag;
    } toggles[] = {
        // clang-format off
        {{VK_F1, VK_F1}, &Settings::showInfo}, {{'F', VK_NUMPAD6}, &Settings::windowed},
        {{'B', VK_NUMPAD2}, &Settings::squareBorders}, {{'P', 'P'}, &Settings::squarePersonality},
        {{'M', VK_SUBTRACT}, &Settings::rotateCamera}, {{'L', VK_SEPARATOR}, &Settings::lighting},
        {{'C', VK_NUMPAD3}, &Settings::clearColorBuffer}, {{'S', VK_F4}, &Settings::sound},
        {{'T', VK_F5}, &Settings::transparency},
        // clang-format on
    };
    scene.settings.squareBorders = 7; // any non-zero value is on
    for (const auto &toggle : toggles) {
        for (WPARAM code : toggle.codes) {
            SCOPED_TRACE(code);
            Settings expected = scene.settings;
            expected.*toggle.flag = expected.*toggle.flag == 0 ? 1 : 0;
            glBlendFunc(GL_ONE, GL_ZERO);
            EXPECT_EQ(keyUp(code), 0);
            EXPECT_EQ(std::memcmp(&scene.settings, &expected, sizeof expected), 0);
            // L and T reach the renderer at once.
            const Settings &now = scene.settings;
            EXPECT_EQ(enabled({GL_LIGHTING, GL_BLEND, GL_DEPTH_TEST}),
                      (std::vector<int>{now.lighting, now.transparency, 1 - now.transparency}));
        }
    }
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA); // T turned blending back on
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    // F goes full screen, then its second code back; S reopens the output either way.
    EXPECT_EQ(recording::logged({"ChangeDisplaySettingsA", "midiOut"}),
              "ChangeDisplaySettingsA(156, 0, 0x5c0000, 800, 600, 32, 60, 4)\n"
              "ChangeDisplaySettingsA(156, 0, 0, 0, 0, 0, 0, 0)\nmidiOutClose(#1)\n"
              "midiOutOpen(0xffffffff, 0, 0, 0) -> #2\nmidiOutClose(#2)\n"
              "midiOutOpen(0xffffffff, 0, 0, 0) -> #3\n");
}

TEST_F(WindowProcTest, DigitsOneToEightChooseAndResetWhileOtherCodesDoNothing) {
    for (int row = 0; row < 8; ++row) {
        scene.frameCount = 3;
        scene.camera.posX = 9.0;
        EXPECT_EQ(keyUp('1' + row), 0);
        EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[row].draw) << row;
        EXPECT_EQ(scene.frameCount, 0u) << row;
        EXPECT_EQ(scene.camera.posX, -2.5) << row;
    }
    scene.frameCount = 3;
    recording::calls.clear();
    const nimbrost::Settings settings = scene.settings;
    for (int code : {VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD7, VK_NUMPAD8,
                     VK_NUMPAD9, int('0'), int('9'), int('Z'), 0, 0xFF00}) {
        EXPECT_EQ(keyUp(code), 0);
    }
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[7].draw);
    EXPECT_EQ(scene.frameCount, 3u);
    EXPECT_EQ(std::memcmp(&scene.settings, &settings, sizeof settings), 0);
    EXPECT_EQ(recording::logged(), "");
    keyUp(0x134); // the low byte decides
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[3].draw);

    // R and F3 put the turns back and nothing else.
    for (WPARAM code : {WPARAM('R'), WPARAM(VK_F3)}) {
        scene.camera = nimbrost::Camera{4, 5, -6, 10, 20, 30};
        keyUp(code);
        const nimbrost::Camera reset{4, 5, -6, 0, 0, 0};
        EXPECT_EQ(std::memcmp(&scene.camera, &reset, sizeof reset), 0) << code;
    }
}

TEST_F(WindowProcTest, EscapeQuitsAndOtherMessagesGoToTheDefaultProcedure) {
    EXPECT_EQ(keyUp(VK_ESCAPE), 0);
    for (UINT message : {UINT(WM_KEYDOWN), UINT(WM_SYSKEYUP), UINT(WM_LBUTTONUP), 0x7FFFu}) {
        EXPECT_EQ(nimbrost::windowProc(window, message, 'F', 0x1234),
                  recording::defaultProcedureResult);
    }
    EXPECT_EQ(recording::logged(),
              "PostQuitMessage(0)\nDefWindowProcA(#2, 256, 70, 4660)\n"
              "DefWindowProcA(#2, 261, 70, 4660)\nDefWindowProcA(#2, 514, 70, 4660)\n"
              "DefWindowProcA(#2, 32767, 70, 4660)\n");
}

TEST_F(WindowProcTest, MouseDragsAndTheWheelMoveAndTurnTheCamera) {
    // Presses give the pointer's screen position (x, y), moves client coordinates, the wheel its
    // delta as y. Then the camera's place and turns, and the anchors x, y, z.
    const UINT move = WM_MOUSEMOVE, wheel = WM_MOUSEWHEEL;
    const WPARAM left = MK_LBUTTON, right = MK_RBUTTON, ctrl = MK_CONTROL;
    const struct {
        UINT message;
        WPARAM buttons;
        int x, y;
        std::vector<double> expected;
    } steps[] = {{WM_LBUTTONDOWN, 0, 101, 120, {-2.5, -2.5, -30, 0, 0, 0, 101, 120, 0}},
                 {move, left, 100, 100, {-2.6, -0.5, -30, 0, 0, 0, 100, 100, 0}},
                 {move, left | right, 130, 90, {0.4, 0.5, -30, 0, 0, 0, 130, 90, 0}},
                 {WM_RBUTTONDOWN, 0, 300, 50, {0.4, 0.5, -30, 0, 0, 0, 300, 50, 0}},
                 {move, right, 40, 200, {0.4, 0.5, -30, 310, 5, 0, 200, 40, 0}},
                 {move, right, 42, 203, {0.4, 0.5, -30, 311.5, 4, 0, 203, 42, 0}},
                 {move, left | ctrl, 10, 30, {0.4, 0.5, -33, 311.5, 4, 0, 203, 42, 30}},
                 {move, right | ctrl, 10, 50, {0.4, 0.5, -33, 311.5, 4, 350, 203, 42, 50}},
                 {move, left, 0, 47, {0.4, 0, -33, 311.5, 4, 350, 203, 47, 50}},
                 {move, left, -5, 0, {-20.4, 0, -33, 311.5, 4, 350, -5, 47, 50}},
                 {move, right, 0, 2000, {-20.4, 0, -33, 954, 4, 350, 2000, 47, 50}},
                 {move, MK_SHIFT | MK_MBUTTON, 9, 9, {-20.4, 0, -33, 954, 4, 350, 2000, 47, 50}},
                 {wheel, ctrl, 0, 120, {-20.4, 0, -21, 954, 4, 350, 2000, 47, 50}},
                 {wheel, 0, 0, -120, {-20.4, 0, -33, 954, 4, 350, 2000, 47, 50}}};
    for (const auto &step : steps) {
        recording::given.cursorPosition = POINT{step.x, step.y};
        const WPARAM wParam = step.message == wheel
                                  ? MAKEWPARAM(step.buttons, static_cast<WORD>(step.y))
                                  : step.buttons;
        const LPARAM lParam = MAKELPARAM(static_cast<WORD>(step.x), static_cast<WORD>(step.y));
        const bool press = step.message != move && step.message != wheel;
        EXPECT_EQ(nimbrost::windowProc(window, step.message, wParam, press ? 0x70007 : lParam), 0);
        const nimbrost::Camera &c = scene.camera;
        EXPECT_EQ(rounded({c.posX, c.posY, c.posZ, c.rotX, c.rotY, c.rotZ, scene.anchorX,
                           scene.anchorY, scene.anchorZ}),
                  step.expected)
            << "step " << &step - steps;
    }
}

class WinMainTest : public GlTest {
  protected:
    // Runs the program with this command-line tail.
    int run(const std::string &tail) {
        std::string text = tail;
        return WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, text.data(), 10);
    }
};

TEST_F(WinMainTest, TheTailChoosesAWindowFullScreenOrNothingAtAll) {
    // The tail, and windowed: 1, full screen: 0, refused with no call at all: -1.
    const std::pair<std::string, int> cases[] = {
        // clang-format off
        {"-WIN", -1}, {"/p 123", -1}, {"/c", -1}, {" ", -1}, {"- win", -1}, {"/ s", -1},
        {"\xff\xfe\x01", -1}, {std::string(100000, 'w'), -1}, {"", 0}, {"/s", 0}, {"/S", 0},
        {"foo/sbar", 0}, {"/p 1 /S", 0}, {"-win", 1}, {"/s -win", 1}, {"x-windows", 1},
        // clang-format on
    };
    for (const auto &[tail, windowed] : cases) {
        SCOPED_TRACE(tail.substr(0, 10));
        scene = nimbrost::SceneState();
        recording::clear();
        recording::postAfterFrames(0, WM_QUIT, 0);
        EXPECT_EQ(run(tail), 0);
        EXPECT_EQ(recording::logged().empty(), windowed < 0);
        EXPECT_EQ(scene.settings.windowed, windowed == 1);
    }
}

TEST_F(WinMainTest, WindowedRunStartsHandlesEveryPendingMessageAndShutsDownInOrder) {
    recording::postAfterFrames(1, WM_KEYUP, 'B');
    recording::postAfterFrames(1, WM_KEYUP, 'P');
    recording::postAfterFrames(2, WM_CLOSE, 0);
    EXPECT_EQ(run("-win"), 0);
    // 0x5f5f0000 is the system font; messages 257, 16 and 18 are WM_KEYUP, WM_CLOSE and WM_QUIT.
    EXPECT_EQ(recording::logged(),
              "LoadIconA(null, #32512) -> #1\nLoadCursorA(null, #32512) -> #2\n"
              "GetStockObject(4) -> #3\n"
              "RegisterClassA(32, 0, 0, 0x400000, #1, #2, #3, null, \"Nimbrost\")\n"
              "CreateWindowExA(0, \"Nimbrost\", \"Nimbrost\", 0x90c80000, 0, 0, 800, 600, null, "
              "null, 0x400000, null) -> #4\nGetDC(#4) -> #5\n"
              "ChoosePixelFormat(#5, 40, 1, 37, 0, 32, 16, 0) -> 7\nSetPixelFormat(#5, 7)\n"
              "wglCreateContext(#5) -> #6\nwglMakeCurrent(#5, #6)\n"
              "CreateFontA(16, 8, 0, 0, 300, 0, 0, 0, 0, 4, 0, 4, 0, \"Verdana\") -> #7\n"
              "SelectObject(#5, #7) -> 0x5f5f0000\nwglUseFontBitmapsA(#5, 32, 96)\n"
              "SelectObject(#5, 0x5f5f0000) -> #7\nDeleteObject(#7)\nGetTickCount()\n"
              "midiOutOpen(0xffffffff, 0, 0, 0) -> #8\nSwapBuffers(#5)\n"
              "PeekMessageA(null, 0, 0, 1) -> 257, 66\nTranslateMessage(#4, 257, 66)\n"
              "DispatchMessageA(#4, 257, 66)\nPeekMessageA(null, 0, 0, 1) -> 257, 80\n"
              "TranslateMessage(#4, 257, 80)\nDispatchMessageA(#4, 257, 80)\nSwapBuffers(#5)\n"
              "PeekMessageA(null, 0, 0, 1) -> 16, 0\nTranslateMessage(#4, 16, 0)\n"
              "DispatchMessageA(#4, 16, 0)\nPostQuitMessage(0)\n"
              "PeekMessageA(null, 0, 0, 1) -> 18, 0\nmidiOutClose(#8)\n"
              "GetWindowLongA(#4, -16) -> 0x90c80000\n"
              "ChangeDisplaySettingsA(156, 0, 0, 0, 0, 0, 0, 0)\nShowCursor(1) -> 1\n"
              "SetWindowLongA(#4, -16, 0x90c80000)\nSetWindowPos(#4, null, 0, 0, 0, 0, 55)\n"
              "wglMakeCurrent(null, null)\nwglDeleteContext(#6)\nReleaseDC(#4, #5)\n"
              "DestroyWindow(#4)\n");
    EXPECT_EQ(scene.frameCount, 2u);
    EXPECT_EQ(scene.settings.squareBorders + scene.settings.squarePersonality, 2);
    EXPECT_GT(litPixels(), 0);
    EXPECT_FALSE(glIsList(recording::fontListBase));
}

TEST_F(WinMainTest, FullScreenStartTakesTheScreenAndHidesTheCursorTwice) {
    recording::given.screenWidth = 1920;
    recording::given.screenHeight = 1080;
    recording::postAfterFrames(1, WM_QUIT, 0);
    EXPECT_EQ(run("/s"), 0);
    // Hidden once as the window is made and once more going full screen, the cursor stays
    // hidden after the one show at the end.
    EXPECT_EQ(recording::logged({"GetSystemMetrics", "CreateWindowExA", "ShowCursor", "GetDC",
                                 "ChangeDisplaySettingsA", "SetWindow"}),
              "GetSystemMetrics(0) -> 1920\nGetSystemMetrics(1) -> 1080\n"
              "CreateWindowExA(0, \"Nimbrost\", \"Nimbrost\", 0x90880000, 0, 0, 1920, 1080, "
              "null, null, 0x400000, null) -> #4\nShowCursor(0) -> -1\nGetDC(#4) -> #5\n"
              "ChangeDisplaySettingsA(156, 0, 0x5c0000, 1920, 1080, 32, 60, 4)\n"
              "ShowCursor(0) -> -2\nSetWindowLongA(#4, -16, 0x90080000)\n"
              "SetWindowPos(#4, null, 0, 0, 0, 0, 55)\n"
              "ChangeDisplaySettingsA(156, 0, 0, 0, 0, 0, 0, 0)\nShowCursor(1) -> -1\n"
              "SetWindowLongA(#4, -16, 0x90c80000)\nSetWindowPos(#4, null, 0, 0, 0, 0, 55)\n");
}

TEST_F(WinMainTest, AWindowThatCannotBeMadeEndsWithMinusOneReleasingNothing) {
    recording::given.windowsAvailable = false;
    EXPECT_EQ(run("/s"), -1);
    EXPECT_EQ(recording::logged({"GetDC", "wgl", "midi", "ReleaseDC", "DestroyWindow"}),
              "wglMakeCurrent(null, null)\n");
}

TEST_F(WinMainTest, TheFrameRateIsTakenOnlyWhileTheOverlayShowsAndSurvivesTheTickWrap) {
    // Frames without the overlay take no tick (see the windowed run), frames with it one each.
    recording::postAfterFrames(0, WM_KEYUP, VK_F1);
    recording::postAfterFrames(2, WM_QUIT, 0);
    EXPECT_EQ(run("-win"), 0);
    EXPECT_EQ(recording::logged({"GetTickCount", "SwapBuffers", "DispatchMessageA"}),
              "GetTickCount()\nDispatchMessageA(#4, 257, 112)\nGetTickCount()\nSwapBuffers(#5)\n"
              "GetTickCount()\nSwapBuffers(#5)\n");

    scene.frameCount = 50;
    scene.startTick = 0xFFFFFF00u;
    recording::given.tickCount = 0x64;
    EXPECT_DOUBLE_EQ(nimbrost::averageFrameRate(), 50.0 / 0.356);
    recording::given.tickCount = 0xFFFFFF00u;
    EXPECT_TRUE(std::isinf(nimbrost::averageFrameRate()));
    EXPECT_GT(nimbrost::averageFrameRate(), 0);
}
