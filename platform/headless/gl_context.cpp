#include "platform/headless/gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace headless {

namespace {

struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
};

struct Context {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    FramebufferFunctions fb = {};
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    int width = 0;
    int height = 0;
};

Context current;

template <typename Fn>
bool load(Fn &fn, const char *name) {
    fn = reinterpret_cast<Fn>(eglGetProcAddress(name));
    return fn != nullptr;
}

bool loadFramebufferFunctions(FramebufferFunctions &fb) {
    return load(fb.genFramebuffers, "glGenFramebuffers") &&
           load(fb.deleteFramebuffers, "glDeleteFramebuffers") &&
           load(fb.bindFramebuffer, "glBindFramebuffer") &&
           load(fb.genRenderbuffers, "glGenRenderbuffers") &&
           load(fb.deleteRenderbuffers, "glDeleteRenderbuffers") &&
           load(fb.bindRenderbuffer, "glBindRenderbuffer") &&
           load(fb.renderbufferStorage, "glRenderbufferStorage") &&
           load(fb.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           load(fb.checkFramebufferStatus, "glCheckFramebufferStatus");
}

void deleteTarget() {
    const FramebufferFunctions &fb = current.fb;
    if (current.framebuffer != 0) {
        fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
        fb.deleteFramebuffers(1, &current.framebuffer);
        fb.deleteRenderbuffers(1, &current.colorBuffer);
        fb.deleteRenderbuffers(1, &current.depthBuffer);
        current.framebuffer = current.colorBuffer = current.depthBuffer = 0;
    }
}

bool makeTarget(int width, int height) {
    const FramebufferFunctions &fb = current.fb;
    fb.genRenderbuffers(1, &current.colorBuffer);
    fb.bindRenderbuffer(GL_RENDERBUFFER, current.colorBuffer);
    fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    fb.genRenderbuffers(1, &current.depthBuffer);
    fb.bindRenderbuffer(GL_RENDERBUFFER, current.depthBuffer);
    fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    fb.genFramebuffers(1, &current.framebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, current.framebuffer);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                               current.colorBuffer);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                               current.depthBuffer);
    if (fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
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
    if (extensions == nullptr ||
        std::strstr(extensions, "EGL_MESA_platform_surfaceless") == nullptr) {
        return fail(error, "EGL has no surfaceless platform (Mesa's EGL is needed)");
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return fail(error, "EGL lacks eglGetPlatformDisplayEXT");
    }
    current.display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (current.display == EGL_NO_DISPLAY || !eglInitialize(current.display, nullptr, nullptr)) {
        return fail(error, "cannot open the surfaceless EGL display");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return fail(error, "EGL cannot bind the desktop OpenGL API");
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
    if (!loadFramebufferFunctions(current.fb)) {
        return fail(error, "OpenGL lacks framebuffer objects");
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

int targetWidth() {
    return current.width;
}
int targetHeight() {
    return current.height;
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
