// "Turbulence bubble *+": the 80 squares on a sphere whose radius swings slowly for all alike;
// the angles' upper bound is the square's index, so square 0 stays on the x axis and later
// squares sweep ever wider over the sphere. Each square adds to the note message. Unlike its
// neighbours it draws the faces opaque and gives the outlines the alpha of `squareAlpha`.
#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void drawTurbulenceBubble() {
    SceneState &s = scene;
    applyEffectPreamble(0, -10, -25);

    for (int i = 0; i < squareCount; ++i) {
        Square &square = s.squareField[i];
        const double n = i;
        const double radius = sineWave(s.bubbleClock, 2333, 2, 1.0, 15.0);
        const double elevation = sineWave(s.bubbleClock, 138, 4882, 0.0, n);
        const double azimuth = sineWave(s.bubbleClock, 134, 288, 0.0, n);
        placeOnPolarPoint(square, i, radius, elevation, azimuth, s.bubbleClock);
        cycleSquareColor(square, s.bubbleColorClock, i);

        glPushMatrix();
        glTranslated(square.x, square.y, square.z);
        glRotated(square.rotX, 1, 0, 0);
        glRotated(square.rotY, 0, 1, 0);
        glRotated(square.rotZ, 0, 0, 1);
        glColor3d(square.r, square.g, square.b);
        drawUnitSquare(squareAlpha());
        glPopMatrix();
    }
}

} // namespace nimbrost
