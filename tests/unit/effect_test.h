// Fixture and helpers for the effect tests: choosing an effect as its key does, drawing frames
// with a fresh GL call log, and the effects' two shared rules written out again independently, so
// that a test can follow an effect's clocks square by square.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>

#include "effects/effects.h"
#include "tests/support/gl_test.h"
#include "tests/unit/gl_call_log.h"

struct Point {
    double x, y, z;
};

class EffectTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        glcalls::clear();
    }

    // Starts the program's scene, then chooses `effect` as its key does (current effect, scene
    // reset): the square field is fresh, `noteMessage` is 0, the camera at home.
    void choose(nimbrost::EffectFn effect) {
        startScene();
        nimbrost::scene.currentEffect = effect;
        nimbrost::resetScene();
        glcalls::clear();
    }

    // One frame through the frame driver, with the call log cleared first.
    void frame() {
        glcalls::clear();
        nimbrost::drawFrame();
    }

    // After a frame: as many pops as pushes, both stacks back at depth 1.
    void expectBalanced(int pushes) {
        EXPECT_EQ(glcalls::pushes, pushes);
        EXPECT_EQ(glcalls::pops, pushes);
        EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
        EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), 1);
    }

    // After a frame with the camera at home and unturned: the modelview matrix holds what the
    // preamble left, the plain translation to the effect's origin.
    void expectPreambleMatrix(double x, double y, double z) {
        const std::vector<double> m = matrix(GL_MODELVIEW_MATRIX);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(m[i], i % 5 == 0 ? 1.0 : 0.0) << i;
        }
        EXPECT_EQ(m[12], x);
        EXPECT_EQ(m[13], y);
        EXPECT_EQ(m[14], z);
    }

    // The sum, modulo 2^32, of the note additions that the next frame makes from the current
    // state; the scene record is put back afterwards.
    std::uint32_t noteSumOfNextFrame() {
        const nimbrost::SceneState saved = nimbrost::scene;
        nimbrost::scene.noteMessage = 0;
        frame();
        const std::uint32_t sum = nimbrost::scene.noteMessage;
        nimbrost::scene = saved;
        return sum;
    }

    // From the current state, starts `noteMessage` so close to 2^32 (or to 0, for a negative
    // sum) that the next frame's additions cross it, and checks the unsigned wrap.
    void expectNoteWrapsAt32Bits() {
        const std::uint32_t sum = noteSumOfNextFrame();
        ASSERT_NE(sum, 0u);
        const bool upward = static_cast<std::int32_t>(sum) > 0;
        const std::uint32_t start = upward ? 0xFFFFFFFFu - sum / 2 : (0u - sum) / 2;
        nimbrost::scene.noteMessage = start;
        frame();
        EXPECT_EQ(nimbrost::scene.noteMessage, static_cast<std::uint32_t>(start + sum));
        EXPECT_EQ(upward, nimbrost::scene.noteMessage < start) << "the sum did not cross";
    }
};

// The colour cycle: the clock after the step of square `index`.
inline double colorClockAfter(double clock, std::uint32_t index) {
    return clock + 0.0001 * nimbrost::sineWave(std::sin(clock), 100, index, 0, 1);
}

// The colour that the cycle gives a square at colour clock `clock`.
inline std::array<double, 3> cycleColor(double clock) {
    return {nimbrost::sineWave(clock, 2, 2, 0.1, 1), nimbrost::sineWave(clock, 3, 2, 0.1, 1),
            nimbrost::sineWave(clock, 5, 2, 0.1, 1)};
}

// The polar placement: X = R cos A cos B, Y = R cos A sin B, Z = R sin A.
inline Point polarPoint(double radius, double elevation, double azimuth) {
    return {radius * std::cos(elevation) * std::cos(azimuth),
            radius * std::cos(elevation) * std::sin(azimuth), radius * std::sin(elevation)};
}

