#include <gtest/gtest.h>

#include "tests/support/gl_test.h"

using nimbrost::scene;

class PreambleTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        startScene();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    std::vector<double> colour() {
        std::vector<double> c(4);
        glGetDoublev(GL_CURRENT_COLOR, c.data());
        return c;
    }
};

TEST_F(PreambleTest, PlacesTheCameraThenTurnsAboutZYX) {
    nimbrost::applyEffectPreamble(0, -10, -25);
    std::vector<double> m = matrix(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(m[12], -2.5);
    EXPECT_EQ(m[13], -12.5);
    EXPECT_EQ(m[14], -55.0);

    // A vertex is turned about Z first, then X: (1, 0, 0) goes to (0, 1, 0), then to (0, 0, 1).
    glLoadIdentity();
    scene.camera.rotX = 90;
    scene.camera.rotZ = 90;
    nimbrost::applyEffectPreamble(1, 2, 3);
    m = matrix(GL_MODELVIEW_MATRIX);
    EXPECT_NEAR(m[0], 0.0, 1e-6);
    EXPECT_NEAR(m[1], 0.0, 1e-6);
    EXPECT_NEAR(m[2], 1.0, 1e-6);
    EXPECT_EQ(m[12], -1.5);
    EXPECT_EQ(m[13], -0.5);
    EXPECT_EQ(m[14], -27.0);
    EXPECT_EQ(scene.camera.rotX, 90.0);
}

TEST_F(PreambleTest, AutomaticRotationStepsAfterTheMatrixAndNeverWraps) {
    scene.settings.rotateCamera = 1;
    nimbrost::applyEffectPreamble(0, 0, 0);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX)[0], 1.0); // this frame still used angle 0
    EXPECT_EQ(scene.camera.rotX, 0.1);
    double expected = 0.1;
    for (int frame = 1; frame < 3600; ++frame) {
        glLoadIdentity();
        nimbrost::applyEffectPreamble(0, 0, 0);
        expected += 0.1;
    }
    EXPECT_EQ(scene.camera.rotX, expected);
    EXPECT_EQ(scene.camera.rotY, expected);
    EXPECT_EQ(scene.camera.rotZ, expected);
    EXPECT_NEAR(expected, 360.0, 1e-9);
}

TEST_F(PreambleTest, VeilDarkensAndRestoresLightingAndBlending) {
    // With the colour buffer cleared there is no veil and no state change.
    glBlendFunc(GL_ONE, GL_ZERO);
    nimbrost::applyEffectPreamble(0, -10, -25);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ONE);

    scene.settings.clearColorBuffer = 0;
    struct Case {
        int lighting, transparency;
    } cases[] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
    for (const Case &c : cases) {
        scene.settings.lighting = c.lighting;
        scene.settings.transparency = c.transparency;
        nimbrost::resetScene();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        nimbrost::applyEffectPreamble(0, -10, -25);

        EXPECT_EQ(glIsEnabled(GL_LIGHTING), c.lighting ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_BLEND), c.transparency ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), c.transparency ? GL_FALSE : GL_TRUE);
        if (c.transparency) {
            EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
            EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
        }
        // White faded 20 % towards black, everywhere in the picture.
        const std::vector<std::uint8_t> frame = readFrame();
        for (std::size_t at : {std::size_t{0}, frame.size() / 2, frame.size() - 4}) {
            EXPECT_NEAR(frame[at], 204, 2) << c.lighting << c.transparency;
        }
    }
    glClearColor(0, 0, 0, 1);
}

TEST_F(PreambleTest, UnitSquareOutlineAndAlpha) {
    EXPECT_EQ(nimbrost::squareAlpha(), 1.0);
    scene.settings.clearColorBuffer = 0;
    EXPECT_EQ(nimbrost::squareAlpha(), 0.2);

    glColor4d(0.25, 0.5, 0.75, 0.5);
    nimbrost::drawUnitSquare(1.0);
    EXPECT_EQ(colour(), (std::vector<double>{0.25, 0.5, 0.75, 0.5}));

    scene.settings.squareBorders = 1;
    nimbrost::drawUnitSquare(0.2);
    const std::vector<double> white = colour();
    EXPECT_EQ(white[0] + white[1] + white[2], 3.0);
    EXPECT_NEAR(white[3], 0.2, 1e-6);
}
