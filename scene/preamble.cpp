#include "scene/scene.h"

namespace nimbrost {

double squareAlpha() {
    return scene.settings.clearColorBuffer ? 1.0 : 0.2;
}

// A black quad at 20 % opacity in the plane z = -20, moving with the camera: with the colour
// buffer kept between frames it darkens the earlier frames into fading trails.
static void drawFadeVeil() {
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4d(0, 0, 0, 0.2);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 1);
    glVertex3d(-50, 50, -20);
    glTexCoord2d(1, 1);
    glVertex3d(50, 50, -20);
    glTexCoord2d(1, 0);
    glVertex3d(50, -50, -20);
    glTexCoord2d(0, 0);
    glVertex3d(-50, -50, -20);
    glEnd();
    if (scene.settings.lighting) {
        glEnable(GL_LIGHTING);
    }
    if (scene.settings.transparency) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
}

void applyEffectPreamble(double dx, double dy, double dz) {
    Camera &camera = scene.camera;
    glTranslated(camera.posX + dx, camera.posY + dy, camera.posZ + dz);
    glRotated(camera.rotX, 1, 0, 0);
    glRotated(camera.rotY, 0, 1, 0);
    glRotated(camera.rotZ, 0, 0, 1);
    if (scene.settings.rotateCamera) {
        camera.rotX += 0.1;
        camera.rotY += 0.1;
        camera.rotZ += 0.1;
    }
    if (!scene.settings.clearColorBuffer) {
        drawFadeVeil();
    }
}

void drawUnitSquare(double borderAlpha) {
    glRectd(0, 0, 1, 1);
    if (scene.settings.squareBorders) {
        glColor4d(1, 1, 1, borderAlpha);
        glBegin(GL_LINE_LOOP);
        glVertex3d(0, 0, 0);
        glVertex3d(0, 1, 0);
        glVertex3d(1, 1, 0);
        glVertex3d(1, 0, 0);
        glEnd();
    }
}

} // namespace nimbrost
