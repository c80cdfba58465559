// The message queue (messages.cpp), beyond the Win32 calls.
#pragma once

#include <csignal>

namespace platform {

// Set by SIGINT and SIGTERM; the queue clears it once WM_CLOSE is posted to every window.
extern volatile std::sig_atomic_t closeRequested;

} // namespace platform
