#include "tests/unit/effect_test.h"

#include <cmath>
#include <cstring>

using nimbrost::scene;
using nimbrost::SceneState;
using nimbrost::sineWave;
using nimbrost::Square;

namespace {

// What one frame of each registry row draws, and the alphas of faces and outlines with trails.
struct RowDrawing {
    char key;
    int pushes, rects;
    double trailFaceAlpha, trailOutlineAlpha; // outline alpha 0: the effect draws no outlines
};

const RowDrawing rowDrawings[] = {
    {'1', 160, 80, 0.2, 1.0}, {'2', 46, 40, 0.2, 0.0}, {'3', 80, 80, 0.2, 1.0},
    {'4', 80, 80, 0.2, 1.0},  {'5', 80, 80, 0.2, 1.0}, {'6', 80, 80, 1.0, 0.2},
    {'7', 80, 80, 0.2, 1.0},  {'8', 46, 40, 0.2, 0.2},
};

// Radius, elevation and azimuth of one square of a polar effect.
struct PolarShape {
    double radius, elevation, azimuth;
};

// The shape of square i at shape clock `clock`; `before` is the square as the frame found it.
typedef PolarShape (*ShapeFn)(int i, double clock, const Square &before);

PolarShape attractorShape(int, double clock, const Square &before) {
    return {sineWave(clock + before.x, 233, 112, 5, 20),
            sineWave(clock + before.y, 31, 482, 0, 3.1415926536),
            sineWave(clock + before.z, 114, 2828, 0, 3.1415926536)};
}

PolarShape flowerShape(int i, double clock, const Square &) {
    const double h = 0.2 * i + 1.0;
    return {sineWave(clock, 2333, 2, 1, h), sineWave(clock, 38, 4882, 0, h),
            sineWave(clock, 34, 288, 0, h)};
}

PolarShape bubbleShape(int i, double clock, const Square &) {
    return {sineWave(clock, 2333, 2, 1, 15), sineWave(clock, 138, 4882, 0, i),
            sineWave(clock, 134, 288, 0, i)};
}

PolarShape scopeShape(int, double clock, const Square &) {
    return {sineWave(clock, 2333, 2, 1, 15), sineWave(clock, 13, 4882, 0, 360),
            sineWave(clock, 14, 288, 0, 260)};
}

struct PolarRow {
    const char *name;
    nimbrost::EffectFn draw;
    ShapeFn shape;
    double SceneState::*clock;
    double SceneState::*colorClock;
    double nearest, farthest; // distance from the origin without personality
};

const PolarRow polarRows[] = {
    {"Bipolar attractors", nimbrost::drawBipolarAttractors, attractorShape,
     &SceneState::attractorClock, &SceneState::attractorColorClock, 5, 20},
    {"Polar flowers", nimbrost::drawPolarFlowers, flowerShape, &SceneState::flowersClock,
     &SceneState::flowersColorClock, 1, 0.2 * 79 + 1},
    {"Turbulence bubble", nimbrost::drawTurbulenceBubble, bubbleShape, &SceneState::bubbleClock,
     &SceneState::bubbleColorClock, 1, 15},
    {"Oscilloscope", nimbrost::drawOscilloscope, scopeShape, &SceneState::scopeClock,
     &SceneState::scopeColorClock, 1, 15},
};

} // namespace

TEST_F(EffectTest, EveryRowDrawsAVisibleBalancedFrameWithItsTrailAlphas) {
    for (int row = 0; row < 8; ++row) {
        const nimbrost::EffectEntry &entry = nimbrost::effectRegistry[row];
        const RowDrawing &expected = rowDrawings[row];
        SCOPED_TRACE(entry.name);
        ASSERT_EQ(entry.key, expected.key);
        scene = SceneState();
        choose(entry.draw);
        for (int f = 0; f < 3; ++f) {
            frame();
        }
        const int lit = litPixels();
        EXPECT_GT(lit, 1000);
        EXPECT_LT(lit, 800 * 600 / 2);

        scene.settings.clearColorBuffer = 0;
        for (int borders = 0; borders < 2; ++borders) {
            scene.settings.squareBorders = borders;
            frame();
            EXPECT_EQ(glcalls::pushes, expected.pushes);
            EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1); // as many pops, none too many
            EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), 1);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            ASSERT_EQ(glcalls::rects.size(), static_cast<std::size_t>(expected.rects));
            const bool outlines = borders && expected.trailOutlineAlpha > 0;
            ASSERT_EQ(glcalls::lineLoops.size(), outlines ? glcalls::rects.size() : 0u);
            for (std::size_t i = 0; i < glcalls::rects.size(); ++i) {
                EXPECT_FLOAT_EQ(glcalls::rects[i].color[3], expected.trailFaceAlpha) << i;
                if (outlines) {
                    EXPECT_FLOAT_EQ(glcalls::lineLoops[i].color[3], expected.trailOutlineAlpha);
                }
            }
        }
    }
    EXPECT_EQ(nimbrost::effectRegistry[8].draw, nullptr);
}

