#include <cmath>

#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;
using nimbrost::Settings;

class WindowProcTest : public GlTest {
  protected:
    HWND window = reinterpret_cast<HWND>(2);

    void SetUp() override {
        GlTest::SetUp();
        scene.settings.windowed = 1;
        startScene();
        scene.mainWindow = window;
        recording::log.clear();
    }

    LRESULT keyUp(WPARAM code) { return nimbrost::windowProc(window, WM_KEYUP, code, 0xC0000001); }
};

TEST_F(WindowProcTest, EachToggleKeyAndItsSecondCodeFlipOneFlag) {
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
    EXPECT_EQ(recording::log, "midiOutClose(0x1)\nmidiOutOpen(0xffffffff, 0, 0, 0) -> 0x2\n"
                              "midiOutClose(0x2)\nmidiOutOpen(0xffffffff, 0, 0, 0) -> 0x3\n");
}

TEST_F(WindowProcTest, DigitsChooseAndResetRTurnsBackEscQuitsOtherMessagesGoToTheDefault) {
    for (int row = 0; row < 8; ++row) {
        scene.frameCount = 3;
        scene.camera.posX = 9.0;
        EXPECT_EQ(keyUp('1' + row), 0);
        EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[row].draw) << row;
        EXPECT_EQ(std::make_pair(scene.frameCount, scene.camera.posX), std::make_pair(0u, -2.5));
    }
    for (WPARAM code : {WPARAM('R'), WPARAM(VK_F3)}) {
        scene.camera = nimbrost::Camera{4, 5, -6, 10, 20, 30};
        keyUp(code);
        EXPECT_EQ(fields(scene.camera), fields(nimbrost::Camera{4, 5, -6, 0, 0, 0})) << code;
    }
    scene.frameCount = 3;
    recording::log.clear();
    const Settings settings = scene.settings;
    for (int code : {VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD7, VK_NUMPAD8,
                     VK_NUMPAD9, int('0'), int('9'), int('Z'), 0, 0xFF00, VK_ESCAPE}) {
        EXPECT_EQ(keyUp(code), 0);
    }
    EXPECT_EQ(scene.frameCount, 3u);
    EXPECT_EQ(fields(scene.settings), fields(settings));
    const LRESULT byDefault = recording::defaultProcedureResult;
    for (const auto &[message, result] : {std::pair{WM_CREATE, 0L},
                                          {WM_DESTROY, 0L},
                                          {WM_KEYDOWN, byDefault},
                                          {0x7FFF, byDefault}}) {
        EXPECT_EQ(nimbrost::windowProc(window, message, 'F', 0x1234), result) << message;
    }
    EXPECT_EQ(recording::log, "PostQuitMessage(0)\nDefWindowProcA(0x2, 256, 70, 4660)\n"
                              "DefWindowProcA(0x2, 32767, 70, 4660)\n");
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
