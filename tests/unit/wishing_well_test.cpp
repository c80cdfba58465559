#include <cmath>
#include <cstring>

#include "tests/unit/effect_test.h"

using nimbrost::scene;
using nimbrost::sineWave;

class WishingWellTest : public EffectTest {};

TEST_F(WishingWellTest, EachFrameDrawsTheFieldThenMapsEverySquareTwice) {
    choose(nimbrost::drawWishingWell);
    double wellClock = 0.0, colorClock = 0.0;
    for (int f = 0; f < 2; ++f) {
        nimbrost::Square expected[80];
        std::memcpy(expected, scene.squareField, sizeof expected);
        frame();
        ASSERT_EQ(glcalls::rects.size(), 80u);
        // Each square is drawn as the last frame left it and mapped with update index 0 right
        // after; once all are drawn, every square is mapped again with its own index.
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < 80; ++i) {
                nimbrost::Square &q = expected[i];
                if (pass == 0) {
                    EXPECT_FLOAT_EQ(glcalls::rects[i].color[0], q.r) << i;
                    EXPECT_FLOAT_EQ(glcalls::rects[i].color[2], q.b) << i;
                }
                const std::uint32_t index = pass == 0 ? 0 : i;
                q.x = sineWave(q.x, 31, index, 0, 5);
                q.y = sineWave(q.y, 31, index, 0, 5);
                q.z = sineWave(q.z, 31, index, 0, 5);
                q.r = sineWave(colorClock, 2, 2, 0.1, 1);
                q.g = sineWave(colorClock, 3, 2, 0.1, 1);
                q.b = sineWave(colorClock, 5, 2, 0.1, 1);
                colorClock += 0.0001 * sineWave(std::sin(colorClock), 100, index, 0, 1);
            }
        }
        wellClock += 5.0;
        EXPECT_EQ(std::memcmp(expected, scene.squareField, sizeof expected), 0) << "frame " << f;
        EXPECT_EQ(scene.wellClock, wellClock);
        EXPECT_EQ(scene.wellColorClock, colorClock);
    }
}

TEST_F(WishingWellTest, FromTheSecondFramePlacesAndColoursStayInRange) {
    choose(nimbrost::drawWishingWell);
    scene.wellClock = 12345.0;
    scene.wellColorClock = 7.0;
    frame(); // draws the reset field
    for (int f = 0; f < 20; ++f) {
        frame();
        for (int i = 0; i < 80; ++i) {
            const nimbrost::Square &s = scene.squareField[i];
            for (double v : {s.x, s.y, s.z}) {
                EXPECT_TRUE(v >= 0.0 && v <= 5.0) << i << " " << v;
            }
            for (double c : glcalls::rects[i].color) {
                EXPECT_TRUE(c >= 0.1 - 1e-7 && c <= 1.0) << i << " " << c;
            }
        }
    }
}