// The note addition of a polar point: (Z + Y + X) - B truncated toward zero, as a 32-bit
// two's-complement addend.
inline std::uint32_t noteAddend(const Point &p, double azimuth) {
    return static_cast<std::uint32_t>(
        static_cast<std::int32_t>(std::trunc((p.z + p.y + p.x) - azimuth)));
}

inline double length(const Point &p) {
    return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

// The translation part of a logged drawing call less the effect's origin in eye space: where the
// effect placed the square, when only turns of its own follow the translation.
inline Point placeOf(const glcalls::Draw &draw, double originX, double originY, double originZ) {
    return {draw.modelview[12] - originX, draw.modelview[13] - originY,
            draw.modelview[14] - originZ};
}

// Radius, elevation and azimuth of one square of a polar effect.
struct PolarShape {
    double radius, elevation, azimuth;
};

// The shape of square `index` at shape clock `clock`, where `before` is the square as the frame
// found it (only "Bipolar attractors" reads it).
typedef std::function<PolarShape(int index, double clock, const nimbrost::Square &before)>
    ShapeRule;

// Follows one frame of a polar effect ("Bipolar attractors" to "Oscilloscope") that has just been
// drawn, square by square in the effects' order: shape from the clock, the point stored, the clock
// advanced, the note added, the personality shift, the colour from the colour clock, the colour
// clock's step. Checks each stored square exactly and each logged rectangle (drawn where the
// square is stored, in its colour, with `faceAlpha`). `before` is the square field as the frame
// found it. Returns the sum of the frame's note additions, modulo 2^32.
inline std::uint32_t expectPolarFrame(const ShapeRule &shape, const nimbrost::Square *before,
                                      double &clock, double &colorClock, bool personality,
                                      double faceAlpha) {
    const double originX = -2.5, originY = -12.5, originZ = -55.0; // camera at home
    std::uint32_t notes = 0;
    EXPECT_EQ(glcalls::rects.size(), 80u);
    for (int i = 0; i < 80 && i < static_cast<int>(glcalls::rects.size()); ++i) {
        const nimbrost::Square &square = nimbrost::scene.squareField[i];
        const PolarShape polar = shape(i, clock, before[i]);
        const Point p = polarPoint(polar.radius, polar.elevation, polar.azimuth);
        clock += 0.0005;
        notes += noteAddend(p, polar.azimuth);
        const double shift = personality ? 0.2 * i : 0.0;
        EXPECT_EQ(square.x, personality ? p.x + shift : p.x) << i;
        EXPECT_EQ(square.y, personality ? p.y + shift : p.y) << i;
        EXPECT_EQ(square.z, personality ? p.z + shift : p.z) << i;
        const std::array<double, 3> colour = cycleColor(colorClock);
        EXPECT_EQ(square.r, colour[0]) << i;
        EXPECT_EQ(square.g, colour[1]) << i;
        EXPECT_EQ(square.b, colour[2]) << i;
        colorClock = colorClockAfter(colorClock, i);
        EXPECT_EQ(square.rotX, before[i].rotX) << i;
        EXPECT_EQ(square.group, before[i].group) << i;

        const glcalls::Draw &draw = glcalls::rects[i];
        const Point drawn = placeOf(draw, originX, originY, originZ);
        EXPECT_NEAR(drawn.x, p.x + shift, 1e-4) << i;
        EXPECT_NEAR(drawn.y, p.y + shift, 1e-4) << i;
        EXPECT_NEAR(drawn.z, p.z + shift, 1e-4) << i;
        EXPECT_FLOAT_EQ(draw.color[0], colour[0]) << i;
        EXPECT_FLOAT_EQ(draw.color[1], colour[1]) << i;
        EXPECT_FLOAT_EQ(draw.color[2], colour[2]) << i;
        EXPECT_FLOAT_EQ(draw.color[3], faceAlpha) << i;
    }
    return notes;
}

// A copy of the square field, to give expectPolarFrame what the frame found.
struct FieldCopy {
    nimbrost::Square squares[80];
    FieldCopy() {
        for (int i = 0; i < 80; ++i) {
            squares[i] = nimbrost::scene.squareField[i];
        }
    }
};
