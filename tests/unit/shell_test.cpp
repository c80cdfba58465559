#include <cmath>

#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;
using recording::made;

// Expects calls that start with these texts, each made after the one before.
#define EXPECT_ORDER(...) EXPECT_EQ(recording::outOfOrder({__VA_ARGS__}), "")

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
            EXPECT_EQ(fields(scene.settings), fields(expected));
            // L and T reach the renderer at once.
            const Settings &now = scene.settings;
            EXPECT_EQ(enabled({GL_LIGHTING, GL_BLEND, GL_DEPTH_TEST}),
                      (std::vector<int>{now.lighting, now.transparency, 1 - now.transparency}));
        }
    }
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA); // T turned blending back on
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    // S reopens the output either way.
    EXPECT_EQ(recording::logged({"midiOut"}),
              "midiOutClose(midi1)\nmidiOutOpen(MIDI_MAPPER, 0, 0, 0) -> midi2\n"
              "midiOutClose(midi2)\nmidiOutOpen(MIDI_MAPPER, 0, 0, 0) -> midi3\n");
}

TEST_F(WindowProcTest, DigitsChooseAndResetRTurnsBackEscQuitsOtherMessagesGoToTheDefault) {
    for (int row = 0; row < 8; ++row) {
        scene.frameCount = 3;
        scene.camera.posX = 9.0;
        EXPECT_EQ(keyUp('1' + row), 0);
        EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[row].draw) << row;
        EXPECT_EQ(scene.frameCount, 0u) << row;
        EXPECT_EQ(scene.camera.posX, -2.5) << row;
    }
    for (WPARAM code : {WPARAM('R'), WPARAM(VK_F3)}) {
        scene.camera = nimbrost::Camera{4, 5, -6, 10, 20, 30};
        keyUp(code);
        EXPECT_EQ(fields(scene.camera), fields(nimbrost::Camera{4, 5, -6, 0, 0, 0})) << code;
    }
    scene.frameCount = 3;
    recording::calls.clear();
    const nimbrost::Settings settings = scene.settings;
    for (int code : {VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD7, VK_NUMPAD8,
                     VK_NUMPAD9, int('0'), int('9'), int('Z'), 0, 0xFF00, VK_ESCAPE}) {
        EXPECT_EQ(keyUp(code), 0);
    }
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[7].draw);
    EXPECT_EQ(scene.frameCount, 3u);
    EXPECT_EQ(fields(scene.settings), fields(settings));

    const LRESULT byDefault = recording::defaultProcedureResult;
    const std::pair<UINT, LRESULT> messages[] = {
        {WM_CREATE, 0},           {WM_DESTROY, 0},           {WM_KEYDOWN, byDefault},
        {WM_SYSKEYUP, byDefault}, {WM_LBUTTONUP, byDefault}, {0x7FFF, byDefault}};
    for (const auto &[message, result] : messages) {
        EXPECT_EQ(nimbrost::windowProc(window, message, 'F', 0x1234), result) << message;
    }
    EXPECT_EQ(recording::logged(), "PostQuitMessage(0)\nDefWindowProcA(#2, WM_KEYDOWN, 'F', 4660)\n"
                                   "DefWindowProcA(#2, WM_SYSKEYUP, 'F', 4660)\n"
                                   "DefWindowProcA(#2, WM_LBUTTONUP, 70, 4660)\n"
                                   "DefWindowProcA(#2, 32767, 70, 4660)\n");
    keyUp(0x134); // the low byte decides
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[3].draw);
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
    // Runs the program with this command-line tail. It starts, as a process does, with no
    // OpenGL context current; the test's context is current again afterwards.
    int run(std::string tail) {
        recording::useTestContext(false);
        const int exitCode =
            WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, tail.data(), 10);
        recording::useTestContext(true);
        return exitCode;
    }
};

// Calls that several orders below share.
const std::string current = "wglMakeCurrent(dc1, glrc1)", released = "wglMakeCurrent(null, null)",
                  fontLists = "wglUseFontBitmapsA(dc1, 32, 96)", closed = "midiOutClose(midi1)";

