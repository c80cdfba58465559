// "Dancing polaroids": 40 rectangles of the effect's own in four stacks of ten, pushed off their
// grid points by an oscillating radius along one common polar angle, lifted, dropped and turned.
// The angle grows or shrinks from rectangle to rectangle within a frame, fanning the stacks out
// along a spiral, and is put back at the end of the frame. No square field, no outline.
#include <cmath>

#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

// A hundred turns of the program's two pi.
static constexpr double polaroidAngleLimit = 628.31853072;

// Rectangle k at grid point (p, q) and height step u.
static void drawPolaroid(double p, double q, double u, int k, double angleStep) {
    SceneState &s = scene;
    const double w = pulseWave(s.polaroidClock, 590, k + 42, 0, 0.7);
    const double a = pulseWave(s.polaroidClock, 1310, k + 541, 0, 1);
    const double b = sineWave(s.polaroidWobbleClock, 381, 0, 0, angleStep);
    const double e1 = pulseWave(s.polaroidClock, 600, 5 * k, 0, 0.7);
    const double e2 = sineWave(s.polaroidClock, 127, k, 0, 1);
    const double e3 = pulseWave(s.polaroidClock, 999, k, 0, 1);
    const double f = sineWave(s.polaroidSpiralClock, 10304, 122, 1, 1.005);
    const double bound = p + q + k;
    const double sway = sineWave(s.polaroidClock, 180, 3, -bound, bound);
    const double i = pulseWave(s.polaroidClock, 1730, 410, 0, 90);
    const double j = sineWave(s.polaroidClock, 750, 300, 5, 30);

    const double radius = b + (w + 1) - a;
    const double height = e2 * e1 - e3 + (k / 5);
    s.polaroidAngle = s.polaroidAngle * std::pow(f, 0.2 * sway);

    glPushMatrix();
    glTranslated(p + radius * std::cos(s.polaroidAngle), q + radius * std::sin(s.polaroidAngle),
                 height + u);
    glRotated(s.polaroidAngle * degreesPerRadian, 0, 1, 1);
    glRotated(j + i, 0, 0, 1);
    glColor4d(0.04 * (q + u), 0.03 * (p + u), 1 - 0.04 * u * (p + q), squareAlpha());
    glRectd(0, 0, 1, 1);
    glPopMatrix();
}

void drawDancingPolaroids() {
    SceneState &s = scene;
    if (s.polaroidClock == 0.0) {
        srand(static_cast<unsigned int>(calendarTime()));
        s.polaroidClock = static_cast<double>(rand() % 1000);
    }

    s.polaroidWobbleClock += 10 * sineWave(s.polaroidClock, 530, 0, -0.75, 0.75);
    const double angleStep = sineWave(s.polaroidWobbleClock, 2700, 400, -0.1, 0.1);
    s.polaroidAngle += angleStep;
    while (s.polaroidAngle > polaroidAngleLimit) {
        s.polaroidAngle -= polaroidAngleLimit;
    }
    const double baseAngle = s.polaroidAngle;

    applyEffectPreamble(0, 0, -25);

    int k = 0;
    for (double p = -10; p < 10; p += 10) {
        glPushMatrix();
        glRotated(sineWave(s.polaroidClock, 750, 300, 5, 30), 0, 1, 0);
        for (double q = -10; q < 10; q += 10) {
            glPushMatrix();
            for (double u = 0; u < 20; u += 2) {
                drawPolaroid(p, q, u, k, angleStep);
                k += 1;
            }
            glPopMatrix();
        }
        glPopMatrix();
    }

    s.polaroidSpiralClock += 0.5;
    s.polaroidAngle = baseAngle;
    s.polaroidClock += 0.5;
}

} // namespace nimbrost
