// The MIDI output over the real synthesizer, on SDL's dummy audio driver: what FluidSynth made of
// the messages is read back from its state or from the sound it renders. That a closed handle is
// refused and a close returns every channel to its start is the MIDI fuzz target's check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

#include "platform/x11/synthesizer.h"
#include "platform/win32.h"
#include "tools/bench/allocation_count.h"

namespace {

const DWORD note = 0x00643C90; // key 60, velocity 100 on channel 1
// Program 16 of General MIDI, a drawbar organ, holds a steady level for as long as the key is down.
const DWORD organ = 0x000010C0;

// (channel, key, velocity) of every note that sounds and has not been released.
using Note = std::tuple<int, int, int>;
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

// Renders `seconds` of the synthesizer's output on the test's thread; returns the largest sample
// magnitude of either side.
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

HMIDIOUT out = nullptr;
void send(DWORD message) {
    EXPECT_EQ(MMSYSERR_NOERROR, midiOutShortMsg(out, message));
}

// A note starts the audio stream, which runs until the silence limit after the last sound; a close
// cuts the notes, and reopening keeps the synthesizer and its stream but not the running status.
// Then the decoding of short messages, and sending without allocating.
TEST(MidiOut, SoundsFromTheFirstNoteToTheCloseAndDecodesShortMessagesWithoutAllocating) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv(NIMBROST_SOUNDFONT_VARIABLE);
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    HMIDIOUT refused = out;
    EXPECT_EQ(MMSYSERR_ALLOCATED, midiOutOpen(&refused, 0, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, refused) << "one client at a time";
    fluid_synth_t *synth = playingSynthesizer();
    EXPECT_LT(renderPeak(0.1), 1e-6f);
    send(organ);
    send(0x00003C90); // a velocity of 0 ends a note that is not there
    EXPECT_EQ(0u, synthesizerAudioDevice()) << "no stream before a note";
    const Uint32 noted = SDL_GetTicks();
    send(note);
    // SDL's audio thread, which the note started, stops rendering: the sound changes only here.
    const SDL_AudioDeviceID device = synthesizerAudioDevice();
    ASSERT_NE(0u, device);
    SDL_PauseAudioDevice(device, 1);
    EXPECT_GT(renderPeak(0.5), 0.01f);
    EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(out));
    renderPeak(64 / 44100.0); // the block in which the note is cut
    // The reverb of the last few milliseconds before the close rings on below this.
    EXPECT_LT(renderPeak(0.5), 5e-4f);

    EXPECT_EQ(MMSYSERR_NOERROR, midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(std::make_tuple(synth, device, 1),
              std::make_tuple(playingSynthesizer(), synthesizerAudioDevice(),
                              fluid_synth_sfcount(synth)));
    send(0x0000643C); // running status does not outlive the handle
    EXPECT_EQ(std::set<Note>{}, notesOn());
    // The paused stream has sounded nothing since the note.
    while (synthesizerAudioDevice() != 0 && SDL_GetTicks() - noted < 10000) {
        SDL_Delay(20);
    }
    EXPECT_EQ(0u, synthesizerAudioDevice()) << "the stream ends after the silence";
    EXPECT_GE(SDL_GetTicks() - noted, synthesizerSilenceLimit);
    send(note);
    EXPECT_NE(0u, synthesizerAudioDevice()) << "the next note starts it again";
    midiOutClose(out);
    midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL);

    // Each message, then the program (controller -1), a controller or the pitch bend (-2) of a
    // channel that it leaves. Data bytes keep their low 7 bits (0xA8 is 40, volume 0x90 is 0x10);
    // the bend comes least significant bits first; program change takes one data byte, and so does
    // its running status; a real-time message leaves running status; system messages are not
    // played, a common one ends running status; a system reset would restore the defaults.
    const std::tuple<DWORD, int, int, int> steps[] = {
        {0x0000A8C3, 3, -1, 40},     {0x009007B1, 1, 7, 0x10},  {0x004001E2, 2, -2, 0x2001},
        {0x000005C4, 4, -1, 5},      {0x00007F14, 4, -1, 0x14}, {0x003207B2, 2, 7, 50},
        {0x00001E07, 2, 7, 30},      {0x000000F8, 2, 7, 30},    {0x00002807, 2, 7, 40},
        {0x001234F2, 2, -2, 0x2001}, {0x00003307, 2, 7, 40},    {0x000000FF, 3, -1, 40}};
    for (const auto &[message, channel, controller, expected] : steps) {
        send(message);
        int value = -1, soundFont = 0, bank = 0;
        if (controller == -1) {
            fluid_synth_get_program(synth, channel, &soundFont, &bank, &value);
        } else if (controller == -2) {
            fluid_synth_get_pitch_bend(synth, channel, &value);
        } else {
            fluid_synth_get_cc(synth, channel, controller, &value);
        }
        EXPECT_EQ(expected, value) << std::hex << "after 0x" << message;
    }
    send(0x0000643C); // no status since the open: dropped
    send(0xFF643C90); // the top byte is not sent
    send(0x00005040); // running status: key 0x40, velocity 0x50
    send(0x00FF7043); // key 0x43, velocity 0x70; the third byte is not part of it
    send(0x00FFBC95); // key 0xBC is 60, velocity 0xFF is 127
    send(0x00404080); // note off
    EXPECT_EQ((std::set<Note>{Note(0, 60, 100), Note(0, 67, 112), Note(5, 60, 127)}), notesOn());
    // The calling thread's heap allocations (not counted under AddressSanitizer): the one made
    // here, which shows that the counter counts, and none for the messages.
    startCountingAllocations(false);
    static void *volatile kept;
    kept = std::malloc(16);
    std::free(kept);
    DWORD message = 0;
    for (int frame = 0; frame < 5000; ++frame) {
        midiOutShortMsg(out, message);
        message = message * 1664525u + 1013904223u; // every kind of message, running status too
    }
    const AllocationCount counted = stopCountingAllocations();
    EXPECT_EQ(allocationsCounted ? 1 : 0, counted.own + counted.other);
    midiOutClose(out);
    stopSynthesizer();
}

} // namespace
