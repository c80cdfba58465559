#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

// Slow radius, fast wide angles taken as radians as they are.
PolarShape scopeShape(int, double clock, const nimbrost::Square &) {
    return {nimbrost::sineWave(clock, 2333, 2, 1.0, 15.0),
            nimbrost::sineWave(clock, 13, 4882, 0.0, 360.0),
            nimbrost::sineWave(clock, 14, 288, 0.0, 260.0)};
}

} // namespace

class OscilloscopeTest : public EffectTest {};

TEST_F(OscilloscopeTest, FirstFramesFollowTheClocksSquareBySquare) {
    choose(nimbrost::drawOscilloscope);
    ASSERT_EQ(scene.scopeClock, 0.0);
    double clock = 0.0, colorClock = 0.0;

    FieldCopy before;
    frame();
    const std::uint32_t notes =
        expectPolarFrame(scopeShape, before.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.scopeClock, clock); // 80 additions of 0.0005
    EXPECT_EQ(scene.scopeColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, notes);
    expectBalanced(80);
    expectPreambleMatrix(-2.5, -12.5, -55.0);

    FieldCopy second;
    frame();
    const std::uint32_t secondNotes =
        expectPolarFrame(scopeShape, second.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.scopeClock, clock);
    EXPECT_EQ(scene.scopeColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, static_cast<std::uint32_t>(notes + secondNotes));
}

TEST_F(OscilloscopeTest, SquaresLieAtOneRadiusOnATrace) {
    choose(nimbrost::drawOscilloscope);
    scene.scopeClock = 321.0;
    frame();
    double lowest = 1e9, highest = 0;
    for (int i = 0; i < 80; ++i) {
        const nimbrost::Square &s = scene.squareField[i];
        const double r = length({s.x, s.y, s.z});
        EXPECT_GE(r, 1.0);
        EXPECT_LE(r, 15.0);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
        if (i > 0) { // neighbours a small angle apart: a continuous trace
            const nimbrost::Square &p = scene.squareField[i - 1];
            EXPECT_LT(length({s.x - p.x, s.y - p.y, s.z - p.z}), 0.08 * r) << i;
        }
    }
    EXPECT_LT(highest - lowest, 0.001);
}

TEST_F(OscilloscopeTest, PersonalityShiftsSquaresButNotTheNotes) {
    choose(nimbrost::drawOscilloscope);
    scene.scopeClock = 42.0625;
    scene.scopeColorClock = 1.75;
    const nimbrost::SceneState start = scene;
    FieldCopy before;

    frame();
    const std::uint32_t plainNotes = scene.noteMessage;
    scene = start;
    scene.settings.squarePersonality = 1;
    frame();
    EXPECT_EQ(scene.noteMessage, plainNotes);
    double clock = start.scopeClock, colorClock = start.scopeColorClock;
    EXPECT_EQ(expectPolarFrame(scopeShape, before.squares, clock, colorClock, true, 1.0),
              plainNotes);
}

TEST_F(OscilloscopeTest, NoteMessageWrapsAt32Bits) {
    choose(nimbrost::drawOscilloscope);
    scene.scopeClock = 10.0;
    expectNoteWrapsAt32Bits();
}

TEST_F(OscilloscopeTest, TrailsDrawFacesAtAlphaPointTwoAndOutlinesOpaque) {
    choose(nimbrost::drawOscilloscope);
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

TEST_F(OscilloscopeTest, DrawsAVisibleTrace) {
    choose(nimbrost::drawOscilloscope);
    for (int i = 0; i < 120; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);
}
