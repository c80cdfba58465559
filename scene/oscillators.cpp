#include <cmath>
#include <cstdint>

#include "scene/scene.h"

namespace nimbrost {

double sineWave(double t, std::uint32_t period, std::uint32_t phase, double lo, double hi) {
    const double s = ((phase + t) * twoPi) / period;
    return std::sin(s) * ((hi - lo) * 0.5) + (lo + hi) * 0.5;
}

// Whole-unit position of f within the period: f truncated toward zero to 64 bits, of which the
// low 32 are taken as unsigned. Out-of-range and NaN values (never produced by the effects'
// clocks) count as 0, which is what the processor's own conversion yields for them.
static std::uint32_t wholePosition(double f) {
    if (!(f > -9223372036854775808.0 && f < 9223372036854775808.0)) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(f)));
}

double pulseWave(double t, std::uint32_t period, std::uint32_t phase, double lo, double hi) {
    const double f = phase + t;
    const std::uint32_t g = wholePosition(f) % period;
    const std::uint32_t half = period / 2;
    if (g <= half) {
        const double u = 1.0 - std::fabs(std::sin((f * pi) / period));
        return lo + (hi - lo) * ((u * u) * u);
    }
    const std::uint32_t h = (period * 98u) / 100u;
    if (g < h) {
        return lo;
    }
    const double k = (static_cast<double>(g - h) * 50.0) / period;
    return lo + k * (hi - lo) * k;
}

} // namespace nimbrost
