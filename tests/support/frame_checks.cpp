#include "tests/support/frame_checks.h"

#include <cmath>
#include <initializer_list>

#include "scene/scene.h"

using nimbrost::scene;
using nimbrost::SceneState;

namespace framechecks {

namespace {

// Every floating-point member of the scene state outside the square field.
double SceneState::*const sceneNumbers[] = {
    &SceneState::anchorX,
    &SceneState::anchorY,
    &SceneState::anchorZ,
    &SceneState::rootsAzimuthClock,
    &SceneState::rootsSpinClockX,
    &SceneState::rootsElevationClock,
    &SceneState::rootsSpinClockY,
    &SceneState::rootsRadiusClock,
    &SceneState::rootsSpinClockZ,
    &SceneState::polaroidClock,
    &SceneState::polaroidWobbleClock,
    &SceneState::polaroidAngle,
    &SceneState::polaroidSpiralClock,
    &SceneState::wellColorClock,
    &SceneState::wellClock,
    &SceneState::attractorClock,
    &SceneState::attractorColorClock,
    &SceneState::flowersClock,
    &SceneState::flowersColorClock,
    &SceneState::bubbleClock,
    &SceneState::bubbleColorClock,
    &SceneState::scopeClock,
    &SceneState::scopeColorClock,
    &SceneState::mosaicClock,
    &SceneState::mosaicSpinClock,
};

bool allFinite(std::initializer_list<double> numbers) {
    for (double number : numbers) {
        if (!std::isfinite(number)) {
            return false;
        }
    }
    return true;
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

} // namespace framechecks
