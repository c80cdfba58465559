#include "scene/scene.h"

namespace nimbrost {

void drawFrame() {
    const GLbitfield mask = scene.settings.clearColorBuffer
                                ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT
                                : GL_DEPTH_BUFFER_BIT;
    glClear(mask);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scene.currentEffect();
    scene.frameCount += 1;
    if (scene.settings.sound && scene.midiOut != nullptr) {
        midiOutShortMsg(scene.midiOut, scene.noteMessage);
    }
}

void addToNoteMessage(double value) {
    // Truncate toward zero first, then add in unsigned arithmetic so the sum wraps at 2^32.
    scene.noteMessage += static_cast<DWORD>(static_cast<std::int32_t>(value));
}

} // namespace nimbrost
