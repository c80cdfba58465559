// "Polar flowers *+": the 80 squares on a figure in polar form. Radius and both angles come from
// one clock; their upper bound grows with the square's index, so later squares reach further out
// and through wider angles. Each square adds to the note message.
#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void drawPolarFlowers() {
    SceneState &s = scene;
    applyEffectPreamble(0, -10, -25);

    for (int i = 0; i < squareCount; ++i) {
        Square &square = s.squareField[i];
        const double h = 0.2 * i + 1.0;
        const double radius = sineWave(s.flowersClock, 2333, 2, 1.0, h);
        const double elevation = sineWave(s.flowersClock, 38, 4882, 0.0, h);
        const double azimuth = sineWave(s.flowersClock, 34, 288, 0.0, h);
        placeOnPolarPoint(square, i, radius, elevation, azimuth, s.flowersClock);
        cycleSquareColor(square, s.flowersColorClock, i);
        drawFieldSquare(square);
    }
}

} // namespace nimbrost
