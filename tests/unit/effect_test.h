// Fixture and helpers for the effect tests: choosing an effect as its key does, drawing frames
// with a fresh GL call log, the calendar seeding that two effects share, and a clock's steps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <functional>

#include "effects/effects.h"
#include "tests/support/gl_test.h"
#include "tests/unit/gl_call_log.h"

class EffectTest : public GlTest {
  protected:
    // Starts the scene, then chooses `effect` as its key does (current effect, scene reset).
    void choose(nimbrost::EffectFn effect) {
        startScene();
        nimbrost::scene.currentEffect = effect;
        nimbrost::resetScene();
    }

    // One frame through the frame driver, with the call log cleared first.
    void frame() {
        glcalls::clear();
        nimbrost::drawFrame();
    }

    // Expects a logged drawing call's matrix to be the current modelview matrix, which the test
    // has just built with the effect's GL calls.
    void expectDrawnAt(const glcalls::Draw &draw) {
        const std::vector<double> expected = matrix(GL_MODELVIEW_MATRIX);
        for (int e = 0; e < 16; ++e) {
            EXPECT_NEAR(draw.modelview[e], expected[e], 1e-4) << e;
        }
    }

    // Draws the first frame of `effect` and expects it to have seeded the generator from the
    // calendar: for one second t read around the frame, srand(t) and then `draws` (which takes
    // the effect's draws and tells whether the clocks match them) leave the generator where the
    // frame left it. Then draws a second frame, which must not touch the generator.
    void expectSeededFromCalendarOnce(nimbrost::EffectFn effect,
                                      const std::function<bool()> &draws) {
        choose(effect);
        const std::time_t before = std::time(nullptr);
        frame();
        const std::time_t after = std::time(nullptr);
        const std::uint32_t generator = nimbrost::scene.randomState;
        bool matched = false;
        for (std::time_t t = before; t <= after && !matched; ++t) {
            nimbrost::srand(static_cast<unsigned int>(t));
            matched = draws() && nimbrost::scene.randomState == generator;
        }
        EXPECT_TRUE(matched) << "not seeded by srand(t) for t from " << before << " to " << after;
        nimbrost::scene.randomState = 12345;
        frame();
        EXPECT_EQ(nimbrost::scene.randomState, 12345u) << "the second frame drew or seeded";
    }
};

// `clock` after `count` separate additions of `step`, as the effects advance their clocks.
inline double afterSteps(double clock, double step, int count) {
    for (int i = 0; i < count; ++i) {
        clock += step;
    }
    return clock;
}
