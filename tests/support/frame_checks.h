// What must hold after every frame, however the program was driven: every number in the scene
// state finite, the modelview stack back at depth 1, and no OpenGL error. For the fuzz targets
// and the soak.
#pragma once

namespace framechecks {

// Null when all of it holds, else what does not, in a few words.
const char *frameFault();
// Draws a frame as the program's loop does, with the overlay at the rate `fps` gives, taken after
// the frame, when it is shown; then frameFault().
const char *drawCheckedFrame(double (*fps)());

} // namespace framechecks
