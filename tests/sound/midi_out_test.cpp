// The MIDI output's handles and the decoding of short messages, read back from the synthesizer.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "allocation_counter.h"
#include "midi_out_fixture.h"

namespace {

HMIDIOUT garbageHandle() {
    return reinterpret_cast<HMIDIOUT>(static_cast<std::uintptr_t>(0x5A5A));
}

TEST_F(MidiOutTest, OpensTheSynthesizerAsMapperAndAsDeviceZeroForOneClient) {
    HMIDIOUT other = garbageHandle();
    EXPECT_EQ(MMSYSERR_BADDEVICEID, midiOutOpen(&other, 1, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, other);
    other = garbageHandle();
    EXPECT_EQ(MMSYSERR_INVALFLAG, midiOutOpen(&other, MIDI_MAPPER, 0, 0, 0x00030000)); // function
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(MMSYSERR_INVALPARAM, midiOutOpen(nullptr, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    // Refusals load nothing and open no audio device.
    EXPECT_EQ(nullptr, playingSynthesizer());

    ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&out, 0, 0, 0, CALLBACK_NULL));
    EXPECT_NE(nullptr, out);
    EXPECT_NE(nullptr, playingSynthesizer());
    other = garbageHandle();
    EXPECT_EQ(MMSYSERR_ALLOCATED, midiOutOpen(&other, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, other);

    reopen();
    EXPECT_NE(nullptr, out);
}

TEST_F(MidiOutTest, RefusesNullClosedAndStaleHandles) {
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutShortMsg(nullptr, 0x00643C90));
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutClose(nullptr));
    open();
    const HMIDIOUT first = out;
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutShortMsg(garbageHandle(), 0x00643C90));
    EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(first));
    out = nullptr;
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutShortMsg(first, 0x00643C90));
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutClose(first));

    open();
    EXPECT_NE(first, out);
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutShortMsg(first, 0x00643C90));
    EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutClose(first));
    EXPECT_EQ(std::set<Note>{}, notesOn());
    send(0x00643C90);
    EXPECT_EQ(std::set<Note>{Note(0, 60, 100)}, notesOn());
}

TEST_F(MidiOutTest, ReopeningKeepsSoundFontAndAudioDeviceAndStartsAfresh) {
    open();
    fluid_synth_t *synth = playingSynthesizer();
    const SDL_AudioDeviceID device = synthesizerAudioDevice();
    ASSERT_EQ(1, fluid_synth_sfcount(synth));
    const int soundFont = fluid_sfont_get_id(fluid_synth_get_sfont(synth, 0));
    send(0x000028C0); // program 40 on channel 1
    send(0x001407B0); // volume 20
    send(0x000010E0); // pitch bend
    send(0x00643C90); // a note

    reopen();
    EXPECT_EQ(synth, playingSynthesizer());
    EXPECT_EQ(device, synthesizerAudioDevice());
    EXPECT_EQ(1, fluid_synth_sfcount(synth));
    EXPECT_EQ(soundFont, fluid_sfont_get_id(fluid_synth_get_sfont(synth, 0)));
    EXPECT_EQ(0, program(0));
    EXPECT_EQ(100, controller(0, 7));
    EXPECT_EQ(8192, pitchBend(0));
    EXPECT_EQ(std::set<Note>{}, notesOn());
}

