#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

const EffectEntry effectRegistry[] = {
    {drawSquareRoots, '1', "Square roots"},
    {drawPendingEffect, '2', "Dancing polaroids"},
    {drawPendingEffect, '3', "Wishing well"},
    {drawPendingEffect, '4', "Bipolar attractors *+"},
    {drawPendingEffect, '5', "Polar flowers *+"},
    {drawPendingEffect, '6', "Turbulence bubble *+"},
    {drawPendingEffect, '7', "Oscilloscope *+"},
    {drawPendingEffect, '8', "Broken mosaic"},
    {nullptr, 0, nullptr},
};

void drawPendingEffect() {
    applyEffectPreamble(0, -10, -25);
}

} // namespace nimbrost
