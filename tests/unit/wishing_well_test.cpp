#include <gtest/gtest.h>

#include <cmath>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

// One square through the well's update with update index i.
void updateSquare(nimbrost::Square &q, int i, double &colorClock) {
    q.x = nimbrost::sineWave(q.x, 31, i, 0, 5);
    q.y = nimbrost::sineWave(q.y, 31, i, 0, 5);
    q.z = nimbrost::sineWave(q.z, 31, i, 0, 5);
    const std::array<double, 3> colour = cycleColor(colorClock);
    q.r = colour[0];
    q.g = colour[1];
    q.b = colour[2];
    colorClock = colorClockAfter(colorClock, i);
}

// The field after one frame: each square updated with index 0 right after it is drawn, then all
// 80 again with indices 0 to 79.
void followFrame(nimbrost::Square *field, double &colorClock) {
    for (int k = 0; k < 80; ++k) {
        updateSquare(field[k], 0, colorClock);
    }
    for (int i = 0; i < 80; ++i) {
        updateSquare(field[i], i, colorClock);
    }
}

void expectField(const nimbrost::Square *expected) {
    for (int i = 0; i < 80; ++i) {
        const nimbrost::Square &s = scene.squareField[i];
        EXPECT_EQ(s.x, expected[i].x) << i;
        EXPECT_EQ(s.y, expected[i].y) << i;
        EXPECT_EQ(s.z, expected[i].z) << i;
        EXPECT_EQ(s.r, expected[i].r) << i;
        EXPECT_EQ(s.g, expected[i].g) << i;
        EXPECT_EQ(s.b, expected[i].b) << i;
        EXPECT_EQ(s.rotX, expected[i].rotX) << i;
        EXPECT_EQ(s.rotY, expected[i].rotY) << i;
        EXPECT_EQ(s.rotZ, expected[i].rotZ) << i;
        EXPECT_EQ(s.group, expected[i].group) << i;
    }
}

} // namespace

class WishingWellTest : public EffectTest {
  protected:
    // The shaft rebuilt with the same GL calls from `wellClock` and the field that
    // the frame found: square k under k + 1 turns by theta, shifted by its index and the offset.
    void expectShaft(const nimbrost::Square *drawnField, double wellClock) {
        ASSERT_EQ(glcalls::rects.size(), 80u);
        const double offset =
            10 * std::cos(nimbrost::sineWave(wellClock, 2848, 222, -3.1415926536, 3.1415926536));
        const double theta = nimbrost::sineWave(wellClock, 7500, 300, 5, 30) +
                             nimbrost::pulseWave(wellClock, 17300, 410, 5, 30);
        std::vector<double> shaft;
        for (int k = 0; k < 80; ++k) {
            const nimbrost::Square &s = drawnField[k];
            glLoadIdentity();
            glTranslated(-2.5, -12.5, -55);
            for (int turn = 0; turn <= k; ++turn) {
                glRotated(theta, 0, 1, 1);
            }
            if (k == 79) {
                shaft = matrix(GL_MODELVIEW_MATRIX);
            }
            glTranslated(s.x - 0.2 * k + offset, s.y + k * 0.16666666666666666,
                         s.z + 0.125 * k + offset);
            glRotated(s.rotX, 1, 0, 0);
            glRotated(s.rotY, 0, 1, 0);
            glRotated(s.rotZ, 0, 0, 1);
            const std::vector<double> expected = matrix(GL_MODELVIEW_MATRIX);
            for (int e = 0; e < 16; ++e) {
                EXPECT_NEAR(glcalls::rects[k].modelview[e], expected[e], 1e-4) << k << " " << e;
            }
            EXPECT_FLOAT_EQ(glcalls::rects[k].color[0], s.r) << k;
            EXPECT_FLOAT_EQ(glcalls::rects[k].color[1], s.g) << k;
            EXPECT_FLOAT_EQ(glcalls::rects[k].color[2], s.b) << k;
            EXPECT_EQ(glcalls::rects[k].color[3], 1.0) << k;
        }
        glLoadIdentity();
        shaftAfterFrame = shaft;
    }

    std::vector<double> shaftAfterFrame; // the modelview that the frame should leave
};

