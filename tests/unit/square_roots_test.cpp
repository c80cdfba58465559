#include <gtest/gtest.h>

#include <cstring>

#include "effects/effects.h"
#include "tests/support/gl_test.h"

using nimbrost::scene;

class SquareRootsTest : public GlTest {};

TEST_F(SquareRootsTest, FirstFrameTakesDraws81To86ThenClocksAdvancePerSquare) {
    nimbrost::srand(1);
    double draws[86];
    for (double &draw : draws) {
        draw = nimbrost::rand() * nimbrost::randomScale;
    }
    nimbrost::srand(1);
    startScene(); // the program's start: "Square roots" is the first row
    ASSERT_EQ(scene.currentEffect, nimbrost::drawSquareRoots);

    nimbrost::drawFrame();
    EXPECT_EQ(scene.rootsFirstRun, 0);
    double spinX = draws[80], spinY = draws[81], spinZ = draws[82];
    double radius = draws[83], elevation = draws[84], azimuth = draws[85];
    for (int square = 0; square < 80; ++square) {
        radius += 0.0005;
        elevation += 0.0005;
        azimuth += 0.0005;
        spinX += 0.00005;
        spinY += 0.00005;
        spinZ += 0.00005;
    }
    EXPECT_EQ(scene.rootsSpinClockX, spinX);
    EXPECT_EQ(scene.rootsSpinClockY, spinY);
    EXPECT_EQ(scene.rootsSpinClockZ, spinZ);
    EXPECT_EQ(scene.rootsRadiusClock, radius);
    EXPECT_EQ(scene.rootsElevationClock, elevation);
    EXPECT_EQ(scene.rootsAzimuthClock, azimuth);
    EXPECT_NE(scene.rootsRadiusClock, draws[83] + 0.04);

    // Later frames and later resets draw nothing more and carry the clocks on.
    nimbrost::resetScene();
    const std::uint32_t stateAfterReset = scene.randomState;
    nimbrost::drawFrame();
    EXPECT_EQ(scene.randomState, stateAfterReset);
    for (int square = 0; square < 80; ++square) {
        radius += 0.0005;
    }
    EXPECT_EQ(scene.rootsRadiusClock, radius);
}

TEST_F(SquareRootsTest, DrawsAVisibleChainAndLeavesTheFieldAndStackAlone) {
    startScene();
    nimbrost::Square before[80];
    std::memcpy(before, scene.squareField, sizeof before);

    nimbrost::drawFrame();
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(std::memcmp(before, scene.squareField, sizeof before), 0);
    const std::vector<std::uint8_t> first = readFrame();
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);

    // The chain moves: a few frames later the picture differs.
    for (int frame = 0; frame < 10; ++frame) {
        nimbrost::drawFrame();
    }
    EXPECT_NE(readFrame(), first);

    // With trails, squares are drawn at alpha 0.2 over the veil and depth stays balanced too.
    scene.settings.clearColorBuffer = 0;
    scene.settings.squareBorders = 1;
    nimbrost::drawFrame();
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_GT(litPixels(), 1000);
}
