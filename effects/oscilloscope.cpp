// "Oscilloscope *+": the 80 squares strung along one trace on a sphere. The radius swings slowly;
// the two angles swing fast and wide (up to 360 and 260 radians), so neighbouring squares sit a
// small angle apart and each frame's trace carries on from the last. Each square adds to the
// note message.
#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void drawOscilloscope() {
    SceneState &s = scene;
    applyEffectPreamble(0, -10, -25);

    for (int i = 0; i < squareCount; ++i) {
        Square &square = s.squareField[i];
        const double radius = sineWave(s.scopeClock, 2333, 2, 1.0, 15.0);
        const double elevation = sineWave(s.scopeClock, 13, 4882, 0.0, 360.0);
        const double azimuth = sineWave(s.scopeClock, 14, 288, 0.0, 260.0);
        placeOnPolarPoint(square, i, radius, elevation, azimuth, s.scopeClock);
        cycleSquareColor(square, s.scopeColorClock, i);
        drawFieldSquare(square);
    }
}

} // namespace nimbrost
