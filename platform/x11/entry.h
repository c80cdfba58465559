// The Linux program's entry, in two parts. The executable, `nimbrost` (main.cpp), needs nothing
// but the C library, so that it starts at once and catches SIGINT and SIGTERM before anything
// else; it then loads the program proper, libnimbrost_program.so (program_main.cpp), with the
// libraries it needs, and runs it.
#pragma once

#include <csignal>

// The shared library that holds the program, and where it is looked for, relative to the
// executable's folder: beside it in the build, in libexec/nimbrost once installed (a
// shared library under lib/ would make the Debian package call ldconfig for nothing).
#define NIMBROST_PROGRAM_LIBRARY "libnimbrost_program.so"
#define NIMBROST_PROGRAM_FOLDERS                                                                   \
    { ".", "../libexec/nimbrost" }
#define NIMBROST_PROGRAM_ENTRY "nimbrostProgramMain"

// Runs the program with a command-line tail; returns its exit code. `closeSignalled` is set by
// the executable's handlers for a close signal that came while the program was loading.
extern "C" int nimbrostProgramMain(char *tail, volatile std::sig_atomic_t *closeSignalled);
typedef int (*ProgramEntry)(char *tail, volatile std::sig_atomic_t *closeSignalled);

// The tail Windows hands to WinMain for these arguments: each argument as the Windows runtime
// quotes it (in double quotes when empty or when it holds a space or a tab; a double quote and
// the backslashes before it escaped with backslashes, as are the backslashes that end a quoted
// argument), joined by single spaces, without the blanks and control characters that lead it.
// The result is allocated with malloc.
char *makeCommandTail(int count, char *const *arguments);
