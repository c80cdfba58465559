#include <gtest/gtest.h>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

// The upper bound h = 0.2 i + 1 of all three oscillators grows with the index.
PolarShape flowerShape(int i, double clock, const nimbrost::Square &) {
    const double h = 0.2 * i + 1.0;
    return {nimbrost::sineWave(clock, 2333, 2, 1.0, h), nimbrost::sineWave(clock, 38, 4882, 0.0, h),
            nimbrost::sineWave(clock, 34, 288, 0.0, h)};
}

} // namespace

class PolarFlowersTest : public EffectTest {};

TEST_F(PolarFlowersTest, FirstFramesFollowTheClocksSquareBySquare) {
    choose(nimbrost::drawPolarFlowers);
    ASSERT_EQ(scene.flowersClock, 0.0);
    double clock = 0.0, colorClock = 0.0;

    FieldCopy before;
    frame();
    const std::uint32_t notes =
        expectPolarFrame(flowerShape, before.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.flowersClock, clock); // 80 additions of 0.0005
    EXPECT_NE(scene.flowersClock, 0.04);  // which are not the literal
    EXPECT_EQ(scene.flowersColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, notes);
    // Square 0 has h = 1: radius exactly 1; every square lies within h of the origin.
    for (int i = 0; i < 80; ++i) {
        const nimbrost::Square &s = scene.squareField[i];
        EXPECT_LE(length({s.x, s.y, s.z}), (0.2 * i + 1.0) * (1 + 1e-12)) << i;
    }
    const nimbrost::Square &first = scene.squareField[0];
    EXPECT_NEAR(length({first.x, first.y, first.z}), 1.0, 1e-15);
    expectBalanced(80);
    expectPreambleMatrix(-2.5, -12.5, -55.0);
    EXPECT_EQ(glcalls::lineLoops.size(), 0u);

    FieldCopy second;
    frame();
    const std::uint32_t secondNotes =
        expectPolarFrame(flowerShape, second.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.flowersClock, clock);
    EXPECT_EQ(scene.flowersColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, static_cast<std::uint32_t>(notes + secondNotes));

    // Choosing the effect again resets the scene but leaves the clocks where they are.
    choose(nimbrost::drawPolarFlowers);
    EXPECT_EQ(scene.flowersClock, clock);
    EXPECT_EQ(scene.flowersColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, 0u);
}

TEST_F(PolarFlowersTest, PersonalityShiftsSquaresButNotTheNotes) {
    choose(nimbrost::drawPolarFlowers);
    scene.flowersClock = 1234.5678;
    scene.flowersColorClock = 3.25;
    scene.noteMessage = 0x00903C90u;
    const nimbrost::SceneState start = scene;
    FieldCopy before;

    frame();
    const std::uint32_t plainNotes = scene.noteMessage;
    double clock = start.flowersClock, colorClock = start.flowersColorClock;
    const std::uint32_t sum =
        expectPolarFrame(flowerShape, before.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(plainNotes, static_cast<std::uint32_t>(start.noteMessage + sum));

    scene = start;
    scene.settings.squarePersonality = 1;
    frame();
    EXPECT_EQ(scene.noteMessage, plainNotes);
    clock = start.flowersClock;
    colorClock = start.flowersColorClock;
    expectPolarFrame(flowerShape, before.squares, clock, colorClock, true, 1.0);
}

TEST_F(PolarFlowersTest, NoteMessageWrapsAt32Bits) {
    choose(nimbrost::drawPolarFlowers);
    scene.flowersClock = 500.0;
    expectNoteWrapsAt32Bits();
}

TEST_F(PolarFlowersTest, TrailsDrawFacesAtAlphaPointTwoAndOutlinesOpaque) {
    choose(nimbrost::drawPolarFlowers);
    scene.settings.clearColorBuffer = 0;
    scene.settings.squareBorders = 1;
    frame();
    ASSERT_EQ(glcalls::rects.size(), 80u);
    ASSERT_EQ(glcalls::lineLoops.size(), 80u);
    for (int i = 0; i < 80; ++i) {
        EXPECT_FLOAT_EQ(glcalls::rects[i].color[3], 0.2f) << i;
        EXPECT_EQ(glcalls::lineLoops[i].color, (std::array<double, 4>{1, 1, 1, 1})) << i;
    }
    expectBalanced(80);
}

TEST_F(PolarFlowersTest, DrawsAVisibleFlower) {
    choose(nimbrost::drawPolarFlowers);
    for (int i = 0; i < 60; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);
}
