// Fuzz target: what reaches the window procedure. The input is decoded into window messages
// (key releases and presses, pointer moves with MK_ button and modifier bits, button presses,
// wheel turns, close, and any other message number) interleaved with frames, each with the help
// overlay when it is on, on a headless OpenGL context over the recording platform. scripts/soak
// replays long inputs made for it: every effect for many frames with the toggles switching.
// Checks after every frame: every number in the scene state finite, the modelview stack back at
// depth 1, and no OpenGL error.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;
using S = nimbrost::SceneState;

namespace {

// The keys the program knows, with their second codes (scripts/soak picks keys by their place).
const WPARAM knownKeys[] = {
    VK_ESCAPE,    VK_F1, 'F',        VK_NUMPAD6, 'C', VK_NUMPAD3,  'T', VK_F5, 'L',
    VK_SEPARATOR, 'B',   VK_NUMPAD2, 'P',        'M', VK_SUBTRACT, 'R', VK_F3, 'S',
    VK_F4,        '1',   '2',        '3',        '4', '5',         '6', '7',   '8'};

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

// The input not read yet, read low bytes first, as zeros past its end.
const std::uint8_t *next, *end;
std::uint32_t take(int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= static_cast<std::uint32_t>(next < end ? *next++ : 0) << 8 * i;
    }
    return value;
}

void send(UINT message, WPARAM wParam, LPARAM lParam) {
    nimbrost::windowProc(scene.mainWindow, message, wParam, lParam);
}

// Frames as the program's loop draws them, each checked.
void drawFrames(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        nimbrost::drawFrame();
        if (scene.settings.showInfo) {
            nimbrost::drawOverlay(nimbrost::averageFrameRate());
        }
        recording::log.clear(); // a long run keeps no log
        const nimbrost::Camera &c = scene.camera;
        bool finite = allFinite({c.posX, c.posY, c.posZ, c.rotX, c.rotY, c.rotZ});
        for (double S::*number : sceneNumbers) {
            finite = finite && std::isfinite(scene.*number);
        }
        for (const nimbrost::Square &s : scene.squareField) {
            finite = finite && allFinite({s.x, s.y, s.z, s.r, s.g, s.b, s.rotX, s.rotY, s.rotZ});
        }
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        const GLenum error = glGetError();
        FUZZ_CHECK(finite && depth == 1 && error == GL_NO_ERROR,
                   "after frame %u of effect %p: finite %d, modelview depth %d, OpenGL error 0x%x",
                   scene.frameCount, reinterpret_cast<void *>(scene.currentEffect), finite, depth,
                   error);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const char *error = "";
    FUZZ_CHECK(headless::createContext(64, 64, &error), "%s", error);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    next = data;
    end = data + size;
    scene = nimbrost::SceneState();
    recording::clear();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // The start of WinMain: windowed or full screen, the first effect, the scene reset.
    scene.settings.windowed = take(1) & 1;
    scene.mainWindow = reinterpret_cast<HWND>(1);
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    nimbrost::initOpenGL(scene.mainWindow, &deviceContext, &renderingContext);
    nimbrost::resetScene();
    while (next < end) {
        switch (take(1) % 8) {
        case 0: {
            const std::uint32_t key = take(1);
            send(WM_KEYUP,
                 key < 2 * std::size(knownKeys) ? knownKeys[key % std::size(knownKeys)] : key,
                 0xC0000001);
            break;
        }
        case 1: { // any message number, with any parameters
            const UINT message = take(2);
            const WPARAM wParam = take(4);
            send(message, wParam, static_cast<LPARAM>(take(4)));
            break;
        }
        case 2: {
            const WPARAM buttons =
                take(1) & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON);
            send(WM_MOUSEMOVE, buttons, static_cast<LPARAM>(take(4)));
            break;
        }
        case 3: {
            const bool left = take(1) & 1;
            recording::given.cursorPosition =
                POINT{static_cast<std::int16_t>(take(2)), static_cast<std::int16_t>(take(2))};
            send(left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, 0);
            break;
        }
        case 4: {
            const WPARAM buttons = take(1) & (MK_LBUTTON | MK_RBUTTON | MK_CONTROL);
            send(WM_MOUSEWHEEL, MAKEWPARAM(buttons, take(2)), 0);
            break;
        }
        case 5:
            send(WM_CLOSE, 0, 0);
            break;
        case 6:
            drawFrames(take(1) % 4 + 1);
            break;
        default: // time passes
            recording::given.tickCount += take(1) * 16u;
            break;
        }
    }
    drawFrames(1);
    nimbrost::shutdownOpenGL(scene.mainWindow, deviceContext, renderingContext);
    recording::useTestContext(true);
    glPopAttrib();
    return 0;
}
