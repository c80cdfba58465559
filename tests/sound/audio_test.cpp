// The sound the synthesizer makes of the messages: rendered on the test's thread, and written by
// SDL's disk audio driver to a file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "midi_out_fixture.h"

namespace {

// Program 16 of General MIDI, a drawbar organ, holds a steady level for as long as the key is down.
const DWORD organOnChannel1 = 0x000010C0;
const DWORD organNote = 0x00643C90; // key 60, velocity 100
const float audible = 0.01f;
// The reverb of the last few milliseconds before a close rings on below this, for about a second.
const float silent = 5e-4f;

TEST_F(MidiOutTest, NoteSoundsUntilTheClose) {
    open();
    EXPECT_LT(renderPeak(0.1), 1e-6f);
    send(organOnChannel1);
    send(organNote);
    const float sounding = renderPeak(0.5);
    EXPECT_GT(sounding, audible);

    EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(out));
    out = nullptr;
    renderPeak(64 / 44100.0); // the block in which the note is cut
    EXPECT_LT(renderPeak(0.5), silent);

    open(); // a fresh open plays nothing by itself
    EXPECT_LT(renderPeak(0.2), silent);
}

// Pressure is no sound of its own: a modulator that turns key and channel pressure into
// attenuation, added for the test, makes it heard.
void attenuateUnderPressure(fluid_synth_t *synth) {
    fluid_mod_t *modulator = new_fluid_mod();
    for (int source : {FLUID_MOD_KEYPRESSURE, FLUID_MOD_CHANNELPRESSURE}) {
        fluid_mod_set_source1(modulator, source,
                              FLUID_MOD_GC | FLUID_MOD_LINEAR | FLUID_MOD_UNIPOLAR |
                                  FLUID_MOD_POSITIVE);
        fluid_mod_set_source2(modulator, FLUID_MOD_NONE, 0);
        fluid_mod_set_dest(modulator, GEN_ATTENUATION);
        fluid_mod_set_amount(modulator, 400); // centibels at full pressure
        fluid_synth_add_default_mod(synth, modulator, FLUID_SYNTH_ADD);
    }
    delete_fluid_mod(modulator);
    // Without reverb and chorus the level follows the note alone.
    fluid_synth_reverb_on(synth, -1, 0);
    fluid_synth_chorus_on(synth, -1, 0);
}

// The level after the last message has settled.
float steadyLevel() {
    renderPeak(0.05);
    return renderPeak(0.1);
}

TEST_F(MidiOutTest, PressureReachesItsKeyAndItsChannel) {
    open();
    attenuateUnderPressure(playingSynthesizer());
    send(organOnChannel1);
    send(organNote);
    const float level = steadyLevel();
    ASSERT_GT(level, audible);

    send(0x007F3DA0); // another key
    EXPECT_GT(steadyLevel(), level * 0.7f);
    send(0x007F3CA0); // this key
    EXPECT_LT(steadyLevel(), level * 0.03f);
    send(0x00003CA0);
    EXPECT_GT(steadyLevel(), level * 0.7f);

    send(0x00007FD1); // another channel
    EXPECT_GT(steadyLevel(), level * 0.7f);
    send(0x00007FD0); // this channel
    EXPECT_LT(steadyLevel(), level * 0.03f);
    send(0x00000000); // running status: channel pressure 0
    EXPECT_GT(steadyLevel(), level * 0.7f);
    send(0x0000007F); // and 127
    EXPECT_LT(steadyLevel(), level * 0.03f);
}

// The audio written by SDL's disk driver: interleaved stereo floats at 44.1 kHz.
struct AudioFile {
    std::string path;

    long frames() const {
        std::FILE *file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            return 0;
        }
        std::fseek(file, 0, SEEK_END);
        const long bytes = std::ftell(file);
        std::fclose(file);
        return bytes / static_cast<long>(2 * sizeof(float));
    }

    // Waits until the file holds `frames` frames; false after 10 s without.
    bool waitFor(long frames) const {
        for (int wait = 0; wait < 1000 && this->frames() < frames; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return this->frames() >= frames;
    }

    float peak(long firstFrame, long endFrame) const {
        std::vector<float> samples(static_cast<size_t>(2 * (endFrame - firstFrame)));
        std::FILE *file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            return -1.0f;
        }
        std::fseek(file, firstFrame * static_cast<long>(2 * sizeof(float)), SEEK_SET);
        const size_t read = std::fread(samples.data(), sizeof(float), samples.size(), file);
        std::fclose(file);
        float peak = 0.0f;
        for (size_t i = 0; i < read; ++i) {
            peak = std::max(peak, std::fabs(samples[i]));
        }
        return read == samples.size() ? peak : -1.0f;
    }
};

TEST_F(MidiOutTest, PlaysThroughTheAudioDevice) {
    const AudioFile audio{testing::TempDir() + "nimbrost-midi-out.raw"};
    std::remove(audio.path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audio.path.c_str(), 1);
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL));

    const long tenthOfASecond = 4410;
    ASSERT_TRUE(audio.waitFor(tenthOfASecond));
    const long noteFrom = audio.frames();
    EXPECT_LT(audio.peak(0, noteFrom), 1e-6f);
    send(organOnChannel1);
    send(organNote);
    ASSERT_TRUE(audio.waitFor(noteFrom + 5 * tenthOfASecond));
    EXPECT_GT(audio.peak(noteFrom, noteFrom + 5 * tenthOfASecond), audible);

    EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(out));
    out = nullptr;
    // What the driver had in hand at the close may still be written; the rest is silence.
    const long silentFrom = audio.frames() + tenthOfASecond;
    ASSERT_TRUE(audio.waitFor(silentFrom + 3 * tenthOfASecond));
    EXPECT_LT(audio.peak(silentFrom, silentFrom + 3 * tenthOfASecond), silent);
    stopSynthesizer();
    std::remove(audio.path.c_str());
}

} // namespace
