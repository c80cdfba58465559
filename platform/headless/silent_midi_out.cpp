#include "platform/win32.h"

// MIDI output for programs that must stay silent (the headless renderer, benchmarks): there is no
// device, so opening reports that no driver is present and leaves the handle null, which the
// program treats as silence.

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
    *phmo = nullptr;
    return MMSYSERR_NODRIVER;
}

MMRESULT midiOutShortMsg(HMIDIOUT, DWORD) {
    return MMSYSERR_INVALHANDLE;
}

MMRESULT midiOutClose(HMIDIOUT) {
    return MMSYSERR_INVALHANDLE;
}
