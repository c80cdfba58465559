// The two rules that several effects share, the colour cycle and the polar placement with its
// note, and the usual drawing of one square of the square field.
#include <cmath>

#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void cycleSquareColor(Square &square, double &colorClock, std::uint32_t index) {
    square.r = sineWave(colorClock, 2, 2, 0.1, 1.0);
    square.g = sineWave(colorClock, 3, 2, 0.1, 1.0);
    square.b = sineWave(colorClock, 5, 2, 0.1, 1.0);
    colorClock += 0.0001 * sineWave(std::sin(colorClock), 100, index, 0.0, 1.0);
}

void placeOnPolarPoint(Square &square, int index, double radius, double elevation, double azimuth,
                       double &shapeClock) {
    const double x = radius * std::cos(elevation) * std::cos(azimuth);
    const double y = radius * std::cos(elevation) * std::sin(azimuth);
    const double z = radius * std::sin(elevation);
    square.x = x;
    square.y = y;
    square.z = z;
    shapeClock += 0.0005;
    addToNoteMessage((z + y + x) - azimuth); // the unshifted point
    if (scene.settings.squarePersonality) {
        const double shift = 0.2 * index;
        square.x = x + shift;
        square.y = y + shift;
        square.z = z + shift;
    }
}

void turnAndDrawSquare(const Square &square) {
    glRotated(square.rotX, 1, 0, 0);
    glRotated(square.rotY, 0, 1, 0);
    glRotated(square.rotZ, 0, 0, 1);
    glColor4d(square.r, square.g, square.b, squareAlpha());
    drawUnitSquare(1.0);
}

void drawFieldSquare(const Square &square) {
    glPushMatrix();
    glTranslated(square.x, square.y, square.z);
    turnAndDrawSquare(square);
    glPopMatrix();
}

} // namespace nimbrost
