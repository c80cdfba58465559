#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>

#include "tests/unit/effect_test.h"

using nimbrost::scene;

namespace {

constexpr double limit = 628.31853072; // a hundred turns

struct PolaroidState {
    double clock, wobble, angle, spiral;
};

PolaroidState current() {
    return {scene.polaroidClock, scene.polaroidWobbleClock, scene.polaroidAngle,
            scene.polaroidSpiralClock};
}

// The start of a frame: the wobble clock, the frame's angle step and the wrapped base angle.
double advanceWobble(PolaroidState &st) {
    st.wobble += 10 * nimbrost::sineWave(st.clock, 530, 0, -0.75, 0.75);
    const double step = nimbrost::sineWave(st.wobble, 2700, 400, -0.1, 0.1);
    st.angle += step;
    return step;
}

// A start angle a with a + step == target exactly, so that a wrap case can be set up.
double angleReaching(double target, double step) {
    double a = target - step;
    for (int i = 0; i < 100 && a + step != target; ++i) {
        a = std::nextafter(a, a + step < target ? 1e9 : -1e9);
    }
    return a;
}

} // namespace

class DancingPolaroidsTest : public EffectTest {
  protected:
    // Follows one frame of the effect from `st`: rebuilds every rectangle's matrix with the same
    // GL calls from the effect's formulas and compares it and its colour with the logged one.
    void expectFrame(PolaroidState &st, double alpha) {
        const double step = advanceWobble(st);
        while (st.angle > limit) {
            st.angle -= limit;
        }
        const double base = st.angle;
        ASSERT_EQ(glcalls::rects.size(), 40u);
        int k = 0;
        for (double p = -10; p < 10; p += 10) {
            const double j = nimbrost::sineWave(st.clock, 750, 300, 5, 30);
            for (double q = -10; q < 10; q += 10) {
                for (double u = 0; u < 20; u += 2, ++k) {
                    const double w = nimbrost::pulseWave(st.clock, 590, k + 42, 0, 0.7);
                    const double a = nimbrost::pulseWave(st.clock, 1310, k + 541, 0, 1);
                    const double b = nimbrost::sineWave(st.wobble, 381, 0, 0, step);
                    const double e1 = nimbrost::pulseWave(st.clock, 600, 5 * k, 0, 0.7);
                    const double e2 = nimbrost::sineWave(st.clock, 127, k, 0, 1);
                    const double e3 = nimbrost::pulseWave(st.clock, 999, k, 0, 1);
                    const double f = nimbrost::sineWave(st.spiral, 10304, 122, 1, 1.005);
                    const double bound = p + q + k;
                    const double s = nimbrost::sineWave(st.clock, 180, 3, -bound, bound);
                    const double i = nimbrost::pulseWave(st.clock, 1730, 410, 0, 90);
                    const double radius = b + (w + 1) - a;
                    const double h = e2 * e1 - e3 + (k / 5);
                    st.angle = st.angle * std::pow(f, 0.2 * s);

                    glLoadIdentity();
                    glTranslated(-2.5, -2.5, -55);
                    glRotated(j, 0, 1, 0);
                    glTranslated(p + radius * std::cos(st.angle), q + radius * std::sin(st.angle),
                                 h + u);
                    glRotated(st.angle * 57.295779512896175, 0, 1, 1);
                    glRotated(j + i, 0, 0, 1);
                    const std::vector<double> expected = matrix(GL_MODELVIEW_MATRIX);
                    const glcalls::Draw &draw = glcalls::rects[k];
                    for (int e = 0; e < 16; ++e) {
                        EXPECT_NEAR(draw.modelview[e], expected[e], 1e-4) << k << " " << e;
                    }
                    EXPECT_FLOAT_EQ(draw.color[0], 0.04 * (q + u)) << k;
                    EXPECT_FLOAT_EQ(draw.color[1], 0.03 * (p + u)) << k;
                    EXPECT_FLOAT_EQ(draw.color[2], 1 - 0.04 * u * (p + q)) << k;
                    EXPECT_FLOAT_EQ(draw.color[3], alpha) << k;
                }
            }
        }
        glLoadIdentity();
        EXPECT_NE(st.angle, base); // the growth did change the angle within the frame
        st.angle = base;
        st.spiral += 0.5;
        st.clock += 0.5;
    }

    void expectState(const PolaroidState &st) {
        EXPECT_EQ(scene.polaroidClock, st.clock);
        EXPECT_EQ(scene.polaroidWobbleClock, st.wobble);
        EXPECT_EQ(scene.polaroidAngle, st.angle);
        EXPECT_EQ(scene.polaroidSpiralClock, st.spiral);
    }
};

