#include <cmath>

#include "effects/effects.h"
#include "tests/support/gl_test.h"

using nimbrost::scene;
using nimbrost::SceneState;

using EffectTest = GlTest;

TEST_F(EffectTest, EveryRowDrawsAVisibleFrame) {
    for (int row = 0; row < 8; ++row) {
        scene = SceneState();
        startScene(nimbrost::effectRegistry[row].key, 3);
        std::vector<std::uint8_t> rgba;
        headless::readPixels(rgba);
        int lit = 0; // pixels that are not black
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            lit += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
        }
        EXPECT_TRUE(lit > 1000 && lit < 800 * 600 / 2) << row << ": " << lit;
    }
}

// Square roots takes its clocks from the generator's draws 81 to 86 on the program's first frame
// and steps them 80 times a frame; Wishing well starts its own at 0; Dancing polaroids and Broken
// mosaic seed the generator from the calendar on their first frame.
TEST_F(EffectTest, FirstFramesStartTheClocksFromTheGeneratorOrTheCalendarOnce) {
    startScene(0, 1);
    EXPECT_EQ((std::vector<double>{scene.rootsSpinClockX, scene.rootsSpinClockY,
                                   scene.rootsSpinClockZ, scene.rootsRadiusClock,
                                   scene.rootsElevationClock, scene.rootsAzimuthClock}),
              (std::vector<double>{0.6030478225043484, 0.3892351451155121, 0.7390077822199159,
                                   0.6489663380840436, 0.612405163731799, 0.4013391521958068}));
    nimbrost::resetScene();
    const std::uint32_t afterReset = scene.randomState;
    nimbrost::drawFrame();
    EXPECT_EQ(scene.randomState, afterReset);
    EXPECT_EQ(scene.rootsRadiusClock, 0.6889663380840392);

    startScene('3', 1); // the well starts its clocks at 0
    EXPECT_EQ(scene.wellClock, 5.0);
    EXPECT_NEAR(scene.wellColorClock, 0.008573420559850385, 1e-15); // 160 steps

    scene.calendarClock = [] { return std::time_t{1700000000}; };
    startScene('2', 2);
    EXPECT_EQ(scene.polaroidClock, 463.0);
    startScene('8', 2);
    EXPECT_EQ(std::make_pair(scene.mosaicClock, scene.mosaicSpinClock),
              std::make_pair(0.9086178167058276, 0.07134250923184911));
}

// Registry rows 4 to 7 place the squares on polar points: each with its shape clock and colour
// clock, the distances a point may have from the origin, and its note after one frame from a
// fresh scene (80 additions, each truncated toward zero, wrapping below 0 and above 2^32). Rows 5
// and 7 run with personality, which moves square i by 0.2 i on each axis after its note is taken.
TEST_F(EffectTest, PolarEffectsClocksNotesAndReach) {
    using Clock = double SceneState::*;
    const std::tuple<Clock, Clock, double, double, std::uint32_t> polarRows[] = {
        {&SceneState::attractorClock, &SceneState::attractorColorClock, 5, 20, 511},
        {&SceneState::flowersClock, &SceneState::flowersColorClock, 1, 16.8, 4294967179u},
        {&SceneState::bubbleClock, &SceneState::bubbleColorClock, 1, 15, 4294964521u},
        {&SceneState::scopeClock, &SceneState::scopeColorClock, 1, 15, 4294961864u}};
    for (int row = 0; row < 4; ++row) {
        const auto &[clock, colorClock, nearest, farthest, note] = polarRows[row];
        const int personality = row % 2;
        SCOPED_TRACE(row);
        scene = SceneState();
        startScene(nimbrost::effectRegistry[3 + row].key);
        scene.settings.squarePersonality = personality;
        nimbrost::drawFrame();
        EXPECT_EQ(scene.*clock, 0.04000000000000003);               // 80 steps
        EXPECT_NEAR(scene.*colorClock, 0.00457310996497764, 1e-15); // 80 steps
        EXPECT_EQ(scene.noteMessage, note);
        for (int i = 0; i < 80; ++i) {
            const nimbrost::Square &q = scene.squareField[i];
            const double shift = 0.2 * i * personality;
            const double reach = std::hypot(q.x - shift, q.y - shift, q.z - shift);
            EXPECT_TRUE(reach > nearest - 1e-12 && reach < farthest + 1e-12) << i;
        }
    }
}

TEST_F(EffectTest, DancingPolaroidsPutTheAngleBackAndWrapItAboveAHundredTurns) {
    startScene('2');
    scene.polaroidClock = 100.0;
    nimbrost::drawFrame();
    EXPECT_EQ(scene.polaroidClock, 100.5);
    EXPECT_EQ(scene.polaroidSpiralClock, 0.5);
    EXPECT_NEAR(scene.polaroidWobbleClock, 6.950172055749607, 1e-12);
    EXPECT_NEAR(scene.polaroidAngle, 0.08116761742805607, 1e-15); // the step, growth undone

    // The angle each of these frames reaches, and what it keeps.
    const double step = scene.polaroidAngle, limit = 628.31853072;
    const std::pair<double, double> cases[] = {
        {628.3, 628.3}, {628.4, 628.4 - limit}, {1300, 1300 - 2 * limit}, {-700, -700}};
    for (const auto &[reached, kept] : cases) {
        scene.polaroidClock = 100.0;
        scene.polaroidWobbleClock = 0.0;
        scene.polaroidAngle = reached - step;
        nimbrost::drawFrame();
        EXPECT_NEAR(scene.polaroidAngle, kept, 1e-12) << reached;
    }
}
