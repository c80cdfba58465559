#include <cmath>

#include "tests/unit/effect_test.h"

using nimbrost::pulseWave;
using nimbrost::scene;
using nimbrost::sineWave;

namespace {

constexpr double limit = 628.31853072; // a hundred turns

// The start of a frame: the wobble clock's step, and the angle step that it gives.
double angleStep(double clock, double &wobble) {
    wobble += 10 * sineWave(clock, 530, 0, -0.75, 0.75);
    return sineWave(wobble, 2700, 400, -0.1, 0.1);
}

} // namespace

class DancingPolaroidsTest : public EffectTest {};

TEST_F(DancingPolaroidsTest, FirstFrameSeedsTheClockFromTheCalendar) {
    double seed = 0;
    expectSeededFromCalendarOnce(nimbrost::drawDancingPolaroids, [&] {
        seed = nimbrost::rand() % 1000;
        return scene.polaroidClock == seed + 0.5;
    });
    EXPECT_EQ(scene.polaroidClock, seed + 0.5 + 0.5);
}

TEST_F(DancingPolaroidsTest, FramesTurnTheBaseAngleAndPutItBack) {
    choose(nimbrost::drawDancingPolaroids);
    double clock = 100.0, wobble = 0.0, angle = 0.0, spiral = 0.0; // every pulse is on
    scene.polaroidClock = clock;
    for (int f = 0; f < 2; ++f) {
        const double step = angleStep(clock, wobble);
        const double base = angle += step;
        frame();

        // Rectangle 0, at grid point (-10, -10) and height step 0, with the growth of the angle
        // that the frame makes before it and undoes after the frame.
        const double j = sineWave(clock, 750, 300, 5, 30);
        const double radius = sineWave(wobble, 381, 0, 0, step) +
                              (pulseWave(clock, 590, 42, 0, 0.7) + 1) -
                              pulseWave(clock, 1310, 541, 0, 1);
        const double height = sineWave(clock, 127, 0, 0, 1) * pulseWave(clock, 600, 0, 0, 0.7) -
                              pulseWave(clock, 999, 0, 0, 1);
        const double grown = base * std::pow(sineWave(spiral, 10304, 122, 1, 1.005),
                                             0.2 * sineWave(clock, 180, 3, 20, -20));
        glLoadIdentity();
        glTranslated(-2.5, -2.5, -55);
        glRotated(j, 0, 1, 0);
        glTranslated(-10 + radius * std::cos(grown), -10 + radius * std::sin(grown), height);
        glRotated(grown * nimbrost::degreesPerRadian, 0, 1, 1);
        glRotated(j + pulseWave(clock, 1730, 410, 0, 90), 0, 0, 1);
        ASSERT_EQ(glcalls::rects.size(), 40u);
        expectDrawnAt(glcalls::rects[0]);

        clock += 0.5;
        spiral += 0.5;
        EXPECT_EQ(scene.polaroidClock, clock);
        EXPECT_EQ(scene.polaroidWobbleClock, wobble);
        EXPECT_EQ(scene.polaroidAngle, base);
        EXPECT_EQ(scene.polaroidSpiralClock, spiral);
    }
}

TEST_F(DancingPolaroidsTest, BaseAngleWrapsAboveAHundredTurnsOnly) {
    struct Case {
        double reached, kept;
    };
    const Case cases[] = {
        {limit, limit},
        {628.4, 628.4 - limit},
        {1300.0, (1300.0 - limit) - limit},
        {-700.0, -700.0},
    };
    choose(nimbrost::drawDancingPolaroids);
    for (const Case &c : cases) {
        scene.polaroidClock = 123.0;
        scene.polaroidWobbleClock = 40.0;
        double wobble = 40.0;
        const double step = angleStep(123.0, wobble);
        double start = c.reached - step; // nudged until the frame's step reaches `reached`
        for (int i = 0; i < 100 && start + step != c.reached; ++i) {
            start = std::nextafter(start, start + step < c.reached ? 1e9 : -1e9);
        }
        ASSERT_EQ(start + step, c.reached);
        scene.polaroidAngle = start;
        frame();
        EXPECT_EQ(scene.polaroidAngle, c.kept) << c.reached;
    }
}
