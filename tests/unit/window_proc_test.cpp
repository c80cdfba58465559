#include <gtest/gtest.h>

#include <cstring>

#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

class WindowProcTest : public GlTest {
  protected:
    HWND window = nullptr;

    void SetUp() override {
        GlTest::SetUp();
        scene.settings.windowed = 1;
        startScene();
        WNDCLASSA windowClass;
        std::memset(&windowClass, 0, sizeof windowClass);
        windowClass.lpfnWndProc = nimbrost::windowProc;
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "Nimbrost", "Nimbrost",
                                 WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 800, 600,
                                 nullptr, nullptr, nullptr, nullptr);
        scene.mainWindow = window;
        recording::calls.clear();
    }

    LRESULT keyUp(WPARAM code) { return nimbrost::windowProc(window, WM_KEYUP, code, 0xC0000001); }

    static bool sameSettings(const nimbrost::Settings &a, const nimbrost::Settings &b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
};

TEST_F(WindowProcTest, TogglesFlipOnEitherCodeAndTouchNothingElse) {
    struct Toggle {
        WPARAM codes[2];
        std::int32_t nimbrost::Settings::*flag;
    };
    const Toggle toggles[] = {
        {{VK_F1, VK_F1}, &nimbrost::Settings::showInfo},
        {{'B', VK_NUMPAD2}, &nimbrost::Settings::squareBorders},
        {{'P', 'P'}, &nimbrost::Settings::squarePersonality},
        {{'M', VK_SUBTRACT}, &nimbrost::Settings::rotateCamera},
        {{'C', VK_NUMPAD3}, &nimbrost::Settings::clearColorBuffer},
    };
    for (const Toggle &toggle : toggles) {
        for (WPARAM code : toggle.codes) {
            SCOPED_TRACE(code);
            const std::int32_t before = scene.settings.*toggle.flag;
            nimbrost::Settings expected = scene.settings;
            expected.*toggle.flag = before == 0 ? 1 : 0;
            EXPECT_EQ(keyUp(code), 0);
            EXPECT_TRUE(sameSettings(scene.settings, expected));
        }
    }
    // Any non-zero value counts as on and flips to 0.
    scene.settings.squareBorders = 7;
    keyUp('B');
    EXPECT_EQ(scene.settings.squareBorders, 0);
    EXPECT_EQ(scene.frameCount, 0u);
    EXPECT_TRUE(recording::calls.empty());
}

