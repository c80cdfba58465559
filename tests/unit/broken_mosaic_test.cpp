#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

constexpr double twoPi = 6.2831853072;

} // namespace

class BrokenMosaicTest : public EffectTest {
  protected:
    // Follows one frame of the mosaic from the two clocks: rebuilds every tile's matrix with the
    // same GL calls from the effect's formulas and compares it, its colour and its outline with
    // the logged ones. Advances the clocks as the frame should.
    void expectFrame(double &clock, double &spinClock, double alpha, bool borders) {
        ASSERT_EQ(glcalls::rects.size(), 40u);
        ASSERT_EQ(glcalls::lineLoops.size(), borders ? 40u : 0u);
        int tile = 0;
        for (double u = -10.0; u < 10.0; u += 10.0) {
            for (double v = -10.0; v < 10.0; v += 10.0) {
                const double size = nimbrost::sineWave(spinClock, 23, 127, 1.0, 50.0);
                const double p = nimbrost::sineWave(spinClock, 38, 282, 0.0, twoPi);
                const double q = nimbrost::sineWave(spinClock, 34, 1857, 0.0, twoPi);
                spinClock += 0.005;
                glLoadIdentity();
                glTranslated(-2.5, -8.5, -55);
                glRotated(size * std::cos(p) * std::cos(q), 1, 0, 0);
                glRotated(size * std::cos(p) * std::sin(q), 0, 1, 0);
                glRotated(size * std::sin(p), 0, 0, 1);
                for (double w = 0.0; w < 20.0; w += 2.0, ++tile) {
                    const double h = u + v + w;
                    const double turn = nimbrost::sineWave(clock, 392, 138, 0.0, twoPi);
                    const double distance = nimbrost::sineWave(clock, 233, 2, 1.0, 15.0);
                    const double e = nimbrost::sineWave(clock, 38, 4882, 0.0, h);
                    const double g = nimbrost::sineWave(clock, 34, 288, 0.0, h);
                    clock += 0.0005;
                    glRotated(turn, 0, 0, 1); // stays for the panel's later tiles
                    const std::vector<double> panel = matrix(GL_MODELVIEW_MATRIX);
                    glRotated(turn, 1, 0, 0);
                    glTranslated(distance * std::cos(e) * std::cos(g),
                                 distance * std::cos(e) * std::sin(g),
                                 distance * std::sin(e) + w * 0.3333333333333333);
                    const std::vector<double> expected = matrix(GL_MODELVIEW_MATRIX);
                    glLoadMatrixd(panel.data());

                    const glcalls::Draw &draw = glcalls::rects[tile];
                    for (int i = 0; i < 16; ++i) {
                        EXPECT_NEAR(draw.modelview[i], expected[i], 1e-4) << tile << " " << i;
                    }
                    if (h == 0.0) { // angle bounds 0: moved to (D, 0, w / 3) after its turns
                        const Point at = placeOf(draw, -2.5, -8.5, -55);
                        EXPECT_NEAR(length(at), std::hypot(distance, w / 3), 1e-4) << tile;
                    }
                    EXPECT_FLOAT_EQ(draw.color[0], 0.04 * (v + w)) << tile;
                    EXPECT_FLOAT_EQ(draw.color[1], 0.03 * (u + w)) << tile;
                    EXPECT_FLOAT_EQ(draw.color[2], 1.0 - 0.04 * (u + v) * w) << tile;
                    EXPECT_FLOAT_EQ(draw.color[3], alpha) << tile;
                    EXPECT_GE(draw.color[2], 1.0) << tile;
                    if (borders) {
                        const glcalls::Draw &outline = glcalls::lineLoops[tile];
                        EXPECT_EQ(outline.modelview, draw.modelview) << tile;
                        EXPECT_EQ(outline.color[0], 1.0) << tile;
                        EXPECT_FLOAT_EQ(outline.color[3], alpha) << tile;
                    }
                }
            }
        }
        glLoadIdentity();
    }
};

