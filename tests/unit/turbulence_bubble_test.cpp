#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

// Radius 1 to 15 for all, angle bounds the square's own index.
PolarShape bubbleShape(int i, double clock, const nimbrost::Square &) {
    const double n = i;
    return {nimbrost::sineWave(clock, 2333, 2, 1.0, 15.0),
            nimbrost::sineWave(clock, 138, 4882, 0.0, n),
            nimbrost::sineWave(clock, 134, 288, 0.0, n)};
}

} // namespace

class TurbulenceBubbleTest : public EffectTest {};

TEST_F(TurbulenceBubbleTest, FirstFramesFollowTheClocksSquareBySquare) {
    choose(nimbrost::drawTurbulenceBubble);
    ASSERT_EQ(scene.bubbleClock, 0.0);
    double clock = 0.0, colorClock = 0.0;

    FieldCopy before;
    frame();
    const std::uint32_t notes =
        expectPolarFrame(bubbleShape, before.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.bubbleClock, clock); // 80 additions of 0.0005
    EXPECT_EQ(scene.bubbleColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, notes);
    expectBalanced(80);
    expectPreambleMatrix(-2.5, -12.5, -55.0);

    FieldCopy second;
    frame();
    const std::uint32_t secondNotes =
        expectPolarFrame(bubbleShape, second.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.bubbleClock, clock);
    EXPECT_EQ(scene.bubbleColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, static_cast<std::uint32_t>(notes + secondNotes));
}

TEST_F(TurbulenceBubbleTest, SquareZeroSitsOnTheXAxisAndTheRadiiAgree) {
    choose(nimbrost::drawTurbulenceBubble);
    scene.bubbleClock = 600.0; // radius near its top
    const double radius = nimbrost::sineWave(600.0, 2333, 2, 1.0, 15.0);
    frame();
    const nimbrost::Square &first = scene.squareField[0];
    EXPECT_EQ(first.x, radius);
    EXPECT_EQ(first.y, 0.0);
    EXPECT_EQ(first.z, 0.0);
    EXPECT_GT(radius, 14.0);
    double lowest = 1e9, highest = 0;
    for (const nimbrost::Square &s : scene.squareField) {
        const double r = length({s.x, s.y, s.z});
        EXPECT_GE(r, 1.0);
        EXPECT_LE(r, 15.0);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_LT(highest - lowest, 0.001);
}

TEST_F(TurbulenceBubbleTest, PersonalityShiftsSquaresButNotTheNotes) {
    choose(nimbrost::drawTurbulenceBubble);
    scene.bubbleClock = 77.125;
    scene.bubbleColorClock = 0.5;
    const nimbrost::SceneState start = scene;
    FieldCopy before;

    frame();
    const std::uint32_t plainNotes = scene.noteMessage;
    scene = start;
    scene.settings.squarePersonality = 1;
    frame();
    EXPECT_EQ(scene.noteMessage, plainNotes);
    double clock = start.bubbleClock, colorClock = start.bubbleColorClock;
    EXPECT_EQ(expectPolarFrame(bubbleShape, before.squares, clock, colorClock, true, 1.0),
              plainNotes);
}

TEST_F(TurbulenceBubbleTest, NoteMessageWrapsAt32Bits) {
    choose(nimbrost::drawTurbulenceBubble);
    scene.bubbleClock = 250.0;
    expectNoteWrapsAt32Bits();
}

// Unlike its neighbours: opaque faces, outlines at `squareAlpha`.
TEST_F(TurbulenceBubbleTest, TrailsKeepFacesOpaqueAndFadeTheOutlines) {
    choose(nimbrost::drawTurbulenceBubble);
    scene.settings.clearColorBuffer = 0;
    scene.settings.squareBorders = 1;
    frame();
    ASSERT_EQ(glcalls::rects.size(), 80u);
    ASSERT_EQ(glcalls::lineLoops.size(), 80u);
    for (int i = 0; i < 80; ++i) {
        EXPECT_EQ(glcalls::rects[i].color[3], 1.0) << i;
        EXPECT_FLOAT_EQ(glcalls::lineLoops[i].color[3], 0.2f) << i;
        EXPECT_EQ(glcalls::lineLoops[i].color[0], 1.0) << i;
    }
    expectBalanced(80);

    scene.settings.clearColorBuffer = 1;
    frame();
    ASSERT_EQ(glcalls::lineLoops.size(), 80u);
    EXPECT_EQ(glcalls::lineLoops[0].color[3], 1.0);
}

TEST_F(TurbulenceBubbleTest, DrawsAVisibleBubble) {
    choose(nimbrost::drawTurbulenceBubble);
    for (int i = 0; i < 60; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);
}
