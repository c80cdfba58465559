#include "scene/scene.h"
#include "shell/shell.h"

namespace nimbrost {

namespace {

std::int32_t flipped(std::int32_t flag) {
    return flag == 0 ? 1 : 0;
}

// Key releases, by virtual-key code. Every code but P's has a second key that does the same.
void handleKeyRelease(WPARAM code) {
    Settings &settings = scene.settings;
    switch (code) {
    case VK_ESCAPE:
        PostQuitMessage(0);
        break;
    case VK_F1:
        settings.showInfo = flipped(settings.showInfo);
        break;
    case VK_NUMPAD6:
    case 'F':
        settings.windowed = flipped(settings.windowed);
        setFullScreen(settings.windowed == 0 ? 1 : 0);
        break;
    case VK_NUMPAD2:
    case 'B':
        settings.squareBorders = flipped(settings.squareBorders);
        break;
    case 'P':
        settings.squarePersonality = flipped(settings.squarePersonality);
        break;
    case VK_SUBTRACT:
    case 'M':
        settings.rotateCamera = flipped(settings.rotateCamera);
        break;
    case VK_NUMPAD3:
    case 'C':
        settings.clearColorBuffer = flipped(settings.clearColorBuffer);
        break;
    case VK_SEPARATOR:
    case 'L':
        settings.lighting = flipped(settings.lighting);
        if (settings.lighting) {
            glEnable(GL_LIGHTING);
        } else {
            glDisable(GL_LIGHTING);
        }
        break;
    case VK_F3:
    case 'R':
        scene.camera.rotX = 0.0;
        scene.camera.rotY = 0.0;
        scene.camera.rotZ = 0.0;
        break;
    case VK_F4:
    case 'S':
        settings.sound = flipped(settings.sound);
        reopenMidiOut();
        break;
    case VK_F5:
    case 'T':
        settings.transparency = flipped(settings.transparency);
        applyTransparency();
        break;
    default:
        // The effect whose key is the code's low byte; the main keyboard's digits 1 to 8.
        chooseEffect(static_cast<unsigned char>(code & 0xFF));
        break;
    }
}

// The client-area position in a mouse message: two signed 16-bit halves.
double pointerX(LPARAM lParam) {
    return static_cast<double>(static_cast<short>(LOWORD(lParam)));
}
double pointerY(LPARAM lParam) {
    return static_cast<double>(static_cast<short>(HIWORD(lParam)));
}

// A press anchors the drag at the pointer's screen position.
void anchorDrag() {
    POINT pointer = {0, 0};
    GetCursorPos(&pointer);
    scene.anchorX = static_cast<double>(pointer.x);
    scene.anchorY = static_cast<double>(pointer.y);
}

// Left drags move the camera, right drags turn it; Ctrl puts either on the third axis.
void dragCamera(WPARAM buttons, LPARAM lParam) {
    const double x = pointerX(lParam);
    const double y = pointerY(lParam);
    const bool control = (buttons & MK_CONTROL) != 0;
    if (buttons & MK_LBUTTON) {
        if (control) {
            moveCamera(0, 0, y);
        } else {
            moveCamera(x, y, 0);
        }
    } else if (buttons & MK_RBUTTON) {
        if (control) {
            turnCamera(0, 0, y);
        } else {
            turnCamera(y, x, 0);
        }
    }
}

// One notch (120) moves the camera 12 units along Z, positive away from the user.
void wheelCamera(WPARAM wParam) {
    const short delta = static_cast<short>(HIWORD(wParam));
    scene.camera.posZ = scene.camera.posZ + delta * 0.1;
}

} // namespace

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYUP:
        handleKeyRelease(wParam);
        return 0;
    case WM_MOUSEMOVE:
        dragCamera(wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        anchorDrag();
        return 0;
    case WM_MOUSEWHEEL:
        wheelCamera(wParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace nimbrost
