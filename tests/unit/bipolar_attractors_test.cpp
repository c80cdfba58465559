#include <gtest/gtest.h>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

// Each coordinate of the square's previous place, added to the clock, drives one of
// the three oscillators.
PolarShape attractorShape(int, double clock, const nimbrost::Square &before) {
    return {nimbrost::sineWave(clock + before.x, 233, 112, 5, 20),
            nimbrost::sineWave(clock + before.y, 31, 482, 0, 3.1415926536),
            nimbrost::sineWave(clock + before.z, 114, 2828, 0, 3.1415926536)};
}

} // namespace

class BipolarAttractorsTest : public EffectTest {};

TEST_F(BipolarAttractorsTest, FirstFramesMapThePreviousPlaces) {
    choose(nimbrost::drawBipolarAttractors);
    ASSERT_EQ(scene.attractorClock, 0.0);
    double clock = 0.0, colorClock = 0.0;

    FieldCopy reset; // the first frame maps the reset positions
    frame();
    const std::uint32_t notes =
        expectPolarFrame(attractorShape, reset.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.attractorClock, clock); // 80 additions of 0.0005
    EXPECT_EQ(scene.attractorColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, notes);
    expectBalanced(80);
    expectPreambleMatrix(-2.5, -12.5, -55.0);

    FieldCopy second;
    frame();
    const std::uint32_t secondNotes =
        expectPolarFrame(attractorShape, second.squares, clock, colorClock, false, 1.0);
    EXPECT_EQ(scene.attractorClock, clock);
    EXPECT_EQ(scene.attractorColorClock, colorClock);
    EXPECT_EQ(scene.noteMessage, static_cast<std::uint32_t>(notes + secondNotes));
}

TEST_F(BipolarAttractorsTest, WithoutPersonalityEveryPointStaysFiveToTwentyOut) {
    choose(nimbrost::drawBipolarAttractors);
    for (int f = 0; f < 50; ++f) {
        const double colourBefore = scene.attractorColorClock;
        frame();
        for (int i = 0; i < 80; ++i) {
            const nimbrost::Square &s = scene.squareField[i];
            const double r = length({s.x, s.y, s.z});
            EXPECT_GE(r, 5.0 - 1e-12) << "frame " << f << " square " << i;
            EXPECT_LE(r, 20.0 + 1e-12) << "frame " << f << " square " << i;
        }
        EXPECT_GE(scene.attractorColorClock, colourBefore);
        EXPECT_LE(scene.attractorColorClock - colourBefore, 0.008 + 1e-15);
    }
}

TEST_F(BipolarAttractorsTest, PersonalityShiftsAndFeedsTheNextFrameButNotTheNotes) {
    choose(nimbrost::drawBipolarAttractors);
    scene.attractorClock = 17.5;
    scene.attractorColorClock = 2.0;
    const nimbrost::SceneState start = scene;
    FieldCopy before;

    frame();
    const std::uint32_t plainNotes = scene.noteMessage;
    scene = start;
    scene.settings.squarePersonality = 1;
    frame();
    EXPECT_EQ(scene.noteMessage, plainNotes);
    double clock = start.attractorClock, colorClock = start.attractorColorClock;
    EXPECT_EQ(expectPolarFrame(attractorShape, before.squares, clock, colorClock, true, 1.0),
              plainNotes);

    // The shifted places are what the next frame maps.
    FieldCopy shifted;
    frame();
    expectPolarFrame(attractorShape, shifted.squares, clock, colorClock, true, 1.0);
}

TEST_F(BipolarAttractorsTest, NoteMessageWrapsAt32BitsAndIgnoresSound) {
    choose(nimbrost::drawBipolarAttractors);
    scene.settings.sound = 0;
    frame();
    EXPECT_NE(scene.noteMessage, 0u);
    expectNoteWrapsAt32Bits();
}

TEST_F(BipolarAttractorsTest, TrailsDrawFacesAtAlphaPointTwoAndOutlinesOpaque) {
    choose(nimbrost::drawBipolarAttractors);
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

TEST_F(BipolarAttractorsTest, DrawsVisibleSquares) {
    choose(nimbrost::drawBipolarAttractors);
    for (int i = 0; i < 3; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 500);
    EXPECT_LT(lit, 800 * 600 / 2);
}
