// Display modes through RandR (display_modes.cpp), beyond the Win32 calls.
#pragma once

namespace platform {

// Puts the display back into the mode it had before the program changed it, if it did.
void restoreDesktopMode();

// The refresh period of the display's current mode in microseconds: RandR's rate for the mode,
// or 60 Hz when it is unknown. RandR is asked once, and again after a change of mode.
long refreshPeriod();

} // namespace platform
