#include "scene/scene.h"

namespace nimbrost {

int rand() {
    scene.randomState = scene.randomState * 214013u + 2531011u;
    return static_cast<int>((scene.randomState >> 16) & 0x7FFFu);
}

void srand(unsigned int seed) {
    scene.randomState = seed;
}

} // namespace nimbrost
