#include "tests/support/recording_platform.h"

#include <cstdint>
#include <cstdio>
#include <set>

namespace recording {

std::vector<std::string> calls;
DWORD tickCount = 0;
bool midiAvailable = true;

namespace {
std::uintptr_t nextHandle = 1;
std::set<std::uintptr_t> openHandles;

std::string format(const char *pattern, unsigned long long a = 0, unsigned long long b = 0,
                   unsigned long long c = 0, unsigned long long d = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}
} // namespace

void clear() {
    calls.clear();
    tickCount = 0;
    midiAvailable = true;
    nextHandle = 1;
    openHandles.clear();
    clearWindows();
}

std::vector<std::string> callsStartingWith(const std::string &prefix) {
    std::vector<std::string> found;
    for (const std::string &call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

std::uintptr_t newHandle() {
    return nextHandle++;
}

int openMidiOutputs() {
    return static_cast<int>(openHandles.size());
}

} // namespace recording

using namespace recording;

DWORD GetTickCount(void) {
    calls.push_back("GetTickCount");
    return tickCount;
}

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen) {
    if (!midiAvailable) {
        calls.push_back(format("midiOutOpen(%llu, %llu, %llu, %llu) failed", uDeviceID, dwCallback,
                               dwInstance, fdwOpen));
        *phmo = nullptr;
        return MMSYSERR_NODRIVER;
    }
    const std::uintptr_t handle = newHandle();
    openHandles.insert(handle);
    *phmo = reinterpret_cast<HMIDIOUT>(handle);
    calls.push_back(
        format("midiOutOpen(%llu, %llu, %llu, %llu)", uDeviceID, dwCallback, dwInstance, fdwOpen) +
        format(" -> #%llu", handle));
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg) {
    const auto handle = reinterpret_cast<std::uintptr_t>(hmo);
    calls.push_back(format("midiOutShortMsg(#%llu, 0x%08llx)", handle, dwMsg));
    return openHandles.count(handle) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT midiOutClose(HMIDIOUT hmo) {
    const auto handle = reinterpret_cast<std::uintptr_t>(hmo);
    calls.push_back(format("midiOutClose(#%llu)", handle));
    return openHandles.erase(handle) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}