class PolarEffectTest : public EffectTest {
  protected:
    // Draws one frame of a polar effect and follows it square by square from the clocks and
    // the field that it found: the shape, the stored point (shifted by 0.2 i with personality),
    // the drawn place, the colour, the clocks' steps and the note, which adds the unshifted
    // point. Returns the frame's note sum in `noteSum`.
    void followFrame(const PolarRow &row, bool personality, std::uint32_t &noteSum) {
        Square before[80];
        std::memcpy(before, scene.squareField, sizeof before);
        double clock = scene.*row.clock, colorClock = scene.*row.colorClock;
        const std::uint32_t note = scene.noteMessage;
        scene.settings.squarePersonality = personality;
        frame();
        ASSERT_EQ(glcalls::rects.size(), 80u);
        noteSum = 0;
        for (int i = 0; i < 80; ++i) {
            const PolarShape s = row.shape(i, clock, before[i]);
            const double x = s.radius * std::cos(s.elevation) * std::cos(s.azimuth);
            const double y = s.radius * std::cos(s.elevation) * std::sin(s.azimuth);
            const double z = s.radius * std::sin(s.elevation);
            clock += 0.0005;
            noteSum +=
                static_cast<std::uint32_t>(static_cast<std::int32_t>((z + y + x) - s.azimuth));
            const double shift = personality ? 0.2 * i : 0.0;
            const Square &q = scene.squareField[i];
            EXPECT_EQ(q.x, x + shift) << i;
            EXPECT_EQ(q.y, y + shift) << i;
            EXPECT_EQ(q.z, z + shift) << i;
            if (!personality) {
                EXPECT_GE(std::hypot(x, y, z), row.nearest - 1e-12) << i;
                EXPECT_LE(std::hypot(x, y, z), row.farthest + 1e-12) << i;
            }
            const std::array<double, 16> &drawn = glcalls::rects[i].modelview;
            EXPECT_NEAR(drawn[12], -2.5 + q.x, 1e-4) << i; // camera at home, effect origin
            EXPECT_NEAR(drawn[13], -12.5 + q.y, 1e-4) << i;
            EXPECT_NEAR(drawn[14], -55.0 + q.z, 1e-4) << i;
            EXPECT_EQ(q.r, sineWave(colorClock, 2, 2, 0.1, 1)) << i;
            EXPECT_EQ(q.g, sineWave(colorClock, 3, 2, 0.1, 1)) << i;
            EXPECT_EQ(q.b, sineWave(colorClock, 5, 2, 0.1, 1)) << i;
            colorClock += 0.0001 * sineWave(std::sin(colorClock), 100, i, 0, 1);
        }
        EXPECT_EQ(scene.*row.clock, clock);
        EXPECT_EQ(scene.*row.colorClock, colorClock);
        EXPECT_EQ(scene.noteMessage, static_cast<std::uint32_t>(note + noteSum));
    }
};

TEST_F(PolarEffectTest, FramesPlaceColourAndSoundEverySquareAndTheNoteWraps) {
    for (const PolarRow &row : polarRows) {
        SCOPED_TRACE(row.name);
        scene = SceneState();
        choose(row.draw);
        std::uint32_t sum = 0;
        followFrame(row, false, sum); // the clocks start at 0 on the fresh scene
        followFrame(row, false, sum);
        const SceneState start = scene;
        followFrame(row, true, sum);
        ASSERT_NE(sum, 0u);

        // From just below 2^32 for a rising sum, or just above 0 for a falling one, the same
        // frame's note wraps.
        scene = start;
        const bool rising = static_cast<std::int32_t>(sum) > 0;
        const std::uint32_t note = rising ? 0xFFFFFFFFu - sum / 2 : (0u - sum) / 2;
        scene.noteMessage = note;
        followFrame(row, false, sum);
        EXPECT_EQ(rising, scene.noteMessage < note) << "the sum did not cross 2^32";
    }
}
