#include <cstdint>

#include "platform/win32.h"
#include "platform/x11/synthesizer.h"

// The one MIDI output device, the embedded synthesizer, which the program opens as the MIDI
// mapper. It takes one client at a time. Handles are serial numbers, so that a handle closed
// once is refused from then on, even after the output has been opened again.

namespace {

struct MidiOutput {
    HMIDIOUT open;             // null while closed
    std::uintptr_t lastSerial; // the last serial number handed out
    DWORD runningStatus;       // the last channel status sent since the open, or 0
};

MidiOutput output;

bool isOpen(HMIDIOUT hmo) {
    return hmo != nullptr && hmo == output.open;
}

// Plays one channel message; `status` is 0x80 to 0xEF, the data bytes are 7-bit values.
void playChannelMessage(fluid_synth_t *synth, DWORD status, int data1, int data2) {
    const int channel = static_cast<int>(status & 0x0F);
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90: // a velocity of 0 ends the note
        fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, data1);
        break;
    default: // 0xE0: pitch bend, least significant 7 bits first
        fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7);
        break;
    }
}

} // namespace

// The program opens the MIDI mapper, without callbacks, into a handle of its own.
MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
    *phmo = nullptr;
    if (output.open != nullptr) {
        return MMSYSERR_ALLOCATED;
    }
    if (!startSynthesizer()) {
        return MMSYSERR_NODRIVER;
    }
    output.open = reinterpret_cast<HMIDIOUT>(++output.lastSerial);
    output.runningStatus = 0;
    *phmo = output.open;
    return MMSYSERR_NOERROR;
}

// The message is status | data1 << 8 | data2 << 16; the top byte is not sent. A low byte below
// 0x80 continues the last channel status (running status): it is then the first data byte and the
// next byte the second. System messages are not played; a system common message ends running
// status, a real-time one leaves it.
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg) {
    if (!isOpen(hmo)) {
        return MMSYSERR_INVALHANDLE;
    }
    DWORD status = dwMsg & 0xFF;
    DWORD data = dwMsg >> 8;
    if (status < 0x80) {
        if (output.runningStatus == 0) {
            return MMSYSERR_NOERROR; // nothing to continue
        }
        data = dwMsg;
        status = output.runningStatus;
    } else if (status >= 0xF0) {
        if (status < 0xF8) {
            output.runningStatus = 0;
        }
        return MMSYSERR_NOERROR;
    } else {
        output.runningStatus = status;
    }
    // The soundfont loads with the first message played.
    fluid_synth_t *synth = playingSynthesizer();
    if (synth == nullptr) {
        return MMSYSERR_NOMEM;
    }
    const int data1 = static_cast<int>(data & 0x7F);
    const int data2 = static_cast<int>(data >> 8 & 0x7F);
    playChannelMessage(synth, status, data1, data2);
    // The audio stream runs while notes sound: a note starts it, silence ends it.
    if ((status & 0xF0) == 0x90 && data2 != 0) {
        soundNote();
    }
    return MMSYSERR_NOERROR;
}

// Closing returns the synthesizer to its start state (programs, controllers, reverb and chorus),
// as a device opened afresh would be, and silences every note at once. The reset alone would let
// the notes ring out, and it must come first: after it the notes are cut, before it they would
// be released again.
MMRESULT midiOutClose(HMIDIOUT hmo) {
    if (!isOpen(hmo)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (fluid_synth_t *synth = loadedSynthesizer()) {
        fluid_synth_system_reset(synth);
        fluid_synth_all_sounds_off(synth, -1);
    }
    output.open = nullptr;
    return MMSYSERR_NOERROR;
}
