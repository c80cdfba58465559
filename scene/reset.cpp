#include <cstring>

#include "scene/scene.h"

namespace nimbrost {

// Depth test and blending for the current `transparency` flag: additive blending without depth
// test when on, opaque depth-tested drawing when off. Key T applies the same two branches.
void applyTransparency() {
    if (scene.settings.transparency) {
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
    } else {
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }
}

// Closes any open MIDI output and opens the default one again; a failure leaves it null.
void reopenMidiOut() {
    if (scene.midiOut != nullptr) {
        midiOutClose(scene.midiOut);
        scene.midiOut = nullptr;
    }
    midiOutOpen(&scene.midiOut, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
}

static void placeLights() {
    const GLfloat ambient0[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat position0[4] = {25.0f, 25.0f, 25.0f, 1.0f};
    const GLfloat diffuse0[4] = {1.0f, 0.0f, -1.0f, 0.0f};
    const GLfloat position1[4] = {25.0f, 25.0f, 2.1f, 1.0f};
    const GLfloat diffuse1[4] = {-1.0f, 1.0f, 0.0f, 0.0f};
    const GLfloat position2[4] = {25.0f, 50.0f, 2.1f, 1.0f};
    const GLfloat diffuse2[4] = {-1.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient0);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
    glLightfv(GL_LIGHT0, GL_POSITION, position0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse0);
    glLightfv(GL_LIGHT1, GL_POSITION, position1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    glLightfv(GL_LIGHT2, GL_POSITION, position2);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, diffuse2);
}

void resetScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DITHER);
    glFrontFace(GL_CCW);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    if (scene.settings.lighting) {
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
    applyTransparency();

    // The viewport is square, `width` on each side, anchored at the lower-left corner; with the
    // integer aspect (1 for every landscape size narrower than 2:1) the picture is not stretched.
    // A portrait area gives the integer aspect 0, no valid perspective: it gets 1, which matches
    // the square viewport too.
    glViewport(0, 0, scene.width, scene.width);
    int aspect = scene.height > 0 ? scene.width / scene.height : 0;
    if (aspect < 1) {
        aspect = 1;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(aspect), 1.0, 500.0);

    // The lights are placed relative to the camera as it was before this reset; the frame loads
    // the identity before drawing, so this translation only fixes their eye-space positions.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(scene.camera.posX - 12, scene.camera.posY - 25, scene.camera.posZ - 50);
    placeLights();

    scene.frameCount = 0;
    scene.camera.rotZ = 0.0;
    scene.camera.rotY = 0.0;
    scene.camera.rotX = 0.0;
    scene.camera.posX = -2.5;
    scene.camera.posY = -2.5;
    scene.camera.posZ = -30.0;
    scene.startTick = GetTickCount();
    initSquareField();
    scene.noteMessage = 0;
    reopenMidiOut();
}

void initSquareField() {
    Square *square = scene.squareField;
    std::int32_t group = 0;
    for (double u = -10.0; u < 10.0; u += 10.0) {
        for (double v = -10.0; v < 10.0; v += 10.0) {
            for (double w = 0.0; w < 20.0; w += 1.0) {
                std::memset(square, 0, sizeof *square);
                square->x = square->y = square->z = (v + u) + w;
                square->r = square->g = square->b = 0.5;
                square->group = group;
                square->rotX = square->rotY = square->rotZ = rand() * randomScale;
                ++square;
            }
            ++group;
        }
    }
}

} // namespace nimbrost
