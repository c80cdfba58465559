// nimbrost-bare-frame: the least an OpenGL program on X does to show frames, for the benchmark to
// set beside the program's start. It opens the display, makes an 800x600 window of the program's
// pixel format with a compatibility context, maps it and draws a square each frame until it is
// ended. Its start-up cost is what the X libraries and the GL driver take whoever calls them.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

int main() {
    Display *display = XOpenDisplay(nullptr);
    int pixelFormat[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
        8,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo *visual = display != nullptr
                              ? glXChooseVisual(display, DefaultScreen(display), pixelFormat)
                              : nullptr;
    if (visual == nullptr) {
        std::fputs("nimbrost-bare-frame: no X display with an OpenGL visual\n", stderr);
        return 1;
    }
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    const Window window = XCreateWindow(display, root, 0, 0, 800, 600, 0, visual->depth,
                                        InputOutput, visual->visual, CWColormap, &attributes);
    // The title the frame watcher looks for.
    XStoreName(display, window, "Nimbrost");
    XMapWindow(display, window);
    const GLXContext context = glXCreateContext(display, visual, nullptr, True);
    glXMakeCurrent(display, window, context);
    for (;;) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
        glXSwapBuffers(display, window);
        usleep(16667);
    }
}
