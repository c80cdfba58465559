// A fixture for the MIDI output over the real synthesizer: each test starts it afresh on SDL's
// dummy audio driver and reads back what FluidSynth made of the messages.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "platform/sdl/synthesizer.h"
#include "platform/win32.h"

class MidiOutTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the output on the MIDI mapper and stops SDL's audio thread from rendering, so that the
    // synthesizer's state and sound change only through the test.
    void open();
    // Closes the output (if open) and opens it again.
    void reopen();
    void send(DWORD message) { EXPECT_EQ(MMSYSERR_NOERROR, midiOutShortMsg(out, message)); }

    HMIDIOUT out = nullptr;
};

// (channel, key, velocity) of every note that sounds and has not been released.
using Note = std::tuple<int, int, int>;
std::set<Note> notesOn();
int controller(int channel, int number);
int program(int channel);
int pitchBend(int channel);

// Renders `seconds` of the synthesizer's output on the test's thread; returns the largest sample
// magnitude of either side.
float renderPeak(double seconds);
