#include <cmath>

#include "tests/unit/effect_test.h"

using nimbrost::scene;
using nimbrost::sineWave;

class BrokenMosaicTest : public EffectTest {};

TEST_F(BrokenMosaicTest, FirstFrameSeedsBothClocksFromTheCalendar) {
    double clock = 0, spin = 0;
    expectSeededFromCalendarOnce(nimbrost::drawBrokenMosaic, [&] {
        clock = nimbrost::rand() * nimbrost::randomScale;
        spin = nimbrost::rand() * nimbrost::randomScale;
        return scene.mosaicClock == afterSteps(clock, 0.0005, 40) &&
               scene.mosaicSpinClock == afterSteps(spin, 0.005, 4);
    });
    EXPECT_EQ(scene.mosaicClock, afterSteps(clock, 0.0005, 80));
    EXPECT_EQ(scene.mosaicSpinClock, afterSteps(spin, 0.005, 8));
}

TEST_F(BrokenMosaicTest, FirstTilesArePlacedAndColouredFromTheClocks) {
    choose(nimbrost::drawBrokenMosaic);
    double clock = 0.625; // as if seeded
    scene.mosaicClock = clock;
    scene.mosaicSpinClock = 0.25;
    frame();
    ASSERT_EQ(glcalls::rects.size(), 40u);

    // Tiles 0 and 1 of panel (-10, -10): the z turn of tile 0 stays for tile 1.
    const double size = sineWave(0.25, 23, 127, 1, 50);
    const double p = sineWave(0.25, 38, 282, 0, nimbrost::twoPi);
    const double q = sineWave(0.25, 34, 1857, 0, nimbrost::twoPi);
    glLoadIdentity();
    glTranslated(-2.5, -8.5, -55);
    glRotated(size * std::cos(p) * std::cos(q), 1, 0, 0);
    glRotated(size * std::cos(p) * std::sin(q), 0, 1, 0);
    glRotated(size * std::sin(p), 0, 0, 1);
    for (int tile = 0; tile < 2; ++tile) {
        const double w = 2.0 * tile, h = -20.0 + w;
        const double turn = sineWave(clock, 392, 138, 0, nimbrost::twoPi);
        const double distance = sineWave(clock, 233, 2, 1, 15);
        const double elevation = sineWave(clock, 38, 4882, 0, h);
        const double azimuth = sineWave(clock, 34, 288, 0, h);
        clock += 0.0005;
        glRotated(turn, 0, 0, 1);
        glPushMatrix();
        glRotated(turn, 1, 0, 0);
        glTranslated(distance * std::cos(elevation) * std::cos(azimuth),
                     distance * std::cos(elevation) * std::sin(azimuth),
                     distance * std::sin(elevation) + w * 0.3333333333333333);
        expectDrawnAt(glcalls::rects[tile]);
        glPopMatrix();
    }

    // Colour ramps over panel (u, v) and step w.
    int tile = 0;
    for (double u = -10; u < 10; u += 10) {
        for (double v = -10; v < 10; v += 10) {
            for (double w = 0; w < 20; w += 2, ++tile) {
                const std::array<double, 4> &c = glcalls::rects[tile].color;
                EXPECT_FLOAT_EQ(c[0], 0.04 * (v + w)) << tile;
                EXPECT_FLOAT_EQ(c[1], 0.03 * (u + w)) << tile;
                EXPECT_FLOAT_EQ(c[2], 1.0 - 0.04 * (u + v) * w) << tile;
            }
        }
    }
}
