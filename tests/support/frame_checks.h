// What the fuzz targets and the soak share: a small headless OpenGL context, key releases sent to
// the window procedure, and frames checked for what must hold after every frame, however the
// program was driven: every number in the scene state finite, the modelview stack back at depth
// 1, and no OpenGL error.
#pragma once

#include "platform/win32.h"

namespace framechecks {

// Makes a size x size headless context current; ends the process with the reason when there is
// none.
void startContext(int size);
// Sends the window procedure the release of `key`, as the keyboard does.
void release(WPARAM key);
// Draws a frame as the program's loop does, with the overlay at the rate `fps` gives, taken after
// the frame, when it is shown. Null when all holds after it, else what does not, in a few words.
const char *drawCheckedFrame(double (*fps)());

} // namespace framechecks
