// Starting the scene and choosing an effect, as the program does: at start-up the first effect of
// the registry becomes current and the scene is reset; a key release then chooses an effect by
// its key, with a reset of its own.
#include "scene/scene.h"

namespace nimbrost {

void chooseFirstEffect() {
    scene.currentEffect = effectRegistry[0].draw;
}

bool chooseEffect(unsigned char key) {
    const EffectFn effect = findEffect(key);
    if (effect == nullptr) {
        return false;
    }
    scene.currentEffect = effect;
    resetScene();
    return true;
}

void startScene(int width, int height, std::int32_t windowed, unsigned char key) {
    scene.width = width;
    scene.height = height;
    scene.settings.windowed = windowed;
    chooseFirstEffect();
    resetScene();
    if (key != 0) {
        chooseEffect(key);
    }
}

} // namespace nimbrost
