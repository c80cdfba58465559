// "Broken mosaic": 40 tiles of the effect's own in four panels of ten. Each panel turns as a
// whole by a spherical vector of angles from the panel clock; inside a panel every tile adds a
// small turn about z that stays for the panel's later tiles, so the ten fan out, and then takes
// its own turn and offset from the tile clock. Colours are fixed ramps over the loop values.
#include <cmath>

#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

// One tile of panel (u, v) at step w; leaves its z turn F on the panel's matrix.
static void drawMosaicTile(double u, double v, double w) {
    SceneState &s = scene;
    const double h = u + v + w;
    const double turn = sineWave(s.mosaicClock, 392, 138, 0.0, twoPi);
    const double distance = sineWave(s.mosaicClock, 233, 2, 1.0, 15.0);
    const double elevation = sineWave(s.mosaicClock, 38, 4882, 0.0, h);
    const double azimuth = sineWave(s.mosaicClock, 34, 288, 0.0, h);
    s.mosaicClock += 0.0005;

    glRotated(turn, 0, 0, 1);
    glPushMatrix();
    glRotated(turn, 1, 0, 0);
    glTranslated(distance * std::cos(elevation) * std::cos(azimuth),
                 distance * std::cos(elevation) * std::sin(azimuth),
                 distance * std::sin(elevation) + w * 0.3333333333333333);
    glColor4d(0.04 * (v + w), 0.03 * (u + w), 1.0 - 0.04 * (u + v) * w, squareAlpha());
    drawUnitSquare(squareAlpha());
    glPopMatrix();
}

void drawBrokenMosaic() {
    SceneState &s = scene;
    if (s.mosaicClock == 0.0) {
        srand(static_cast<unsigned int>(calendarTime()));
        s.mosaicClock = rand() * randomScale;
        s.mosaicSpinClock = rand() * randomScale;
    }

    applyEffectPreamble(0, -6, -25);

    for (double u = -10.0; u < 10.0; u += 10.0) {
        glPushMatrix();
        for (double v = -10.0; v < 10.0; v += 10.0) {
            const double size = sineWave(s.mosaicSpinClock, 23, 127, 1.0, 50.0);
            const double p = sineWave(s.mosaicSpinClock, 38, 282, 0.0, twoPi);
            const double q = sineWave(s.mosaicSpinClock, 34, 1857, 0.0, twoPi);
            s.mosaicSpinClock += 0.005;

            glPushMatrix();
            glRotated(size * std::cos(p) * std::cos(q), 1, 0, 0);
            glRotated(size * std::cos(p) * std::sin(q), 0, 1, 0);
            glRotated(size * std::sin(p), 0, 0, 1);
            for (double w = 0.0; w < 20.0; w += 2.0) {
                drawMosaicTile(u, v, w);
            }
            glPopMatrix();
        }
        glPopMatrix();
    }
}

} // namespace nimbrost
