#include "platform/headless/gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
// The framebuffer functions are OpenGL 3.0's, which libGL exports.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace headless {

namespace {

struct Context {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    int width = 0;
    int height = 0;
};

Context current;

void deleteTarget() {
    if (current.framebuffer != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &current.framebuffer);
        glDeleteRenderbuffers(1, &current.colorBuffer);
        glDeleteRenderbuffers(1, &current.depthBuffer);
        current.framebuffer = current.colorBuffer = current.depthBuffer = 0;
    }
}

bool makeTarget(int width, int height) {
    glGenRenderbuffers(1, &current.colorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, current.colorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glGenRenderbuffers(1, &current.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, current.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glGenFramebuffers(1, &current.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, current.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              current.colorBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              current.depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        deleteTarget();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    current.width = width;
    current.height = height;
    return true;
}

bool fail(const char **error, const char *why) {
    if (error != nullptr) {
        *error = why;
    }
    destroyContext();
    return false;
}

} // namespace

bool createContext(int width, int height, const char **error) {
    if (current.context != EGL_NO_CONTEXT) {
        return resizeTarget(width, height) || fail(error, "cannot make a drawing target");
    }
    const char *extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (extensions == nullptr || getPlatformDisplay == nullptr ||
        std::strstr(extensions, "EGL_MESA_platform_surfaceless") == nullptr) {
        return fail(error, "EGL has no surfaceless platform (Mesa's EGL is needed)");
    }
    current.display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (current.display == EGL_NO_DISPLAY || !eglInitialize(current.display, nullptr, nullptr) ||
        !eglBindAPI(EGL_OPENGL_API)) {
        return fail(error, "cannot open the surfaceless EGL display for desktop OpenGL");
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(current.display, configAttributes, &config, 1, &configCount) ||
        configCount < 1) {
        return fail(error, "EGL offers no desktop OpenGL configuration");
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    current.context = eglCreateContext(current.display, config, EGL_NO_CONTEXT, contextAttributes);
    if (current.context == EGL_NO_CONTEXT) {
        return fail(error, "cannot create an OpenGL compatibility context");
    }
    if (!eglMakeCurrent(current.display, EGL_NO_SURFACE, EGL_NO_SURFACE, current.context)) {
        return fail(error, "cannot make the OpenGL context current without a surface");
    }
    if (!makeTarget(width, height)) {
        return fail(error, "cannot make a drawing target of that size");
    }
    return true;
}

bool resizeTarget(int width, int height) {
    if (current.context == EGL_NO_CONTEXT) {
        return false;
    }
    if (width == current.width && height == current.height && current.framebuffer != 0) {
        return true;
    }
    deleteTarget();
    return makeTarget(width, height);
}

void destroyContext() {
    if (current.context != EGL_NO_CONTEXT) {
        deleteTarget();
        eglMakeCurrent(current.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(current.display, current.context);
    }
    if (current.display != EGL_NO_DISPLAY) {
        eglTerminate(current.display);
    }
    current = Context();
}

int maxTargetSize() {
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return renderbuffer < viewport[0] ? renderbuffer : viewport[0];
}

void readPixels(std::vector<std::uint8_t> &rgba) {
    const int w = current.width;
    const int h = current.height;
    const std::size_t row = static_cast<std::size_t>(w) * 4;
    rgba.resize(row * static_cast<std::size_t>(h));
    std::vector<std::uint8_t> bottomUp(rgba.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int y = 0; y < h; ++y) {
        std::memcpy(&rgba[row * static_cast<std::size_t>(y)],
                    &bottomUp[row * static_cast<std::size_t>(h - 1 - y)], row);
    }
}

} // namespace headless
