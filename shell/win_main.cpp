#include <cstring>

#include "scene/scene.h"
#include "shell/shell.h"

using nimbrost::scene;

namespace {

// A non-empty tail must hold "/S", "/s" or "-win"; anything else is not meant for this program.
bool commandLineAccepted(const char *tail) {
    if (tail == nullptr || tail[0] == '\0') {
        return true;
    }
    return std::strstr(tail, "/S") != nullptr || std::strstr(tail, "/s") != nullptr ||
           std::strstr(tail, "-win") != nullptr;
}

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = nimbrost::windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = nimbrost::windowClassName;
    RegisterClassA(&windowClass);
}

// Handles every pending message, then draws one frame; returns when WM_QUIT arrives.
void runMessageLoop(HDC deviceContext) {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        nimbrost::drawFrame();
        if (scene.settings.showInfo) {
            nimbrost::drawOverlay(nimbrost::averageFrameRate());
        }
        SwapBuffers(deviceContext);
    }
}

} // namespace

namespace nimbrost {

const char windowClassName[] = "Nimbrost";

double averageFrameRate() {
    const DWORD elapsed = GetTickCount() - scene.startTick; // unsigned: survives the wrap
    return static_cast<double>(scene.frameCount) / (static_cast<double>(elapsed) * 0.001);
}

} // namespace nimbrost

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (!commandLineAccepted(commandLine)) {
        return 0;
    }
    scene.settings.windowed =
        commandLine != nullptr && std::strstr(commandLine, "-win") != nullptr ? 1 : 0;
    if (!scene.settings.windowed) {
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        if (screenWidth != 0) {
            scene.width = screenWidth;
        }
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        if (screenHeight != 0) {
            scene.height = screenHeight;
        }
    }

    registerWindowClass(instance);
    const DWORD style = scene.settings.windowed ? WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
                                                : WS_POPUP | WS_VISIBLE | WS_BORDER | WS_SYSMENU;
    scene.mainWindow =
        CreateWindowExA(0, nimbrost::windowClassName, nimbrost::windowClassName, style, 0, 0,
                        scene.width, scene.height, nullptr, nullptr, instance, nullptr);

    int exitCode = -1;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    if (scene.mainWindow != nullptr) {
        if (!scene.settings.windowed) {
            ShowCursor(FALSE);
        }
        scene.midiOut = nullptr;
        nimbrost::initOpenGL(scene.mainWindow, &deviceContext, &renderingContext);
        nimbrost::resetScene();
        runMessageLoop(deviceContext);
        exitCode = 0;
    }

    if (scene.midiOut != nullptr) {
        midiOutClose(scene.midiOut);
        scene.midiOut = nullptr;
    }
    nimbrost::shutdownOpenGL(scene.mainWindow, deviceContext, renderingContext);
    if (scene.mainWindow != nullptr) {
        DestroyWindow(scene.mainWindow);
    }
    return exitCode;
}
