#include <cstring>

#include "scene/scene.h"
#include "shell/shell.h"

namespace nimbrost {

namespace {

constexpr GLsizei glyphCount = 96; // characters 32 to 127

void choosePixelFormat(HDC deviceContext) {
    PIXELFORMATDESCRIPTOR request;
    std::memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext, &request);
    SetPixelFormat(deviceContext, format, &request);
}

void makeFontLists(HDC deviceContext) {
    HFONT font = createGlyphFont();
    HGDIOBJ previous = SelectObject(deviceContext, font);
    scene.fontListBase = glGenLists(glyphCount);
    wglUseFontBitmapsA(deviceContext, 32, glyphCount, scene.fontListBase);
    SelectObject(deviceContext, previous);
    if (font != nullptr) {
        DeleteObject(font);
    }
}

} // namespace

HFONT createGlyphFont() {
    return CreateFontA(16, 8, 0, 0, FW_LIGHT, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       "Verdana");
}

void initOpenGL(HWND window, HDC *deviceContext, HGLRC *renderingContext) {
    *deviceContext = GetDC(window);
    choosePixelFormat(*deviceContext);
    *renderingContext = wglCreateContext(*deviceContext);
    wglMakeCurrent(*deviceContext, *renderingContext);
    chooseFirstEffect();
    if (!scene.settings.windowed) {
        setFullScreen(1);
    }
    makeFontLists(*deviceContext);
}

void shutdownOpenGL(HWND window, HDC deviceContext, HGLRC renderingContext) {
    setFullScreen(0);
    if (scene.fontListBase != 0) {
        glDeleteLists(scene.fontListBase, glyphCount);
        scene.fontListBase = 0;
    }
    wglMakeCurrent(nullptr, nullptr);
    if (renderingContext != nullptr) {
        wglDeleteContext(renderingContext);
    }
    if (deviceContext != nullptr) {
        ReleaseDC(window, deviceContext);
    }
}

} // namespace nimbrost
