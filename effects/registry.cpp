#include "effects/effects.h"
#include "scene/scene.h"

namespace nimbrost {

const EffectEntry effectRegistry[] = {
    {drawSquareRoots, '1', "Square roots"},
    {drawDancingPolaroids, '2', "Dancing polaroids"},
    {drawWishingWell, '3', "Wishing well"},
    {drawBipolarAttractors, '4', "Bipolar attractors *+"},
    {drawPolarFlowers, '5', "Polar flowers *+"},
    {drawTurbulenceBubble, '6', "Turbulence bubble *+"},
    {drawOscilloscope, '7', "Oscilloscope *+"},
    {drawBrokenMosaic, '8', "Broken mosaic"},
    {nullptr, 0, nullptr},
};

} // namespace nimbrost
