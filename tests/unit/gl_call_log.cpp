#include "tests/unit/gl_call_log.h"

namespace glcalls {

int pushes = 0;
std::vector<Draw> rects;
std::vector<Draw> lineLoops;

void clear() {
    pushes = 0;
    rects.clear();
    lineLoops.clear();
}

static Draw currentState() {
    Draw draw;
    glGetDoublev(GL_MODELVIEW_MATRIX, draw.modelview.data());
    glGetDoublev(GL_CURRENT_COLOR, draw.color.data());
    return draw;
}

} // namespace glcalls

extern "C" {

void __real_glPushMatrix(void);
void __real_glRectd(GLdouble x1, GLdouble y1, GLdouble x2, GLdouble y2);
void __real_glBegin(GLenum mode);

void __wrap_glPushMatrix(void) {
    ++glcalls::pushes;
    __real_glPushMatrix();
}

void __wrap_glRectd(GLdouble x1, GLdouble y1, GLdouble x2, GLdouble y2) {
    glcalls::rects.push_back(glcalls::currentState());
    __real_glRectd(x1, y1, x2, y2);
}

void __wrap_glBegin(GLenum mode) {
    if (mode == GL_LINE_LOOP) {
        glcalls::lineLoops.push_back(glcalls::currentState());
    }
    __real_glBegin(mode);
}

} // extern "C"
