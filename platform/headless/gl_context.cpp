#include "platform/headless/gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
// The framebuffer functions are OpenGL 3.0's, which libGL exports.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

namespace headless {

namespace {

struct Context {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0}; // colour and depth
    int width = 0;
    int height = 0;
};

Context current;

// Gives the framebuffer's colour and depth buffers the size, making them at the first call. The
// context's end frees them.
bool sizeTarget(int width, int height) {
    if (current.framebuffer == 0) {
        glGenFramebuffers(1, &current.framebuffer);
        glGenRenderbuffers(2, current.renderbuffers);
        glBindFramebuffer(GL_FRAMEBUFFER, current.framebuffer);
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    }
    const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT16};
    const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    for (int i = 0; i < 2; ++i) {
        glBindRenderbuffer(GL_RENDERBUFFER, current.renderbuffers[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER,
                                  current.renderbuffers[i]);
    }
    // A target that failed has no size, so that the next resize tries again.
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    current.width = complete ? width : 0;
    current.height = height;
    return complete;
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
    current.display =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (current.display == EGL_NO_DISPLAY) {
        return fail(error, "EGL has no surfaceless platform (Mesa's EGL is needed)");
    }
    if (!eglInitialize(current.display, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API)) {
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
    if (!sizeTarget(width, height)) {
        return fail(error, "cannot make a drawing target of that size");
    }
    return true;
}

bool resizeTarget(int width, int height) {
    if (current.context == EGL_NO_CONTEXT) {
        return false;
    }
    return (width == current.width && height == current.height) || sizeTarget(width, height);
}

// Ending the display frees the context, once it is no longer current.
void destroyContext() {
    if (current.display != EGL_NO_DISPLAY) {
        eglMakeCurrent(current.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
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
    const std::size_t row = static_cast<std::size_t>(current.width) * 4;
    rgba.resize(row * static_cast<std::size_t>(current.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // OpenGL reads rows bottom-up: each goes straight to its place.
    for (int y = 0; y < current.height; ++y) {
        glReadPixels(0, current.height - 1 - y, current.width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                     &rgba[row * static_cast<std::size_t>(y)]);
    }
}

} // namespace headless
