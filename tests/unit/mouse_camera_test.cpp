#include <gtest/gtest.h>

#include <cstring>

#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

class MouseCameraTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        scene.camera = nimbrost::Camera();
    }

    LRESULT press(UINT message, LONG screenX, LONG screenY) {
        recording::cursorPosition = POINT{screenX, screenY};
        return nimbrost::windowProc(nullptr, message, MK_LBUTTON, MAKELPARAM(7, 7));
    }
    LRESULT move(WPARAM buttons, int clientX, int clientY) {
        return nimbrost::windowProc(
            nullptr, WM_MOUSEMOVE, buttons,
            MAKELPARAM(static_cast<WORD>(clientX), static_cast<WORD>(clientY)));
    }
    LRESULT wheel(short delta) {
        return nimbrost::windowProc(nullptr, WM_MOUSEWHEEL,
                                    MAKEWPARAM(MK_CONTROL, static_cast<WORD>(delta)),
                                    MAKELPARAM(400, 300));
    }
};

TEST_F(MouseCameraTest, LeftDragStartsFromTheScreenPositionThenFollowsTheClientArea) {
    // The window's client area starts at (1, 20) on the screen.
    EXPECT_EQ(press(WM_LBUTTONDOWN, 101, 120), 0);
    EXPECT_EQ(scene.anchorX, 101.0);
    EXPECT_EQ(scene.anchorY, 120.0);
    EXPECT_EQ(move(MK_LBUTTON, 100, 100), 0);
    double posX = -2.5 + (100.0 - 101.0) * 0.1;
    double posY = -2.5 - (100.0 - 120.0) * 0.1;
    EXPECT_EQ(scene.camera.posX, posX);
    EXPECT_EQ(scene.camera.posY, posY);
    move(MK_LBUTTON | MK_SHIFT | MK_MBUTTON, 130, 90);
    posX = posX + (130.0 - 100.0) * 0.1;
    posY = posY - (90.0 - 100.0) * 0.1;
    EXPECT_EQ(scene.camera.posX, posX);
    EXPECT_EQ(scene.camera.posY, posY);
    EXPECT_EQ(scene.camera.posZ, -30.0);
    EXPECT_EQ(scene.anchorX, 130.0);
    EXPECT_EQ(scene.anchorY, 90.0);
    // With both buttons the left one wins.
    move(MK_LBUTTON | MK_RBUTTON, 131, 90);
    EXPECT_EQ(scene.camera.posX, posX + (131.0 - 130.0) * 0.1);
    EXPECT_EQ(scene.camera.rotX, 0.0);
    EXPECT_EQ(scene.camera.rotY, 0.0);
}

TEST_F(MouseCameraTest, RightDragMeasuresYAgainstTheXAnchorAndXAgainstTheYAnchor) {
    EXPECT_EQ(press(WM_RBUTTONDOWN, 300, 50), 0);
    move(MK_RBUTTON, 40, 200);
    // rotX: 0 + (200 - 300) * 0.5 = -50, wrapped to 310; rotY: 0 - (40 - 50) * 0.5 = 5.
    EXPECT_EQ(scene.camera.rotX, 310.0);
    EXPECT_EQ(scene.camera.rotY, 5.0);
    EXPECT_EQ(scene.anchorX, 200.0);
    EXPECT_EQ(scene.anchorY, 40.0);
    // From then on: down turns rotX up, right turns rotY down, half a degree a pixel.
    move(MK_RBUTTON, 42, 203);
    EXPECT_EQ(scene.camera.rotX, 311.5);
    EXPECT_EQ(scene.camera.rotY, 4.0);
    EXPECT_EQ(scene.camera.posX, -2.5);
    // A later left drag without a new press continues from the anchors the right drag left.
    move(MK_LBUTTON, 205, 42);
    EXPECT_EQ(scene.camera.posX, -2.5 + (205.0 - 203.0) * 0.1);
    EXPECT_EQ(scene.camera.posY, -2.5 - (42.0 - 42.0) * 0.1);
}

