// The effects' draw procedures, one per registry row, and the rules that several effects share.
#pragma once

#include <cstdint>

#include "scene/scene.h"

namespace nimbrost {

void drawSquareRoots();       // key '1'
void drawDancingPolaroids();  // key '2'
void drawWishingWell();       // key '3'
void drawBipolarAttractors(); // key '4'
void drawPolarFlowers();      // key '5'
void drawTurbulenceBubble();  // key '6'
void drawOscilloscope();      // key '7'
void drawBrokenMosaic();      // key '8'

// "Wishing well": moves `count` consecutive squares from `first` under the iterated sine map and
// recolours them from `wellColorClock`, with update indices 0 to count - 1. A count of 0 or less
// does nothing.
void updateWellSquares(Square *first, int count);

// The colour cycle ("Wishing well", "Bipolar attractors", "Polar flowers", "Turbulence bubble",
// "Oscilloscope"): r, g, b from the colour clock, then the clock's step, which depends on the
// square's index.
void cycleSquareColor(Square &square, double &colorClock, std::uint32_t index);

// The polar placement with its note ("Bipolar attractors" to "Oscilloscope"), from radius R,
// elevation A and azimuth B (radians), in the effects' order: store the point, advance the
// shape clock by 0.0005, add trunc((Z + Y + X) - B) to `noteMessage`, then shift square `index`
// by 0.2 * index on each axis when `squarePersonality` is on.
void placeOnPolarPoint(Square &square, int index, double radius, double elevation, double azimuth,
                       double &shapeClock);

// The usual drawing of a field square: at its place and turns, face colour r, g, b with alpha
// `squareAlpha`, outline alpha 1.0. ("Turbulence bubble" draws its own: opaque face.)
void drawFieldSquare(const Square &square);
// The same from the current place on: the square's own turns, then the square.
void turnAndDrawSquare(const Square &square);

} // namespace nimbrost
