// A recording stand-in for the platform calls (tick counter, MIDI output), linked into the tests
// in place of platform/sdl. Every call is logged as one readable line, in order.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace recording {

// The log of platform calls since the last clear().
extern std::vector<std::string> calls;
// What GetTickCount returns.
extern DWORD tickCount;
// Whether midiOutOpen finds a device.
extern bool midiAvailable;

// Clears the log, sets the tick to 0, makes a MIDI device available and forgets open handles.
void clear();
// The logged calls whose text starts with `prefix`.
std::vector<std::string> callsStartingWith(const std::string &prefix);
// The number of MIDI outputs open at the moment.
int openMidiOutputs();

} // namespace recording
