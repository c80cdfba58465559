#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

namespace {

struct Vec4 {
    float x, y, z, w;
};

Vec4 lightPosition(GLenum light) {
    Vec4 p;
    glGetLightfv(light, GL_POSITION, &p.x);
    return p;
}

void expectNear(Vec4 actual, Vec4 expected, const char *what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4) << what;
    EXPECT_NEAR(actual.w, expected.w, 1e-6) << what;
}

// Aspect ratio held in a gluPerspective matrix (column-major): m[5] / m[0].
double aspectOf(const std::vector<double> &m) {
    return m[5] / m[0];
}

} // namespace

class ResetTest : public GlTest {};

TEST_F(ResetTest, OpenGlStateInAWindowOf800By600) {
    startScene();

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 800);

    const std::vector<double> p = matrix(GL_PROJECTION_MATRIX);
    const double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
    EXPECT_NEAR(p[0], f, 1e-6);
    EXPECT_NEAR(p[5], f, 1e-6);
    EXPECT_NEAR(p[10], -501.0 / 499.0, 1e-6);
    EXPECT_NEAR(p[11], -1.0, 1e-9);
    EXPECT_NEAR(p[14], -1000.0 / 499.0, 1e-6);

    // The lights were placed through the translation (-14.5, -27.5, -80).
    expectNear(lightPosition(GL_LIGHT0), {10.5f, -2.5f, -55.0f, 1.0f}, "light 0");
    expectNear(lightPosition(GL_LIGHT1), {10.5f, -2.5f, -77.9f, 1.0f}, "light 1");
    expectNear(lightPosition(GL_LIGHT2), {10.5f, 22.5f, -77.9f, 1.0f}, "light 2");
    Vec4 c;
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, &c.x);
    expectNear(c, {0.5f, 0.5f, 0.5f, 1.0f}, "ambient 0");
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, &c.x);
    expectNear(c, {1.0f, 0.0f, -1.0f, 0.0f}, "diffuse 0");
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, &c.x);
    expectNear(c, {-1.0f, 1.0f, 0.0f, 0.0f}, "diffuse 1");
    glGetLightfv(GL_LIGHT2, GL_DIFFUSE, &c.x);
    expectNear(c, {-1.0f, 0.0f, 1.0f, 0.0f}, "diffuse 2");
    GLfloat twoSide = 0;
    glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(twoSide, 1.0f);

    for (GLenum on : {GL_NORMALIZE, GL_TEXTURE_2D, GL_DITHER, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2,
                      GL_LIGHTING, GL_BLEND}) {
        EXPECT_TRUE(glIsEnabled(on)) << std::hex << on;
    }
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2], 0.0f);
    EXPECT_EQ(clear[3], 1.0f);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(ResetTest, TogglesAndSizesShapeTheState) {
    scene.settings.transparency = 0;
    scene.settings.lighting = 0;
    startScene();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

    struct Case {
        int width, height, viewport;
        double aspect;
    } cases[] = {{1280, 1024, 1280, 1.0}, {1920, 1080, 1920, 1.0}, {2000, 1000, 2000, 2.0},
                 {3000, 1000, 3000, 3.0}, {600, 800, 600, 1.0},    {1, 1, 1, 1.0}};
    for (const Case &c : cases) {
        scene.width = c.width;
        scene.height = c.height;
        nimbrost::resetScene();
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], c.viewport) << c.width << "x" << c.height;
        EXPECT_EQ(viewport[3], c.viewport) << c.width << "x" << c.height;
        EXPECT_NEAR(aspectOf(matrix(GL_PROJECTION_MATRIX)), c.aspect, 1e-6)
            << c.width << "x" << c.height;
    }
}

TEST_F(ResetTest, LightsFollowTheCameraFromBeforeTheReset) {
    startScene();
    scene.camera = {10.0, 0.0, -10.0, 45.0, 90.0, 5.0};
    scene.frameCount = 99;
    scene.noteMessage = 0x1234;
    recording::tickCount = 0xFFFFFFF0u;
    nimbrost::resetScene();

    // Translation (10 - 12, 0 - 25, -10 - 50) applied to light 0 at (25, 25, 25).
    expectNear(lightPosition(GL_LIGHT0), {23.0f, 0.0f, -35.0f, 1.0f}, "light 0");
    EXPECT_EQ(scene.camera.posX, -2.5);
    EXPECT_EQ(scene.camera.posY, -2.5);
    EXPECT_EQ(scene.camera.posZ, -30.0);
    EXPECT_EQ(scene.camera.rotX + scene.camera.rotY + scene.camera.rotZ, 0.0);
    EXPECT_EQ(scene.frameCount, 0u);
    EXPECT_EQ(scene.noteMessage, 0u);
    EXPECT_EQ(scene.startTick, 0xFFFFFFF0u);
}

TEST_F(ResetTest, SquareFieldDrawsEightyRandomTurns) {
    nimbrost::srand(1);
    double turns[160];
    for (double &turn : turns) {
        turn = nimbrost::rand() * nimbrost::randomScale;
    }
    const std::uint32_t stateAfter80 = [] {
        nimbrost::srand(1);
        for (int i = 0; i < 80; ++i) {
            nimbrost::rand();
        }
        return scene.randomState;
    }();
    nimbrost::srand(1);
    startScene();

    EXPECT_EQ(scene.randomState, stateAfter80);
    for (int i = 0; i < 80; ++i) {
        const nimbrost::Square &s = scene.squareField[i];
        const int group = i / 20;
        const double base = group == 0 ? -20.0 : group == 3 ? 0.0 : -10.0;
        EXPECT_EQ(s.group, group) << i;
        EXPECT_EQ(s.x, base + i % 20) << i;
        EXPECT_EQ(s.y, s.x) << i;
        EXPECT_EQ(s.z, s.x) << i;
        EXPECT_EQ(s.r, 0.5);
        EXPECT_EQ(s.g, 0.5);
        EXPECT_EQ(s.b, 0.5);
        EXPECT_EQ(s.rotX, turns[i]) << i;
        EXPECT_EQ(s.rotY, turns[i]) << i;
        EXPECT_EQ(s.rotZ, turns[i]) << i;
    }

    // A second reset draws the next 80 values: the same places, other turns.
    nimbrost::resetScene();
    for (int i = 0; i < 80; ++i) {
        EXPECT_EQ(scene.squareField[i].rotX, turns[80 + i]) << i;
    }
}

TEST_F(ResetTest, EveryResetReopensTheMidiOutput) {
    startScene();
    nimbrost::resetScene();
    EXPECT_EQ(
        recording::callsStartingWith("midi"),
        (std::vector<std::string>{"midiOutOpen(4294967295, 0, 0, 0) -> #1", "midiOutClose(#1)",
                                  "midiOutOpen(4294967295, 0, 0, 0) -> #2"}));
    EXPECT_EQ(recording::openMidiOutputs(), 1);
    EXPECT_NE(scene.midiOut, nullptr);

    // Without a device the handle stays null and nothing null is ever closed.
    recording::clear();
    recording::midiAvailable = false;
    nimbrost::resetScene();
    nimbrost::resetScene();
    EXPECT_EQ(scene.midiOut, nullptr);
    EXPECT_EQ(
        recording::callsStartingWith("midi"),
        (std::vector<std::string>{"midiOutClose(#2)", "midiOutOpen(4294967295, 0, 0, 0) failed",
                                  "midiOutOpen(4294967295, 0, 0, 0) failed"}));
}
