#include "platform/win32.h"

// No MIDI output device exists yet on this platform: opening reports that no driver is present
// and leaves the handle null, which the program treats as silence.

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
    if (phmo != nullptr) {
        *phmo = nullptr;
    }
    return MMSYSERR_NODRIVER;
}

MMRESULT midiOutShortMsg(HMIDIOUT, DWORD) {
    return MMSYSERR_INVALHANDLE;
}

MMRESULT midiOutClose(HMIDIOUT) {
    return MMSYSERR_INVALHANDLE;
}
