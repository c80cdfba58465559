// GetTickCount on Linux: milliseconds of the monotonic clock, which runs from the system's start
// as the Windows counter does, wrapping at 2^32.
#include <chrono>

#include "platform/win32.h"

DWORD GetTickCount(void) {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}
