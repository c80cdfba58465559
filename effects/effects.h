// The effects' draw procedures, one per registry row.
#pragma once

namespace nimbrost {

void drawSquareRoots();
// Stands in for an effect that is still to come: camera, rotation and veil only.
void drawPendingEffect();

} // namespace nimbrost
