#include "tests/support/frame_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "shell/shell.h"

using nimbrost::scene;
using nimbrost::SceneState;

namespace framechecks {

namespace {

using S = SceneState;
// Every floating-point member of the scene state outside the camera and the square field.
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

const char *frameFault() {
    const nimbrost::Camera &c = scene.camera;
    bool finite = allFinite({c.posX, c.posY, c.posZ, c.rotX, c.rotY, c.rotZ});
    for (double SceneState::*number : sceneNumbers) {
        finite = finite && std::isfinite(scene.*number);
    }
    for (const nimbrost::Square &s : scene.squareField) {
        finite = finite && allFinite({s.x, s.y, s.z, s.r, s.g, s.b, s.rotX, s.rotY, s.rotZ});
    }
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return !finite                       ? "a number in the scene state is not finite"
           : depth != 1                  ? "the modelview stack is not back at depth 1"
           : glGetError() != GL_NO_ERROR ? "OpenGL reports an error"
                                         : nullptr;
}

} // namespace

void startContext(int size) {
    const char *error = nullptr;
    if (!headless::createContext(size, size, &error)) {
        std::fprintf(stderr, "%s\n", error);
        std::exit(1);
    }
}

void release(WPARAM key) {
    nimbrost::windowProc(scene.mainWindow, WM_KEYUP, key, 0xC0000001);
}

const char *drawCheckedFrame(double (*fps)()) {
    nimbrost::drawFrame();
    if (scene.settings.showInfo) {
        nimbrost::drawOverlay(fps());
    }
    return frameFault();
}

} // namespace framechecks