TEST_F(WinMainTest, WindowedRunStartsInOrderHandlesEveryPendingMessageAndShutsDownInReverse) {
    recording::postAfterFrames(1, WM_KEYUP, 'B');
    recording::postAfterFrames(1, WM_KEYUP, VK_F1);
    recording::postAfterFrames(2, WM_CLOSE, 0);
    EXPECT_EQ(run("-win"), 0);
    // The window, its pixel format, the context made current, the font lists, then the scene
    // reset (the tick, the MIDI output), then the first frame.
    EXPECT_ORDER("RegisterClassA(32, 0x400000, icon1, cursor1, brush1, \"Nimbrost\")",
                 "CreateWindowExA(0, \"Nimbrost\", \"Nimbrost\", 0x90c80000, 0, 0, 800, "
                 "600, null, null, 0x400000, null) -> window1",
                 "GetDC(window1) -> dc1", "ChoosePixelFormat(dc1, 40, 1, 37, 0, 32, 16, 0)",
                 "SetPixelFormat(dc1, 7)", "wglCreateContext(dc1) -> glrc1", current, fontLists,
                 "GetTickCount()", "SwapBuffers(dc1)");
    EXPECT_ORDER(fontLists, "midiOutOpen(MIDI_MAPPER, 0, 0, 0) -> midi1", "SwapBuffers");
    for (const char *classPart : {"LoadIconA(null, #32512) -> icon1",
                                  "LoadCursorA(null, #32512) -> cursor1", "GetStockObject(4)"}) {
        EXPECT_ORDER(classPart, "RegisterClassA");
    }
    // The font is selected for the lists, the object before it selected back, then deleted.
    EXPECT_ORDER("CreateFontA(16, 8, 0, 0, 300, 0, 0, 0, 0, 4, 0, 4, 0, \"Verdana\") -> font1",
                 "SelectObject(dc1, font1) -> font0", fontLists,
                 "SelectObject(dc1, font0) -> font1", "DeleteObject(font1)");
    // Every pending message, translated and dispatched, before the next frame; the frame with
    // the overlay takes the tick for its rate. The quit message ends the loop.
    EXPECT_ORDER(
        "SwapBuffers(dc1)", "PeekMessageA(null, 0, 0, 1) -> WM_KEYUP, 'B'",
        "TranslateMessage(window1, WM_KEYUP, 'B')", "DispatchMessageA(window1, WM_KEYUP, 'B')",
        "TranslateMessage(window1, WM_KEYUP, VK_F1)", "DispatchMessageA(window1, WM_KEYUP, VK_F1)",
        "GetTickCount()", "SwapBuffers(dc1)", "DispatchMessageA(window1, WM_CLOSE, 0)",
        "PostQuitMessage(0)", "PeekMessageA(null, 0, 0, 1) -> WM_QUIT, 0", closed);
    EXPECT_EQ(scene.frameCount, 2u);
    EXPECT_EQ(made("GetTickCount"), 2); // the reset's, and the frame's with the overlay
    EXPECT_EQ(made("DispatchMessageA"), 3);
    EXPECT_EQ(scene.settings.squareBorders + scene.settings.showInfo, 2);
    // Shutdown: the output closed; the cursor and the caption back; then the context released
    // and deleted, the device context released, the window destroyed.
    for (const char *restored :
         {"ShowCursor(1) -> 1", "SetWindowLongA(window1, -16, 0x90c80000)"}) {
        EXPECT_ORDER(closed, restored, released, "wglDeleteContext(glrc1)",
                     "ReleaseDC(window1, dc1)", "DestroyWindow(window1)");
    }
    EXPECT_ORDER("SetWindowLongA(window1, -16, 0x90c80000)",
                 "SetWindowPos(window1, null, 0, 0, 0, 0, 55)", released);
    // The reset and the frames drew with the program's context current; the font lists were
    // made with it current and deleted before it was released.
    EXPECT_EQ(enabled({GL_LIGHTING, GL_LIGHT2, GL_BLEND}), (std::vector<int>{1, 1, 1}));
    EXPECT_GT(litPixels(), 0);
    EXPECT_NE(recording::fontListBase, 0u);
    EXPECT_FALSE(glIsList(recording::fontListBase));
}

TEST_F(WinMainTest, FullScreenStartTakesTheScreenAndHidesTheCursorTwice) {
    recording::given.screenWidth = 1920;
    recording::given.screenHeight = 1080;
    recording::postAfterFrames(1, WM_QUIT, 0);
    EXPECT_EQ(run("/s"), 0);
    // The screen's size at the same depth and frequency, once the context is current and before
    // the font lists; the caption dropped and the frame redrawn.
    EXPECT_ORDER("CreateWindowExA(0, \"Nimbrost\", \"Nimbrost\", 0x90880000, 0, 0, 1920, "
                 "1080, null, null, 0x400000, null) -> window1",
                 current, "ChangeDisplaySettingsA(156, 0, 0x5c0000, 1920, 1080, 32, 60, 4)",
                 fontLists);
    EXPECT_ORDER(current, "SetWindowLongA(window1, -16, 0x90080000)",
                 "SetWindowPos(window1, null, 0, 0, 0, 0, 55)", fontLists);
    // Hidden as the window is made and again going full screen, the cursor stays hidden after
    // the one show at the end; the display mode is restored before the context goes.
    EXPECT_ORDER("CreateWindowExA", "ShowCursor(0) -> -1", "ShowCursor(0) -> -2", closed,
                 "ShowCursor(1) -> -1", released);
    EXPECT_ORDER(closed, "ChangeDisplaySettingsA(156, 0, 0, 0, 0, 0, 0, 0)",
                 "SetWindowLongA(window1, -16, 0x90c80000)", released);
}

TEST_F(WinMainTest, AWindowThatCannotBeMadeEndsWithMinusOneReleasingNothing) {
    recording::given.windowsAvailable = false;
    EXPECT_EQ(run("/s"), -1);
    // Leaving full screen still shows the cursor once and restores the mode; nothing else is
    // made or released.
    EXPECT_EQ(
        recording::logged({"ChangeDisplaySettingsA", "ShowCursor", "wgl", "GetDC", "CreateFontA",
                           "midiOut", "PeekMessageA", "ReleaseDC", "DestroyWindow"}),
        "ChangeDisplaySettingsA(156, 0, 0, 0, 0, 0, 0, 0)\nShowCursor(1) -> 1\n"
        "wglMakeCurrent(null, null)\n");
}

TEST(FrameRate, IsTheAverageSinceTheResetAcrossTheTickWrap) {
    recording::clear();
    scene = nimbrost::SceneState();
    scene.frameCount = 50;
    scene.startTick = 0xFFFFFF00u;
    recording::given.tickCount = 0x64;
    EXPECT_DOUBLE_EQ(nimbrost::averageFrameRate(), 50.0 / 0.356);
    recording::given.tickCount = 0xFFFFFF00u;
    EXPECT_TRUE(std::isinf(nimbrost::averageFrameRate()));
    EXPECT_GT(nimbrost::averageFrameRate(), 0);
}
