#include "scene/scene.h"

namespace nimbrost {

SceneState scene;

std::time_t calendarTime() {
    return scene.calendarClock != nullptr ? scene.calendarClock() : std::time(nullptr);
}

EffectFn findEffect(unsigned char key) {
    for (const EffectEntry *row = effectRegistry; row->draw != nullptr; ++row) {
        if (static_cast<unsigned char>(row->key) == key) {
            return row->draw;
        }
    }
    return nullptr;
}

} // namespace nimbrost
