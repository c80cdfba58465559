// "Square roots": the 80 squares strung into one chain that coils and sways. Each square turns
// the frame by its point's coordinates read as degrees, and those turns are never undone within
// the frame, so every square is placed relative to all the squares before it.
#include <cmath>

#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void drawSquareRoots() {
    SceneState &s = scene;
    if (s.rootsFirstRun) {
        s.rootsSpinClockX = rand() * randomScale;
        s.rootsSpinClockY = rand() * randomScale;
        s.rootsSpinClockZ = rand() * randomScale;
        s.rootsRadiusClock = rand() * randomScale;
        s.rootsElevationClock = rand() * randomScale;
        s.rootsAzimuthClock = rand() * randomScale;
        s.rootsFirstRun = 0;
    }

    applyEffectPreamble(0, -10, -25);

    for (const Square &square : s.squareField) {
        const int g = square.group;
        const double d = pulseWave(s.rootsSpinClockX, 1288, 2, -5, 5) +
                         sineWave(s.rootsRadiusClock, 333, 2, 0, 2);
        const double alpha = sineWave(s.rootsElevationClock, 38, 4882, -5, 3 * g - 2) +
                             pulseWave(s.rootsSpinClockY, 333, 2, -20, 20);
        const double beta = sineWave(s.rootsAzimuthClock, 22, 127, -5, 3 * g - 1) +
                            pulseWave(s.rootsSpinClockZ, 333, 2, -11, 11);
        const double x = d * std::cos(alpha) * std::cos(beta);
        const double y = d * std::cos(alpha) * std::sin(beta);
        const double z = d * std::sin(alpha);

        glRotated(x, 1, 0, 0);
        glRotated(y, 0, 1, 0);
        glRotated(z, 0, 0, 1);
        glPushMatrix();
        glTranslated(x, y, z);

        s.rootsRadiusClock += 0.0005;
        s.rootsElevationClock += 0.0005;
        s.rootsAzimuthClock += 0.0005;

        glRotated(sineWave(s.rootsSpinClockX, 1283, 299, -180, 180), 1, 0, 0);
        glRotated(sineWave(s.rootsSpinClockY, 2813, 317, -180, 180), 0, 1, 0);
        glRotated(sineWave(s.rootsSpinClockZ, 7009, 599, -180, 180), 0, 0, 1);

        s.rootsSpinClockX += 0.00005;
        s.rootsSpinClockY += 0.00005;
        s.rootsSpinClockZ += 0.00005;

        drawFieldSquare(square);
        glPopMatrix();
    }
}

} // namespace nimbrost