TEST_F(WindowProcTest, EscapeAndCloseQuitWithCodeZeroWhileDestroyDoesNot) {
    EXPECT_EQ(keyUp(VK_ESCAPE), 0);
    EXPECT_EQ(nimbrost::windowProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(nimbrost::windowProc(window, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(nimbrost::windowProc(window, WM_CREATE, 0, 0), 0);
    EXPECT_EQ(recording::calls,
              (std::vector<std::string>{"PostQuitMessage(0)", "PostQuitMessage(0)"}));
}

TEST_F(WindowProcTest, FullScreenKeySwitchesTheDisplayModeOnlyAfterFlippingWindowed) {
    scene.frameCount = 5;
    keyUp('F');
    EXPECT_EQ(scene.settings.windowed, 0);
    EXPECT_EQ(recording::calls,
              (std::vector<std::string>{
                  "GetWindowLongA(#2, -16) -> 0x90c80000",
                  "EnumDisplaySettingsA(null, current)",
                  "ChangeDisplaySettingsA(size 156, extra 0, fields 0x5c0000, 800x600, 32 bits, "
                  "60 Hz, 0x4)",
                  "ShowCursor(0) -> -1",
                  "SetWindowLongA(#2, -16, 0x90080000)",
              }));
    recording::calls.clear();
    keyUp(VK_NUMPAD6);
    EXPECT_EQ(scene.settings.windowed, 1);
    EXPECT_EQ(recording::calls, (std::vector<std::string>{
                                    "GetWindowLongA(#2, -16) -> 0x90080000",
                                    "ChangeDisplaySettingsA(cleared record, 0x0)",
                                    "ShowCursor(1) -> 0",
                                    "SetWindowLongA(#2, -16, 0x90c80000)",
                                }));
    // Neither the size, the viewport nor the scene changes.
    EXPECT_EQ(scene.width, 800);
    EXPECT_EQ(scene.height, 600);
    EXPECT_EQ(scene.frameCount, 5u);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 800);
}

TEST_F(WindowProcTest, LightingAndTransparencyReachTheRendererAtOnce) {
    for (WPARAM code : {WPARAM('L'), WPARAM(VK_SEPARATOR)}) {
        keyUp(code);
        EXPECT_EQ(scene.settings.lighting, 0);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        keyUp(code);
        EXPECT_EQ(scene.settings.lighting, 1);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    }
    for (WPARAM code : {WPARAM('T'), WPARAM(VK_F5)}) {
        keyUp(code);
        EXPECT_EQ(scene.settings.transparency, 0);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        glBlendFunc(GL_ONE, GL_ZERO);
        keyUp(code);
        EXPECT_EQ(scene.settings.transparency, 1);
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
        EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    }
}

TEST_F(WindowProcTest, ResetCameraKeyZeroesTheTurnsOnly) {
    for (WPARAM code : {WPARAM('R'), WPARAM(VK_F3)}) {
        scene.camera = nimbrost::Camera{4.0, 5.0, -6.0, 10.0, 20.0, 30.0};
        scene.frameCount = 9;
        keyUp(code);
        EXPECT_EQ(scene.camera.posX, 4.0);
        EXPECT_EQ(scene.camera.posY, 5.0);
        EXPECT_EQ(scene.camera.posZ, -6.0);
        EXPECT_EQ(scene.camera.rotX, 0.0);
        EXPECT_EQ(scene.camera.rotY, 0.0);
        EXPECT_EQ(scene.camera.rotZ, 0.0);
        EXPECT_EQ(scene.frameCount, 9u);
    }
    EXPECT_TRUE(recording::calls.empty());
}

TEST_F(WindowProcTest, SoundKeyReopensTheMidiOutputWhicheverWayItTurns) {
    keyUp('S');
    EXPECT_EQ(scene.settings.sound, 1);
    keyUp(VK_F4);
    EXPECT_EQ(scene.settings.sound, 0);
    EXPECT_EQ(recording::calls, (std::vector<std::string>{
                                    "midiOutClose(#1)",
                                    "midiOutOpen(4294967295, 0, 0, 0) -> #3",
                                    "midiOutClose(#3)",
                                    "midiOutOpen(4294967295, 0, 0, 0) -> #4",
                                }));
    EXPECT_EQ(recording::openMidiOutputs(), 1);

    // Without a device the output stays closed; the key still tries to open it.
    recording::midiAvailable = false;
    keyUp('S');
    keyUp('S');
    EXPECT_EQ(scene.midiOut, nullptr);
    EXPECT_EQ(recording::callsStartingWith("midiOutOpen").size(), 4u);
    EXPECT_EQ(recording::callsStartingWith("midiOutClose").size(), 3u);
}

TEST_F(WindowProcTest, MainKeyboardDigitsChooseAndResetWhileOtherCodesChooseNothing) {
    for (int row = 0; row < 8; ++row) {
        SCOPED_TRACE(row);
        scene.frameCount = 3;
        scene.camera.posX = 9.0;
        scene.currentEffect = nullptr;
        recording::calls.clear();
        EXPECT_EQ(keyUp('1' + row), 0);
        EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[row].draw);
        EXPECT_EQ(scene.frameCount, 0u);
        EXPECT_EQ(scene.camera.posX, -2.5);
        EXPECT_EQ(recording::callsStartingWith("midiOutOpen").size(), 1u);
    }
    // The low byte decides: 0x134 is '4' with a high byte.
    keyUp(0x134);
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[3].draw);

    scene.frameCount = 3;
    recording::calls.clear();
    const nimbrost::Settings settings = scene.settings;
    for (WPARAM code = VK_NUMPAD0; code <= VK_NUMPAD9; ++code) {
        if (code != VK_NUMPAD2 && code != VK_NUMPAD3 && code != VK_NUMPAD6) {
            EXPECT_EQ(keyUp(code), 0);
        }
    }
    for (WPARAM code : {WPARAM('0'), WPARAM('9'), WPARAM('Z'), WPARAM(0), WPARAM(0xFF00)}) {
        EXPECT_EQ(keyUp(code), 0);
    }
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[3].draw);
    EXPECT_EQ(scene.frameCount, 3u);
    EXPECT_TRUE(sameSettings(scene.settings, settings));
    EXPECT_TRUE(recording::calls.empty());
}

TEST_F(WindowProcTest, OtherMessagesGoToTheDefaultProcedureWithTheirResult) {
    const UINT others[] = {WM_KEYDOWN,     WM_SYSKEYDOWN, WM_SYSKEYUP, WM_LBUTTONUP, WM_RBUTTONUP,
                           WM_MBUTTONDOWN, 0x000F,        0x0102,      0x7FFF};
    for (UINT message : others) {
        EXPECT_EQ(nimbrost::windowProc(window, message, 'F', 0x1234),
                  recording::defaultProcedureResult);
    }
    EXPECT_EQ(recording::calls.size(), sizeof others / sizeof others[0]);
    EXPECT_EQ(recording::calls[0], "DefWindowProcA(#2, 0x0100, 0x46, 0x1234)");
    EXPECT_EQ(recording::calls[2], "DefWindowProcA(#2, 0x0105, 0x46, 0x1234)");
    EXPECT_EQ(scene.settings.windowed, 1);
}