TEST_F(WishingWellTest, FirstFramesDrawWhatTheLastLeftThenUpdateTwice) {
    choose(nimbrost::drawWishingWell);
    ASSERT_EQ(scene.wellClock, 0.0);
    FieldCopy expected;
    double colorClock = 0.0;

    // Frame 1 draws the reset field: grey squares at their reset places.
    frame();
    std::vector<double> left = matrix(GL_MODELVIEW_MATRIX);
    expectBalanced(80);
    EXPECT_EQ(glcalls::lineLoops.size(), 0u);
    expectShaft(expected.squares, 0.0);
    for (int e = 0; e < 16; ++e) {
        EXPECT_NEAR(left[e], shaftAfterFrame[e], 1e-4) << e;
    }
    EXPECT_EQ(glcalls::rects[0].color[0], 0.5);
    followFrame(expected.squares, colorClock);
    expectField(expected.squares);
    EXPECT_EQ(scene.wellClock, 5.0);
    EXPECT_EQ(scene.wellColorClock, colorClock); // 160 steps

    // Frame 2 draws what frame 1 left.
    FieldCopy drawn;
    frame();
    expectBalanced(80);
    expectShaft(drawn.squares, 5.0);
    followFrame(expected.squares, colorClock);
    expectField(expected.squares);
    EXPECT_EQ(scene.wellClock, 10.0);
    EXPECT_EQ(scene.wellColorClock, colorClock);
}

TEST_F(WishingWellTest, FromTheSecondFramePlacesAndColoursStayInRange) {
    choose(nimbrost::drawWishingWell);
    scene.wellClock = 12345.0;
    scene.wellColorClock = 7.0;
    for (int f = 0; f < 20; ++f) {
        const double colourBefore = scene.wellColorClock;
        frame();
        EXPECT_GE(scene.wellColorClock, colourBefore);
        EXPECT_LE(scene.wellColorClock - colourBefore, 160 * 0.0001);
        if (f == 0) {
            continue; // the first frame draws the reset field
        }
        for (int i = 0; i < 80; ++i) {
            const nimbrost::Square &s = scene.squareField[i];
            for (double v : {s.x, s.y, s.z}) {
                EXPECT_GE(v, 0.0) << i;
                EXPECT_LE(v, 5.0) << i;
            }
            for (double c : {s.r, s.g, s.b}) {
                EXPECT_GE(c, 0.1) << i;
                EXPECT_LE(c, 1.0) << i;
            }
            const glcalls::Draw &draw = glcalls::rects[i];
            for (int c = 0; c < 3; ++c) {
                EXPECT_GE(draw.color[c], 0.1 - 1e-7) << i;
                EXPECT_LE(draw.color[c], 1.0) << i;
            }
        }
    }
}

TEST_F(WishingWellTest, AnUpdateOfNoSquaresChangesNothing) {
    choose(nimbrost::drawWishingWell);
    scene.wellColorClock = 3.5;
    FieldCopy before;
    nimbrost::updateWellSquares(scene.squareField, 0);
    nimbrost::updateWellSquares(scene.squareField, -1);
    nimbrost::updateWellSquares(scene.squareField + 10, -80);
    EXPECT_EQ(scene.wellColorClock, 3.5);
    expectField(before.squares);

    // Three squares from the 6th, with update indices 0 to 2.
    double colorClock = 3.5;
    for (int i = 0; i < 3; ++i) {
        updateSquare(before.squares[5 + i], i, colorClock);
    }
    nimbrost::updateWellSquares(scene.squareField + 5, 3);
    expectField(before.squares);
    EXPECT_EQ(scene.wellColorClock, colorClock);
}

TEST_F(WishingWellTest, TrailsAndBordersAndNoSound) {
    choose(nimbrost::drawWishingWell);
    scene.settings.clearColorBuffer = 0;
    scene.settings.squareBorders = 1;
    scene.settings.squarePersonality = 1;
    scene.noteMessage = 0x1234u;
    frame();
    ASSERT_EQ(glcalls::rects.size(), 80u);
    ASSERT_EQ(glcalls::lineLoops.size(), 80u);
    for (int i = 0; i < 80; ++i) {
        EXPECT_FLOAT_EQ(glcalls::rects[i].color[3], 0.2f) << i;
        EXPECT_EQ(glcalls::lineLoops[i].color, (std::array<double, 4>{1, 1, 1, 1})) << i;
    }
    EXPECT_EQ(scene.noteMessage, 0x1234u);
    expectBalanced(80);
}

TEST_F(WishingWellTest, DrawsAVisibleShaft) {
    choose(nimbrost::drawWishingWell);
    for (int i = 0; i < 30; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);
}
