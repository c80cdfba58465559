// SIGINT and SIGTERM, the signals that ask the program to close: caught by a handler, with
// interrupted calls restarted. Header-only, for the executable that needs the C library alone as
// for the message queue.
#pragma once

#include <csignal>
#include <cstring>

inline void catchCloseSignals(void (*handler)(int)) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
