// "Wishing well": the 80 squares wound down a shaft. Before each square the frame turns once
// more by the same angle about a slanted axis; each square is shifted along a diagonal by its
// index. After it is drawn the square goes through a sine map and is recoloured, and once all
// are drawn the whole field goes through the same update again.
#include <cmath>

#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

void updateWellSquares(Square *first, int count) {
    for (int i = 0; i < count; ++i) {
        Square &square = first[i];
        square.x = sineWave(square.x, 31, i, 0, 5);
        square.y = sineWave(square.y, 31, i, 0, 5);
        square.z = sineWave(square.z, 31, i, 0, 5);
        cycleSquareColor(square, scene.wellColorClock, i);
    }
}

void drawWishingWell() {
    SceneState &s = scene;
    applyEffectPreamble(0, -10, -25);

    const double offset = 10 * std::cos(sineWave(s.wellClock, 2848, 222, -pi, pi));
    for (int k = 0; k < squareCount; ++k) {
        Square &square = s.squareField[k];
        const double theta =
            sineWave(s.wellClock, 7500, 300, 5, 30) + pulseWave(s.wellClock, 17300, 410, 5, 30);
        glRotated(theta, 0, 1, 1);
        glPushMatrix();
        glTranslated(square.x - 0.2 * k + offset, square.y + k * 0.16666666666666666,
                     square.z + 0.125 * k + offset);
        turnAndDrawSquare(square);
        glPopMatrix();
        updateWellSquares(&square, 1);
    }
    updateWellSquares(s.squareField, squareCount);
    s.wellClock += 5.0;
}

} // namespace nimbrost
