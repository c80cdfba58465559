// Fuzz target: MIDI short messages into the Linux MIDI output and its synthesizer (the General
// MIDI soundfont, SDL's dummy audio driver). The input is read in records of five bytes: a control
// byte, whose top bit closes and re-opens the output first, then the message, low byte first.
// Checks: every message on the open handle is taken, the closed handle is refused, and the close
// brings every channel back to its start (that it cuts every note is the sound test's).
#include <cstdint>
#include <cstdlib>

#include "platform/x11/synthesizer.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

HMIDIOUT openOutput() {
    HMIDIOUT out = nullptr;
    const MMRESULT result = midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
    FUZZ_CHECK(result == MMSYSERR_NOERROR, "the output does not open (%u)", result);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // The synthesizer lives from one input to the next; its threads stop before the process ends.
    std::atexit(stopSynthesizer);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    HMIDIOUT out = openOutput();
    for (std::size_t at = 0; at + 5 <= size; at += 5) {
        if (data[at] & 0x80) {
            FUZZ_CHECK(midiOutClose(out) == MMSYSERR_NOERROR, "the close fails");
            const HMIDIOUT closed = out;
            out = openOutput();
            FUZZ_CHECK(midiOutShortMsg(closed, 0x00403C90) == MMSYSERR_INVALHANDLE,
                       "a closed handle plays");
        }
        const DWORD message = static_cast<DWORD>(data[at + 1]) | data[at + 2] << 8 |
                              data[at + 3] << 16 | static_cast<DWORD>(data[at + 4]) << 24;
        const MMRESULT result = midiOutShortMsg(out, message);
        FUZZ_CHECK(result == MMSYSERR_NOERROR, "message 0x%08x gives %u", message, result);
    }
    fluid_synth_t *synth = playingSynthesizer();
    FUZZ_CHECK(synth != nullptr, "no synthesizer");
    FUZZ_CHECK(midiOutClose(out) == MMSYSERR_NOERROR, "the close fails");
    for (int channel = 0; channel < 16; ++channel) {
        int bend = -1, volume = -1, program = -1, soundFont = 0, bank = 0;
        fluid_synth_get_pitch_bend(synth, channel, &bend);
        fluid_synth_get_cc(synth, channel, 7, &volume);
        fluid_synth_get_program(synth, channel, &soundFont, &bank, &program);
        FUZZ_CHECK(bend == 8192 && volume == 100 && program == 0,
                   "after the close, channel %d: bend %d, volume %d, program %d", channel, bend,
                   volume, program);
    }
    return 0;
}