TEST_F(MidiOutTest, StaysClosedWithoutSoundFontAndTriesAgainLater) {
    setenv(NIMBROST_SOUNDFONT_VARIABLE, "/nonexistent/none.sf2", 1);
    HMIDIOUT refused = garbageHandle();
    EXPECT_EQ(MMSYSERR_NODRIVER, midiOutOpen(&refused, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ(nullptr, playingSynthesizer());
    EXPECT_EQ(0u, synthesizerAudioDevice());

    const std::string notASoundFont = testing::TempDir() + "not-a-soundfont.sf2";
    std::FILE *file = std::fopen(notASoundFont.c_str(), "w");
    ASSERT_NE(nullptr, file);
    std::fputs("RIFF but not a soundfont\n", file);
    std::fclose(file);
    setenv(NIMBROST_SOUNDFONT_VARIABLE, notASoundFont.c_str(), 1);
    refused = garbageHandle();
    EXPECT_EQ(MMSYSERR_NODRIVER, midiOutOpen(&refused, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, refused);
    std::remove(notASoundFont.c_str());

    unsetenv(NIMBROST_SOUNDFONT_VARIABLE);
    open();
}

TEST_F(MidiOutTest, StaysClosedWithoutAudioDeviceAndTriesAgainLater) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    HMIDIOUT refused = garbageHandle();
    EXPECT_EQ(MMSYSERR_NODRIVER, midiOutOpen(&refused, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ(nullptr, playingSynthesizer());

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    open();
}

TEST_F(MidiOutTest, PlaysChannelMessagesWithSevenBitData) {
    open();
    send(0x0000A8C3); // program change, channel 4: 0xA8 is 40 in 7 bits
    EXPECT_EQ(40, program(3));
    EXPECT_EQ(0, program(0));
    send(0x009007B1); // control change, channel 2: volume 0x90 is 0x10
    EXPECT_EQ(0x10, controller(1, 7));
    send(0x004001E2); // pitch bend, channel 3: least significant bits first
    EXPECT_EQ(0x2001, pitchBend(2));
    send(0x00FFFFE5); // 0xFF, 0xFF: 0x3FFF
    EXPECT_EQ(0x3FFF, pitchBend(5));

    send(0xFF643C90); // the top byte is not sent
    send(0x00FFBC95); // key 0xBC is 60, velocity 0xFF is 127
    EXPECT_EQ((std::set<Note>{Note(0, 60, 100), Note(5, 60, 127)}), notesOn());
    send(0x00403C80); // note off
    EXPECT_EQ(std::set<Note>{Note(5, 60, 127)}, notesOn());
    send(0x00003C95); // note on with velocity 0 ends the note
    EXPECT_EQ(std::set<Note>{}, notesOn());
}

TEST_F(MidiOutTest, ReadsLowStatusBytesAsRunningStatus) {
    open();
    send(0x0000643C); // no status since the open: dropped
    EXPECT_EQ(std::set<Note>{}, notesOn());
    EXPECT_EQ(0, controller(0, 0x3C));

    send(0x00643C90);
    send(0x00005040); // key 0x40, velocity 0x50
    send(0x00FF7043); // key 0x43, velocity 0x70; the third byte is not part of it
    EXPECT_EQ((std::set<Note>{Note(0, 60, 100), Note(0, 64, 80), Note(0, 67, 112)}), notesOn());

    send(0x000000C4); // program change takes one data byte
    send(0x00007F14);
    EXPECT_EQ(0x14, program(4));

    send(0x003207B2); // volume 50 on channel 3
    send(0x00001E07); // 30
    EXPECT_EQ(30, controller(2, 7));
    send(0x000000F8); // a real-time message leaves running status as it was
    send(0x00002807); // 40
    EXPECT_EQ(40, controller(2, 7));
    send(0x000000F6); // a system common message ends it
    send(0x00003307); // dropped
    EXPECT_EQ(40, controller(2, 7));

    send(0x00643C91);
    reopen(); // running status does not outlive the handle
    send(0x0000643C);
    EXPECT_EQ(std::set<Note>{}, notesOn());
}

TEST_F(MidiOutTest, IgnoresSystemMessages) {
    open();
    send(0x000005C0);
    send(0x001407B0);
    send(0x00643C90);
    for (DWORD message : {0xFFu, 0x7EF0u, 0x001234F2u, 0xF7u, 0xFEu}) {
        send(message);
    }
    // A system reset (0xFF) would have restored the defaults and ended the note.
    EXPECT_EQ(5, program(0));
    for (int channel = 0; channel < 16; ++channel) {
        EXPECT_EQ(8192, pitchBend(channel)) << channel;
    }
    EXPECT_EQ(20, controller(0, 7));
    EXPECT_EQ(std::set<Note>{Note(0, 60, 100)}, notesOn());
}

TEST_F(MidiOutTest, SendsWithoutAllocating) {
    if (!allocationsAreCounted()) {
        GTEST_SKIP() << "the sanitizers count allocations their own way";
    }
    open();
    long before = allocationsOnThisThread();
    static void *volatile kept;
    kept = std::malloc(16); // the counter counts
    std::free(kept);
    ASSERT_EQ(before + 1, allocationsOnThisThread());

    DWORD message = 0;
    before = allocationsOnThisThread();
    for (int frame = 0; frame < 5000; ++frame) {
        midiOutShortMsg(out, message);
        message = message * 1664525u + 1013904223u; // every kind of message, running status too
    }
    EXPECT_EQ(before, allocationsOnThisThread());
}

} // namespace
