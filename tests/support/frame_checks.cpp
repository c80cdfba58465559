#include "tests/support/frame_checks.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "scene/scene.h"

using nimbrost::scene;
using nimbrost::SceneState;

namespace framechecks {

namespace {

using S = SceneState;
// Every floating-point member of the scene state outside the square field.
// clang-format off
double S::*const sceneNumbers[] = {
    &S::anchorX, &S::anchorY, &S::anchorZ, &S::rootsAzimuthClock, &S::rootsSpinClockX,
    &S::rootsElevationClock, &S::rootsSpinClockY, &S::rootsRadiusClock, &S::rootsSpinClockZ,
    &S::polaroidClock, &S::polaroidWobbleClock, &S::polaroidAngle, &S::polaroidSpiralClock,
    &S::wellColorClock, &S::wellClock, &S::attractorClock, &S::attractorColorClock,
    &S::flowersClock, &S::flowersColorClock, &S::bubbleClock, &S::bubbleColorClock, &S::scopeClock,
    &S::scopeColorClock, &S::mosaicClock, &S::mosaicSpinClock};
// clang-format on

bool allFinite(std::initializer_list<double> numbers) {
    return std::all_of(numbers.begin(), numbers.end(), [](double n) { return std::isfinite(n); });
}

} // namespace

const char *frameFault() {
    for (double SceneState::*number : sceneNumbers) {
        if (!std::isfinite(scene.*number)) {
            return "a clock or drag anchor is not finite";
        }
    }
    const nimbrost::Camera &c = scene.camera;
    if (!allFinite({c.posX, c.posY, c.posZ, c.rotX, c.rotY, c.rotZ})) {
        return "the camera is not finite";
    }
    for (const nimbrost::Square &s : scene.squareField) {
        if (!allFinite({s.x, s.y, s.z, s.r, s.g, s.b, s.rotX, s.rotY, s.rotZ})) {
            return "a square is not finite";
        }
    }
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    if (depth != 1) {
        return "the modelview stack is not back at depth 1";
    }
    if (glGetError() != GL_NO_ERROR) {
        return "OpenGL reports an error";
    }
    return nullptr;
}

const char *drawCheckedFrame(double (*fps)()) {
    nimbrost::drawFrame();
    if (scene.settings.showInfo) {
        nimbrost::drawOverlay(fps());
    }
    return frameFault();
}

} // namespace framechecks
