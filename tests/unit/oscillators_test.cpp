#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene.h"

using nimbrost::pulseWave;
using nimbrost::sineWave;

namespace {
// The decay part of the pulse, written out: (1 - |sin(f * pi' / period)|)^3 from 0 to 1.
double decay(double f, double period) {
    const double u = 1.0 - std::fabs(std::sin((f * 3.1415926536) / period));
    return (u * u) * u;
}
} // namespace

TEST(Oscillators, SineWaveQuarterPointsAndPhase) {
    EXPECT_EQ(sineWave(0, 100, 0, 0, 1), 0.5);
    EXPECT_NEAR(sineWave(25, 100, 0, 0, 1), 1.0, 1e-15);
    EXPECT_NEAR(sineWave(75, 100, 0, 0, 1), 0.0, 1e-15);
    EXPECT_NEAR(sineWave(0, 4, 1, -1, 1), 1.0, 1e-15);
    // The constant is the ten-decimal 2 pi, not the full-precision one.
    EXPECT_EQ(sineWave(10, 333, 7, -3, 5), std::sin((17.0 * 6.2831853072) / 333) * 4.0 + 1.0);
    EXPECT_NE(sineWave(1000, 3, 0, 0, 1), 0.5 + 0.5 * std::sin(1000 * 2 * M_PI / 3));
    // Whole phases shift the time exactly.
    EXPECT_EQ(sineWave(3.25, 38, 4882, -5, 4), sineWave(3.25 + 4882, 38, 0, -5, 4));
    // Bounds in the other order mirror the wave.
    EXPECT_NEAR(sineWave(25, 100, 0, 1, 0), 0.0, 1e-15);
    EXPECT_EQ(sineWave(0, 100, 0, 1, -3), -1.0);
}

TEST(Oscillators, PulseWaveOverOnePeriod) {
    EXPECT_NEAR(pulseWave(0, 100, 0, 0, 1), 1.0, 1e-15);
    EXPECT_NEAR(pulseWave(25, 100, 0, 0, 1), 0.025126, 1e-6);
    EXPECT_EQ(pulseWave(25, 100, 0, 0, 1), decay(25, 100));
    EXPECT_NEAR(pulseWave(50, 100, 0, 0, 1), 0.0, 1e-15);
    // g = 50 is still the decay part, just past the sine's peak.
    EXPECT_NEAR(pulseWave(50.9, 100, 0, 0, 1), 6.4e-11, 0.1e-11);
    for (double t = 51; t < 99; t += 0.7) {
        EXPECT_EQ(pulseWave(t, 100, 0, 0, 1), 0.0) << t;
    }
    EXPECT_EQ(pulseWave(98.9, 100, 0, 0, 1), 0.0);
    // The climb depends on the whole position only.
    EXPECT_EQ(pulseWave(99, 100, 0, 0, 1), 0.25);
    EXPECT_EQ(pulseWave(99.99, 100, 0, 0, 1), 0.25);
    EXPECT_NEAR(pulseWave(100, 100, 0, 0, 1), 1.0, 1e-9);
    EXPECT_NEAR(pulseWave(332, 333, 0, 0, 1), 0.811622, 1e-6);
    EXPECT_EQ(pulseWave(332, 333, 0, -2, 6), -2 + (300.0 / 333) * 8.0 * (300.0 / 333));
    EXPECT_EQ(pulseWave(17.5, 100, 412, 0, 1), pulseWave(429.5, 100, 0, 0, 1));
}

TEST(Oscillators, PulseWaveShortPeriodsAndOddTimes) {
    // Periods 1 and 2 never leave the decay part.
    EXPECT_EQ(pulseWave(0.25, 1, 0, 0, 1), decay(0.25, 1));
    EXPECT_NEAR(pulseWave(1.5, 2, 0, 0, 1), 0.025126, 1e-6);
    EXPECT_EQ(pulseWave(7.5, 2, 0, 0, 1), decay(7.5, 2));
    // Period 3: positions 0 and 1 decay, position 2 is a climb of height 0.
    EXPECT_EQ(pulseWave(1.5, 3, 0, 0, 1), decay(1.5, 3));
    EXPECT_EQ(pulseWave(2.5, 3, 0, 0, 1), 0.0);
    // lo above hi: the period starts at hi (the lower value) and rests at lo.
    EXPECT_NEAR(pulseWave(0, 100, 0, 1, 0), 0.0, 1e-15);
    EXPECT_EQ(pulseWave(70, 100, 0, 1, 0), 1.0);
    // Negative time is truncated toward zero before the low 32 bits are taken: -1.5 gives
    // 4294967295, which is position 3 of period 7 (decay), not the 5 of a periodic continuation.
    EXPECT_EQ(pulseWave(-0.5, 100, 0, 0, 1), decay(-0.5, 100));
    EXPECT_EQ(pulseWave(-1.5, 7, 0, 0, 1), decay(-1.5, 7));
    EXPECT_GT(pulseWave(-1.5, 7, 0, 0, 1), 0.05);
    // Times beyond 2^32 keep only the low 32 bits of the whole part: position 60 mod 7 = 4.
    EXPECT_EQ(pulseWave(4294967356.5, 7, 0, 0, 1), 0.0);
    // Times beyond any integer give a finite value within the bounds instead of a crash.
    const double huge = pulseWave(1e300, 100, 0, 0, 1);
    EXPECT_TRUE(huge >= 0.0 && huge <= 1.0);
}
