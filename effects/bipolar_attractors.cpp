// "Bipolar attractors *+": every square moves to a point computed from its own previous place.
// Its x, y and z, each added to a common clock, drive a radius and two angles; the square goes to
// the point they describe, which keeps it between distance 5 and 20 from the origin (without
// square personality). Each new point adds to the note message.
#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void drawBipolarAttractors() {
    SceneState &s = scene;
    applyEffectPreamble(0, -10, -25);

    for (int k = 0; k < squareCount; ++k) {
        Square &square = s.squareField[k];
        const double radius = sineWave(s.attractorClock + square.x, 233, 112, 5, 20);
        const double elevation = sineWave(s.attractorClock + square.y, 31, 482, 0, pi);
        const double azimuth = sineWave(s.attractorClock + square.z, 114, 2828, 0, pi);
        placeOnPolarPoint(square, k, radius, elevation, azimuth, s.attractorClock);
        cycleSquareColor(square, s.attractorColorClock, k);
        drawFieldSquare(square);
    }
}

} // namespace nimbrost
