#include "scene/scene.h"
#include "shell/shell.h"

namespace nimbrost {

namespace {

// Brings an angle back into 0 to 360 by one correction; a step of more than a full turn can
// still leave it outside.
double wrapOnce(double degrees) {
    if (degrees >= 360) {
        return degrees - 360;
    }
    if (degrees < 0) {
        return degrees + 360;
    }
    return degrees;
}

} // namespace

// A pixel of drag moves the camera 0.1 units: right moves the picture right, down moves it down.
void moveCamera(double a, double b, double c) {
    Camera &camera = scene.camera;
    if (a != 0) {
        camera.posX = camera.posX + (a - scene.anchorX) * 0.1;
        scene.anchorX = a;
    }
    if (b != 0) {
        camera.posY = camera.posY - (b - scene.anchorY) * 0.1;
        scene.anchorY = b;
    }
    if (c != 0) {
        camera.posZ = camera.posZ - (c - scene.anchorZ) * 0.1;
        scene.anchorZ = c;
    }
}

// A pixel of drag turns the camera half a degree.
void turnCamera(double a, double b, double c) {
    Camera &camera = scene.camera;
    if (a != 0) {
        camera.rotX = wrapOnce(camera.rotX + (a - scene.anchorX) * 0.5);
        scene.anchorX = a;
    }
    if (b != 0) {
        camera.rotY = wrapOnce(camera.rotY - (b - scene.anchorY) * 0.5);
        scene.anchorY = b;
    }
    if (c != 0) {
        camera.rotZ = wrapOnce(camera.rotZ - (c - scene.anchorZ) * 0.5);
        scene.anchorZ = c;
    }
}

} // namespace nimbrost