TEST_F(DancingPolaroidsTest, FirstFrameSeedsFromTheCalendarOnceAndNeverAgain) {
    choose(nimbrost::drawDancingPolaroids);
    ASSERT_EQ(scene.polaroidClock, 0.0);
    const std::time_t before = std::time(nullptr);
    frame();
    const std::time_t after = std::time(nullptr);
    const double drawnClock = scene.polaroidClock - 0.5;
    const std::uint32_t stateAfterFrame = scene.randomState;

    bool matched = false;
    for (std::time_t t = before; t <= after && !matched; ++t) {
        nimbrost::srand(static_cast<unsigned int>(t));
        const int draw = nimbrost::rand();
        matched =
            drawnClock == static_cast<double>(draw % 1000) && scene.randomState == stateAfterFrame;
    }
    EXPECT_TRUE(matched) << "polaroidClock " << drawnClock << " is no rand() % 1000 after srand(t)"
                         << " for t from " << before << " to " << after;
    scene.randomState = stateAfterFrame;

    // Later frames, resets and returns draw nothing more from the generator.
    const double clock = scene.polaroidClock;
    frame();
    choose(nimbrost::drawDancingPolaroids);
    const std::uint32_t afterReset = scene.randomState;
    frame();
    EXPECT_EQ(scene.randomState, afterReset);
    EXPECT_EQ(scene.polaroidClock, clock + 0.5 + 0.5);
}

TEST_F(DancingPolaroidsTest, FromAFixedStartTheFramesFollowTheClocks) {
    choose(nimbrost::drawDancingPolaroids);
    scene.polaroidClock = 417.0; // as if rand() % 1000 had given 417
    PolaroidState st = current();
    const std::uint32_t generator = scene.randomState;

    frame();
    expectBalanced(2 + 4 + 40);
    expectPreambleMatrix(-2.5, -2.5, -55);
    EXPECT_EQ(glcalls::begins, 0);
    expectFrame(st, 1.0);
    expectState(st);

    frame();
    expectFrame(st, 1.0);
    expectState(st);
    EXPECT_EQ(scene.polaroidClock, 417.0 + 0.5 + 0.5);
    EXPECT_EQ(scene.polaroidSpiralClock, 1.0);
    EXPECT_EQ(scene.randomState, generator);
}

TEST_F(DancingPolaroidsTest, TrailsFadeTheFacesAndBordersAreNeverDrawn) {
    choose(nimbrost::drawDancingPolaroids);
    scene.polaroidClock = 30.5;
    scene.polaroidAngle = -2.0;
    scene.settings.clearColorBuffer = 0;
    scene.settings.squareBorders = 1;
    scene.settings.squarePersonality = 1;
    FieldCopy field;
    PolaroidState st = current();
    frame();
    expectFrame(st, 0.2);
    expectState(st);
    EXPECT_EQ(glcalls::lineLoops.size(), 0u);
    EXPECT_EQ(glcalls::begins, 1); // the fade veil's quad only
    expectBalanced(46);
    EXPECT_EQ(std::memcmp(field.squares, scene.squareField, sizeof field.squares), 0);
    EXPECT_EQ(scene.noteMessage, 0u);
}

TEST_F(DancingPolaroidsTest, BaseAngleWrapsAboveAHundredTurnsOnly) {
    struct Case {
        double reached, kept;
    };
    const Case cases[] = {
        {limit, limit},                     // exactly the limit: not wrapped
        {628.4, 628.4 - limit},             // about 0.0815
        {1300.0, (1300.0 - limit) - limit}, // wrapped twice
        {-5.0, -5.0},                       // no lower bound
        {-700.0, -700.0},
    };
    for (const Case &c : cases) {
        choose(nimbrost::drawDancingPolaroids);
        scene.polaroidClock = 123.0;
        scene.polaroidWobbleClock = 40.0;
        PolaroidState st = current();
        const double step = advanceWobble(st);
        scene.polaroidAngle = angleReaching(c.reached, step);
        ASSERT_EQ(scene.polaroidAngle + step, c.reached);
        frame();
        EXPECT_EQ(scene.polaroidAngle, c.kept) << c.reached;
        expectBalanced(46);
    }
    EXPECT_NEAR(628.4 - limit, 0.0815, 0.0001);
}

TEST_F(DancingPolaroidsTest, DrawsVisibleStacks) {
    choose(nimbrost::drawDancingPolaroids);
    scene.polaroidClock = 250.0;
    for (int i = 0; i < 60; ++i) {
        nimbrost::drawFrame();
    }
    const int lit = litPixels();
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 800 * 600 / 2);
}
