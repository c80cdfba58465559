// Fuzz target: what reaches the window procedure. The input is decoded into window messages
// (key releases and presses, pointer moves with MK_ button and modifier bits, button presses,
// wheel turns, close, and any other message number) interleaved with frames, each with the help
// overlay when it is on, on a headless OpenGL context over the recording platform.
// Checks after every frame: every number in the scene state finite, the modelview stack back at
// depth 1, and no OpenGL error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "scene/scene.h"
#include "shell/shell.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/frame_checks.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

namespace {

// The keys the program knows, with their second codes.
const WPARAM knownKeys[] = {
    VK_ESCAPE,    VK_F1, 'F',        VK_NUMPAD6, 'C', VK_NUMPAD3,  'T', VK_F5, 'L',
    VK_SEPARATOR, 'B',   VK_NUMPAD2, 'P',        'M', VK_SUBTRACT, 'R', VK_F3, 'S',
    VK_F4,        '1',   '2',        '3',        '4', '5',         '6', '7',   '8'};
const std::size_t knownKeyCount = sizeof knownKeys / sizeof knownKeys[0];

struct Input {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t at;

    // Low bytes first; each read in its own statement, so that every compiler reads in order.
    bool more() const { return at < size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::uint16_t word() {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | byte() << 8);
    }
    std::uint32_t dword() {
        const std::uint32_t low = word();
        return low | static_cast<std::uint32_t>(word()) << 16;
    }
};

const HWND window = reinterpret_cast<HWND>(1);

LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
    return nimbrost::windowProc(window, message, wParam, lParam);
}

void drawFrames(int count) {
    for (int i = 0; i < count; ++i) {
        const char *fault = framechecks::drawCheckedFrame(nimbrost::averageFrameRate);
        FUZZ_CHECK(fault == nullptr, "after frame %u of effect %p: %s", scene.frameCount,
                   reinterpret_cast<void *>(scene.currentEffect), fault);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    startFuzzContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input input{data, size, 0};
    scene = nimbrost::SceneState();
    recording::clear();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // The start of WinMain: windowed or full screen, the first effect, the scene reset.
    scene.settings.windowed = input.byte() & 1;
    scene.mainWindow = window;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    nimbrost::initOpenGL(window, &deviceContext, &renderingContext);
    nimbrost::resetScene();
    while (input.more()) {
        switch (input.byte() % 8) {
        case 0: {
            const std::uint8_t key = input.byte();
            send(WM_KEYUP, key < 2 * knownKeyCount ? knownKeys[key % knownKeyCount] : key,
                 0xC0000001);
            break;
        }
        case 1: { // any message number, with any parameters
            const UINT message = input.word();
            const WPARAM wParam = input.dword();
            send(message, wParam, static_cast<LPARAM>(input.dword()));
            break;
        }
        case 2: {
            const WPARAM buttons =
                input.byte() & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON);
            send(WM_MOUSEMOVE, buttons, static_cast<LPARAM>(input.dword()));
            break;
        }
        case 3: {
            const bool left = input.byte() & 1;
            recording::given.cursorPosition = POINT{static_cast<std::int16_t>(input.word()),
                                                    static_cast<std::int16_t>(input.word())};
            send(left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, 0);
            break;
        }
        case 4: {
            const WPARAM buttons = input.byte() & (MK_LBUTTON | MK_RBUTTON | MK_CONTROL);
            send(WM_MOUSEWHEEL, MAKEWPARAM(buttons, input.word()), 0);
            break;
        }
        case 5:
            send(WM_CLOSE, 0, 0);
            break;
        case 6:
            drawFrames(input.byte() % 4 + 1);
            break;
        default: // time passes
            recording::given.tickCount += input.byte() * 16u;
            break;
        }
    }
    drawFrames(1);
    nimbrost::shutdownOpenGL(window, deviceContext, renderingContext);
    recording::useTestContext(true);
    glPopAttrib();
    return 0;
}
