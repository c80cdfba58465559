#include <SDL.h>

#include "platform/win32.h"

// Milliseconds since SDL's start, wrapping at 2^32 as the Windows counter does.
DWORD GetTickCount(void) {
    return static_cast<DWORD>(SDL_GetTicks64());
}
