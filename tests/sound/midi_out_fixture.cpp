#include "midi_out_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void MidiOutTest::SetUp() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv(NIMBROST_SOUNDFONT_VARIABLE);
}

void MidiOutTest::TearDown() {
    if (out != nullptr) {
        midiOutClose(out);
    }
    stopSynthesizer();
}

void MidiOutTest::open() {
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    ASSERT_NE(nullptr, out);
    SDL_PauseAudioDevice(synthesizerAudioDevice(), 1);
}

void MidiOutTest::reopen() {
    if (out != nullptr) {
        EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(out));
        out = nullptr;
    }
    open();
}

std::set<Note> notesOn() {
    fluid_voice_t *voices[256] = {};
    fluid_synth_get_voicelist(playingSynthesizer(), voices, 256, -1);
    std::set<Note> notes;
    for (fluid_voice_t *voice : voices) {
        if (voice != nullptr && fluid_voice_is_on(voice)) {
            notes.emplace(fluid_voice_get_channel(voice), fluid_voice_get_key(voice),
                          fluid_voice_get_velocity(voice));
        }
    }
    return notes;
}

int controller(int channel, int number) {
    int value = -1;
    fluid_synth_get_cc(playingSynthesizer(), channel, number, &value);
    return value;
}

int program(int channel) {
    int soundFont = -1, bank = -1, preset = -1;
    fluid_synth_get_program(playingSynthesizer(), channel, &soundFont, &bank, &preset);
    return preset;
}

int pitchBend(int channel) {
    int value = -1;
    fluid_synth_get_pitch_bend(playingSynthesizer(), channel, &value);
    return value;
}

float renderPeak(double seconds) {
    static float buffer[2 * 4096];
    float peak = 0.0f;
    for (int left = static_cast<int>(seconds * 44100); left > 0; left -= 4096) {
        const int frames = std::min(left, 4096);
        fluid_synth_write_float(playingSynthesizer(), frames, buffer, 0, 2, buffer, 1, 2);
        for (int i = 0; i < 2 * frames; ++i) {
            peak = std::max(peak, std::fabs(buffer[i]));
        }
    }
    return peak;
}
