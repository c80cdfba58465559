// What the MIDI output costs, printed as it is measured: opening, re-opening, one message, the
// audio thread, memory. Returns the process's exit code.
#pragma once

int midiRun(bool quick);
