// What the MIDI output costs: the first open (audio device) and note (soundfont), a close and
// re-open, one short message, the synthesizer's audio thread, and the memory the soundfont takes.
// Uses SDL's dummy audio driver unless SDL_AUDIODRIVER names another.
#include "tools/bench/midi_figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <thread>
#include <vector>

#include "platform/x11/synthesizer.h"
#include "platform/win32.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Resident memory of the process in KiB, from /proc.
long residentKiB() {
    std::FILE *status = std::fopen("/proc/self/status", "r");
    long kib = -1;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
        }
    }
    if (status != nullptr) {
        std::fclose(status);
    }
    return kib;
}

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Messages as the sounding effects make them: each frame adds 80 small whole numbers to the last
// message, so every kind of status byte, and running status, turns up.
struct WanderingMessage {
    DWORD message = 0;
    DWORD seed = 1;
    DWORD next() {
        for (int square = 0; square < 80; ++square) {
            seed = seed * 214013u + 2531011u;
            message += static_cast<DWORD>(static_cast<int>(seed >> 16 & 0x7F) - 63);
        }
        return message;
    }
};

// FluidSynth's warnings while the benchmark runs: each one is an event the synthesizer dropped
// because its queue to the audio thread was full.
int droppedEvents = 0;

void countWarning(int, const char *, void *) {
    droppedEvents += 1;
}

struct StreamFigures {
    double medianNanoseconds;
    double slowestPercentNanoseconds; // the 99th percentile
    double audioThreadLoad;           // share of one core
    int dropped;
};

// Sends `perSecond` messages a second for `seconds`, one at a time, with the messages `messageAt`
// gives, and times each call and the audio thread's processor time. It waits busily between calls,
// as the frame loop keeps the processor busy between its frames.
template <typename MessageAt>
StreamFigures sendPaced(HMIDIOUT out, int perSecond, double seconds, MessageAt messageAt) {
    std::vector<double> calls;
    droppedEvents = 0;
    const double processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double threadStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const Clock::time_point start = Clock::now();
    const auto period = std::chrono::nanoseconds(1000000000 / perSecond);
    Clock::time_point due = start;
    for (int i = 0; secondsSince(start) < seconds; ++i) {
        const DWORD message = messageAt(i);
        const Clock::time_point before = Clock::now();
        midiOutShortMsg(out, message);
        calls.push_back(secondsSince(before));
        due += period;
        while (Clock::now() < due) {
        }
    }
    const double wall = secondsSince(start);
    const double otherThreads = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart) -
                                (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart);
    std::sort(calls.begin(), calls.end());
    return {calls[calls.size() / 2] * 1e9, calls[calls.size() * 99 / 100] * 1e9,
            otherThreads / wall, droppedEvents};
}

void printStream(const char *name, int perSecond, const StreamFigures &figures) {
    std::printf("  %-24s %5d/s: median %6.0f ns, 99%% under %6.0f ns; audio thread %4.1f %% of "
                "a core; %d events dropped\n",
                name, perSecond, figures.medianNanoseconds, figures.slowestPercentNanoseconds,
                100 * figures.audioThreadLoad, figures.dropped);
}

} // namespace

int midiRun(bool quick) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::printf("audio driver: %s\n", std::getenv("SDL_AUDIODRIVER"));

    const long residentBefore = residentKiB();
    HMIDIOUT out = nullptr;
    Clock::time_point start = Clock::now();
    const MMRESULT opened = midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
    const double firstOpen = secondsSince(start);
    if (opened != MMSYSERR_NOERROR) {
        std::printf("midiOutOpen failed with %u: no soundfont or no audio device\n", opened);
        stopSynthesizer();
        return 1;
    }
    start = Clock::now();
    midiOutShortMsg(out, 0x00643C90u); // the first note loads the soundfont
    const double firstNote = secondsSince(start);
    const long residentAfter = residentKiB();
    std::printf("first open: %.2f ms (audio device); first note: %.2f ms (soundfont)\n",
                firstOpen * 1e3, firstNote * 1e3);
    std::printf("resident memory: %ld KiB before, %ld KiB after the first note (+%ld KiB)\n",
                residentBefore, residentAfter, residentAfter - residentBefore);

    const int reopenCount = quick ? 100 : 1000;
    std::vector<double> reopen;
    for (int i = 0; i < reopenCount; ++i) {
        midiOutShortMsg(out, 0x00643C90u); // a note to silence
        start = Clock::now();
        midiOutClose(out);
        midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
        reopen.push_back(secondsSince(start));
        // Resets come at the pace of key presses; let the audio thread keep up.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::sort(reopen.begin(), reopen.end());
    std::printf(
        "close and re-open (%d times): median %.1f us, 99th percentile %.1f us, max %.1f us\n",
        reopenCount, reopen[reopenCount / 2] * 1e6, reopen[reopenCount * 99 / 100] * 1e6,
        reopen.back() * 1e6);

    fluid_set_log_function(FLUID_WARN, countWarning, nullptr);
    const double seconds = quick ? 0.2 : 2.0;
    std::printf("midiOutShortMsg, one message at a time, %.1f s each (the output closed and "
                "re-opened in between):\n",
                seconds);
    for (int perSecond : {500, 2000, 5000}) {
        printStream("0 (dropped: no status)", perSecond,
                    sendPaced(out, perSecond, seconds, [](int) { return DWORD{0}; }));
        printStream("same note-on", perSecond,
                    sendPaced(out, perSecond, seconds, [](int) { return DWORD{0x00643C90u}; }));
        midiOutClose(out);
        midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
        printStream("volume change", perSecond, sendPaced(out, perSecond, seconds, [](int i) {
                        return 0xB0u | 7u << 8 | static_cast<DWORD>(i & 0x7F) << 16;
                    }));
        WanderingMessage stream;
        printStream("wandering, as effects", perSecond,
                    sendPaced(out, perSecond, seconds, [&stream](int) { return stream.next(); }));
        midiOutClose(out);
        midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
    }
    midiOutClose(out);
    stopSynthesizer();
    return 0;
}
