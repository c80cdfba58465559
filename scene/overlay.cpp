// The help and info overlay: key help with the state of every toggle, the frame rate, the camera
// and the effect list, in a column at the left edge, under a faint panel.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "scene/scene.h"

namespace nimbrost {

namespace {

const double textX = -0.985;
const double lineStep = 0.035;
const char rule[] = "------------------------------";

const char *onOff(std::int32_t flag) {
    return flag ? "on" : "off";
}

void drawText(double y, const char *text) {
    glRasterPos2d(textX, y);
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
}

// Formats one line into a fixed buffer; a line too long for it is cut.
[[gnu::format(printf, 2, 3)]] void drawLine(double y, const char *format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    drawText(y, text);
}

void drawHelp() {
    const Settings &s = scene.settings;
    drawText(0.4, "Help:");
    drawText(0.375, rule);
    drawText(0.35, "F1 - show help screen");
    drawText(0.315, "ESC - exit");
    drawLine(0.28, "F - fullscreen (%s)", s.windowed ? "off" : "on");
    drawLine(0.245, "L - lighting (%s)", onOff(s.lighting));
    drawLine(0.21, "T - transparency (%s)", onOff(s.transparency));
    drawLine(0.175, "C - clear color buffer (%s)", onOff(s.clearColorBuffer));
    drawLine(0.14, "P - square personality (%s)", onOff(s.squarePersonality));
    drawLine(0.105, "B - square borders (%s)", onOff(s.squareBorders));
    drawLine(0.07, "M - rotate camera (%s)", onOff(s.rotateCamera));
    drawText(0.035, "R - reset camera");
    drawLine(0.0, "S - sound (%s)", onOff(s.sound));
}

void drawInfo(double fps) {
    const Camera &c = scene.camera;
    drawText(-0.105, "Info:");
    drawText(-0.13, rule);
    drawLine(-0.155, "FPS: %2.2lf", fps);
    drawLine(-0.19, "pos: %2.2lf,%2.2lf,%2.2lf", c.posX, c.posY, c.posZ);
    drawLine(-0.225, "rot: %2.2lf,%2.2lf,%2.2lf", c.rotX, c.rotY, c.rotZ);
}

void drawEffectList() {
    drawText(-0.33, "Screensavers:");
    drawText(-0.355, rule);
    double y = -0.38;
    for (const EffectEntry *row = effectRegistry; row->draw != nullptr; ++row) {
        const bool current = row->draw == scene.currentEffect;
        if (current) {
            glColor3d(1.0, 0.15, 0.15);
        }
        drawLine(y, "%c - %s", row->key, row->name);
        y -= lineStep;
        if (current) {
            glColor3d(0.25, 0.75, 1.0);
        }
    }
    y -= lineStep;
    drawText(y, "* - has square personality");
    y -= lineStep;
    drawText(y, "+ - has sound");
}

} // namespace

void drawOverlay(double fps) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    GLint savedSrc = GL_ONE;
    GLint savedDst = GL_ZERO;
    glGetIntegerv(GL_BLEND_SRC, &savedSrc);
    glGetIntegerv(GL_BLEND_DST, &savedDst);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();

    // Character code c selects list fontListBase + (c - 32).
    glListBase(scene.fontListBase - 32);
    glColor3d(0.25, 0.75, 1.0);
    drawHelp();
    drawInfo(fps);
    drawEffectList();

    // The panel: the left 30 % of the viewport at 10 % opacity, over the text.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4d(0.25, 0.75, 1.0, 0.1);
    glTranslated(-1, -1, 0);
    glRectd(0, -0.01, 0.6, 2.0);

    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glBlendFunc(static_cast<GLenum>(savedSrc), static_cast<GLenum>(savedDst));
}

} // namespace nimbrost
