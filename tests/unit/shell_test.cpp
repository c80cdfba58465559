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
    // clang-format off
    const std::tuple<WPARAM, WPARAM, std::int32_t Settings::*> toggles[] = {
        {VK_F1, VK_F1, &Settings::showInfo}, {'F', VK_NUMPAD6, &Settings::windowed},
        {'B', VK_NUMPAD2, &Settings::squareBorders}, {'P', 'P', &Settings::squarePersonality},
        {'M', VK_SUBTRACT, &Settings::rotateCamera}, {'L', VK_SEPARATOR, &Settings::lighting},
        {'C', VK_NUMPAD3, &Settings::clearColorBuffer}, {'S', VK_F4, &Settings::sound},
        {'T', VK_F5, &Settings::transparency}};
    // clang-format on
    scene.settings.squareBorders = 7; // any non-zero value is on
    recording::given.midiAvailable = false;
    for (const auto &[first, second, flag] : toggles) {
        for (WPARAM code : {first, second}) {
            SCOPED_TRACE(code);
            Settings expected = scene.settings;
            expected.*flag = expected.*flag == 0 ? 1 : 0;
            EXPECT_EQ(keyUp(code), 0);
            EXPECT_EQ(fields(scene.settings), fields(expected));
            // L and T reach the renderer at once.
            const Settings &now = scene.settings;
            EXPECT_EQ(enabled({GL_LIGHTING, GL_BLEND, GL_DEPTH_TEST}),
                      (std::vector<int>{now.lighting, now.transparency, 1 - now.transparency}));
        }
    }
    // S reopens the output either way; with no device, the null handle is never closed.
    EXPECT_EQ(recording::log, "midiOutClose(0x1)\nmidiOutOpen(0xffffffff, 0, 0, 0) -> 0\n"
                              "midiOutOpen(0xffffffff, 0, 0, 0) -> 0\n");
}

// A digit chooses its effect with a reset; R and its second code turn the camera back; keys act
// when they are released.
TEST_F(WindowProcTest, DigitsChooseAndResetRTurnsBack) {
    for (WPARAM code : {WPARAM('R'), WPARAM(VK_F3)}) {
        scene.camera = nimbrost::Camera{4, 5, -6, 10, 20, 30};
        keyUp(code);
        EXPECT_EQ(fields(scene.camera), fields(nimbrost::Camera{4, 5, -6, 0, 0, 0})) << code;
    }
    scene.frameCount = 3;
    EXPECT_EQ(keyUp(0x134), 0); // the low byte decides
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[3].draw);
    EXPECT_EQ(std::make_pair(scene.frameCount, fields(scene.camera)),
              std::make_pair(0u, fields(nimbrost::Camera())));
    EXPECT_EQ(recording::log, "midiOutClose(0x1)\nmidiOutOpen(0xffffffff, 0, 0, 0) -> 0x2\n");
}

TEST_F(WindowProcTest, MouseDragsAndTheWheelMoveAndTurnTheCamera) {
    // Presses anchor at the pointer's screen position (x, y), moves bring client coordinates; a
    // coordinate of 0 leaves its axis, and a turn is wrapped once; a notch of the wheel moves the
    // camera 12 units along z, whatever the buttons. Then the camera's place and turns, and the
    // anchors x, y, z.
    const UINT move = WM_MOUSEMOVE;
    const WPARAM left = MK_LBUTTON, right = MK_RBUTTON, ctrl = MK_CONTROL;
    const WPARAM notch = MAKEWPARAM(ctrl, -120); // down, with Ctrl held
    const std::tuple<UINT, WPARAM, int, int, std::vector<double>> steps[] = {
        {WM_LBUTTONDOWN, 0, 101, 120, {-2.5, -2.5, -30, 0, 0, 0, 101, 120, 0}},
        {move, left | right, 100, 100, {-2.6, -0.5, -30, 0, 0, 0, 100, 100, 0}},
        {WM_RBUTTONDOWN, 0, 300, 50, {-2.6, -0.5, -30, 0, 0, 0, 300, 50, 0}},
        {move, right, 40, 200, {-2.6, -0.5, -30, 310, 5, 0, 200, 40, 0}},
        {move, left | ctrl, 10, 30, {-2.6, -0.5, -33, 310, 5, 0, 200, 40, 30}},
        {move, right | ctrl, 10, 50, {-2.6, -0.5, -33, 310, 5, 350, 200, 40, 50}},
        {move, left, -5, 0, {-23.1, -0.5, -33, 310, 5, 350, -5, 40, 50}},
        {move, right, 0, 2000, {-23.1, -0.5, -33, 952.5, 5, 350, 2000, 40, 50}},
        {WM_MOUSEWHEEL, notch, 0, 0, {-23.1, -0.5, -45, 952.5, 5, 350, 2000, 40, 50}}};
    for (const auto &[message, buttons, x, y, expected] : steps) {
        recording::given.cursorPosition = POINT{x, y};
        const LPARAM lParam =
            message != move ? 0x70007 : MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
        EXPECT_EQ(nimbrost::windowProc(window, message, buttons, lParam), 0);
        const nimbrost::Camera &c = scene.camera;
        EXPECT_EQ(rounded({c.posX, c.posY, c.posZ, c.rotX, c.rotY, c.rotZ, scene.anchorX,
                           scene.anchorY, scene.anchorZ}),
                  expected)
            << "step to " << x << ", " << y;
    }
}

// WinMain over the double runs one frame: in a window with "-win", the cursor shown at the end;
// full screen with "/s" or no tail, the cursor hidden as the window is made and going full screen,
// shown once at the end. Any other tail ends the run at once, with nothing made.
TEST_F(GlTest, WinMainRunsInAWindowOrFullScreenWithTheCursorHidden) {
    static char moduleImage;
    const std::tuple<const char *, int, int> runs[] = {
        {"-win", 1, 1}, {"/s", 0, -1}, {"", 0, -1}, {"/p 1234", 0, 0}, {"/c", 0, 0}};
    for (const auto &[tail, windowed, cursorCount] : runs) {
        scene = nimbrost::SceneState();
        recording::clear();
        recording::useTestContext(false); // as in a process that starts
        EXPECT_EQ(WinMain(reinterpret_cast<HINSTANCE>(&moduleImage), nullptr,
                          const_cast<char *>(tail), SW_SHOWDEFAULT),
                  0);
        recording::useTestContext(true);
        EXPECT_EQ(std::make_pair(scene.settings.windowed, recording::cursorCount),
                  std::make_pair(windowed, cursorCount))
            << tail;
    }
}