TEST_F(MouseCameraTest, ControlDragsMeasureAgainstTheZAnchorWhichNoPressSets) {
    press(WM_LBUTTONDOWN, 500, 500);
    move(MK_LBUTTON | MK_CONTROL, 10, 30);
    EXPECT_EQ(scene.camera.posZ, -30.0 - 30.0 * 0.1);
    EXPECT_EQ(scene.camera.posX, -2.5);
    EXPECT_EQ(scene.anchorZ, 30.0);
    EXPECT_EQ(scene.anchorX, 500.0);
    press(WM_RBUTTONDOWN, 600, 600);
    EXPECT_EQ(scene.anchorZ, 30.0);
    move(MK_RBUTTON | MK_CONTROL, 10, 50);
    EXPECT_EQ(scene.camera.rotZ, 350.0); // 0 - (50 - 30) * 0.5, wrapped
    EXPECT_EQ(scene.camera.rotX, 0.0);
    EXPECT_EQ(scene.anchorZ, 50.0);
    EXPECT_EQ(scene.anchorX, 600.0);
}

TEST_F(MouseCameraTest, ACoordinateOfZeroIsNotGivenAndNegativeOnesAreSigned) {
    press(WM_LBUTTONDOWN, 10, 10);
    move(MK_LBUTTON, 0, 40);
    EXPECT_EQ(scene.camera.posX, -2.5);
    EXPECT_EQ(scene.anchorX, 10.0);
    EXPECT_EQ(scene.camera.posY, -2.5 - 30.0 * 0.1);
    move(MK_LBUTTON, -5, 0);
    EXPECT_EQ(scene.camera.posX, -2.5 + (-5.0 - 10.0) * 0.1);
    EXPECT_EQ(scene.anchorX, -5.0);
    EXPECT_EQ(scene.anchorY, 40.0);
    nimbrost::moveCamera(0, 0, 0);
    nimbrost::turnCamera(0, 0, 0);
    EXPECT_EQ(scene.anchorZ, 0.0);
    EXPECT_EQ(scene.camera.rotX, 0.0);
}

TEST_F(MouseCameraTest, TurnsWrapOnceIntoAFullCircle) {
    scene.camera.rotX = 359.5;
    scene.anchorX = 100;
    nimbrost::turnCamera(102, 0, 0);
    EXPECT_EQ(scene.camera.rotX, 0.5);
    scene.camera.rotY = 0.25;
    scene.anchorY = 100;
    nimbrost::turnCamera(0, 101, 0);
    EXPECT_EQ(scene.camera.rotY, 359.75);
    // A step beyond a full turn is corrected once only.
    scene.camera.rotZ = 0.0;
    scene.anchorZ = 0.0;
    nimbrost::turnCamera(0, 0, -2000);
    EXPECT_EQ(scene.camera.rotZ, 1000.0 - 360.0);
    nimbrost::turnCamera(1000, 0, 0);
    EXPECT_EQ(scene.camera.rotX, 0.5 + (1000.0 - 102.0) * 0.5 - 360.0);
    nimbrost::turnCamera(0, 0, -1280);
    EXPECT_EQ(scene.camera.rotZ, 640.0 - 360.0);
}

TEST_F(MouseCameraTest, MovesWithoutAButtonAndPressesLeaveTheCameraAlone) {
    scene.anchorX = 1;
    scene.anchorY = 2;
    const nimbrost::Camera home;
    for (WPARAM buttons : {WPARAM(0), WPARAM(MK_CONTROL), WPARAM(MK_SHIFT | MK_MBUTTON)}) {
        EXPECT_EQ(move(buttons, 300, 300), 0);
    }
    press(WM_LBUTTONDOWN, 5, 6);
    EXPECT_EQ(std::memcmp(&scene.camera, &home, sizeof home), 0);
    EXPECT_EQ(scene.anchorX, 5.0);
    EXPECT_EQ(scene.anchorY, 6.0);
    EXPECT_EQ(recording::calls, (std::vector<std::string>{"GetCursorPos -> (5, 6)"}));
}

TEST_F(MouseCameraTest, EachWheelNotchMovesTwelveUnitsAlongZ) {
    scene.anchorZ = 3;
    EXPECT_EQ(wheel(120), 0);
    EXPECT_EQ(scene.camera.posZ, -18.0);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(scene.camera.posZ, -42.0);
    wheel(-32768);
    EXPECT_EQ(scene.camera.posZ, -42.0 + -32768 * 0.1);
    EXPECT_EQ(scene.anchorZ, 3.0);
    EXPECT_EQ(scene.camera.posX, -2.5);
}