TEST_F(BrokenMosaicTest, FirstFrameSeedsFromTheCalendarOnceAndNeverAgain) {
    choose(nimbrost::drawBrokenMosaic);
    ASSERT_EQ(scene.mosaicClock, 0.0);
    const std::time_t before = std::time(nullptr);
    frame();
    const std::time_t after = std::time(nullptr);
    const double clockAfter = scene.mosaicClock;
    const double spinAfter = scene.mosaicSpinClock;
    const std::uint32_t stateAfterFrame = scene.randomState;

    // For one second t of the frame: srand(t), then two draws gave the clocks' starts, and the
    // clocks went on by 40 and 4 separate additions.
    bool matched = false;
    for (std::time_t t = before; t <= after && !matched; ++t) {
        nimbrost::srand(static_cast<unsigned int>(t));
        double clock = nimbrost::rand() * nimbrost::randomScale;
        double spin = nimbrost::rand() * nimbrost::randomScale;
        const bool generatorMatches = scene.randomState == stateAfterFrame;
        for (int tile = 0; tile < 40; ++tile) {
            clock += 0.0005;
        }
        for (int panel = 0; panel < 4; ++panel) {
            spin += 0.005;
        }
        matched = generatorMatches && clock == clockAfter && spin == spinAfter;
    }
    EXPECT_TRUE(matched) << "the clocks are not srand(t) starts for t from " << before << " to "
                         << after;
    scene.randomState = stateAfterFrame;
    expectBalanced(46);
    EXPECT_EQ(glcalls::rects.size(), 40u);

    // Later frames, resets and returns draw nothing more from the generator.
    frame();
    choose(nimbrost::drawBrokenMosaic);
    const std::uint32_t afterReset = scene.randomState;
    frame();
    EXPECT_EQ(scene.randomState, afterReset);
}

TEST_F(BrokenMosaicTest, FromAFixedStartTheFramesFollowTheClocks) {
    choose(nimbrost::drawBrokenMosaic);
    scene.mosaicClock = 0.625; // as if seeded
    scene.mosaicSpinClock = 0.25;
    double clock = scene.mosaicClock, spin = scene.mosaicSpinClock;
    const std::uint32_t generator = scene.randomState;

    frame();
    expectBalanced(2 + 4 + 40);
    expectPreambleMatrix(-2.5, -8.5, -55);
    expectFrame(clock, spin, 1.0, false);
    EXPECT_EQ(scene.mosaicClock, clock);    // 40 additions of 0.0005
    EXPECT_EQ(scene.mosaicSpinClock, spin); // 4 additions of 0.005

    frame();
    expectBalanced(46);
    expectFrame(clock, spin, 1.0, false);
    EXPECT_EQ(scene.mosaicClock, clock);
    EXPECT_EQ(scene.mosaicSpinClock, spin);
    EXPECT_EQ(scene.randomState, generator);
}

TEST_F(BrokenMosaicTest, TrailsFadeTilesAndOutlinesAlikeAndTheSceneIsUntouched) {
    choose(nimbrost::drawBrokenMosaic);
    scene.mosaicClock = 500.0;
    scene.mosaicSpinClock = 300.0;
    scene.settings.clearColorBuffer = 0;
    scene.settings.squareBorders = 1;
    scene.settings.squarePersonality = 1;
    scene.noteMessage = 0x00403C90u;
    FieldCopy field;
    double clock = scene.mosaicClock, spin = scene.mosaicSpinClock;
    frame();
    expectBalanced(46);
    expectFrame(clock, spin, 0.2, true);
    EXPECT_EQ(std::memcmp(field.squares, scene.squareField, sizeof field.squares), 0);
    EXPECT_EQ(scene.noteMessage, 0x00403C90u);
}

TEST_F(BrokenMosaicTest, DrawsAVisibleMosaic) {
    choose(nimbrost::drawBrokenMosaic);
    scene.mosaicClock = 0.5;
    scene.mosaicSpinClock = 0.5;
    for (int i = 0; i < 60; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);
}
