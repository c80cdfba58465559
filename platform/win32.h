// The one header through which the program reaches Win32, WGL, WINMM, OpenGL and GLU.
//
// On Windows it includes the system headers. Elsewhere it declares the small subset of those
// APIs that the program calls, with the same names, types and values; platform/sdl implements
// them (and the tests link a recording double in their place).
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>
#include <GL/gl.h>
#include <GL/glu.h>

#else

#include <cstdint>

#include <GL/gl.h>
#include <GL/glu.h>

typedef std::uint32_t DWORD;
typedef unsigned int UINT;
typedef int BOOL;
typedef std::uintptr_t DWORD_PTR;
typedef UINT MMRESULT;

#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

struct HWND__;
typedef HWND__ *HWND;

struct HMIDIOUT__;
typedef HMIDIOUT__ *HMIDIOUT;
typedef HMIDIOUT *LPHMIDIOUT;

#define MIDI_MAPPER ((UINT)-1)
#define CALLBACK_NULL 0x00000000L

#define MMSYSERR_BASE 0
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR (MMSYSERR_BASE + 1)
#define MMSYSERR_BADDEVICEID (MMSYSERR_BASE + 2)
#define MMSYSERR_NOTENABLED (MMSYSERR_BASE + 3)
#define MMSYSERR_ALLOCATED (MMSYSERR_BASE + 4)
#define MMSYSERR_INVALHANDLE (MMSYSERR_BASE + 5)
#define MMSYSERR_NODRIVER (MMSYSERR_BASE + 6)
#define MMSYSERR_NOMEM (MMSYSERR_BASE + 7)
#define MMSYSERR_NOTSUPPORTED (MMSYSERR_BASE + 8)
#define MMSYSERR_INVALFLAG (MMSYSERR_BASE + 10)
#define MMSYSERR_INVALPARAM (MMSYSERR_BASE + 11)

extern "C" {

// Milliseconds since an arbitrary start; wraps at 2^32 like the Windows counter.
DWORD GetTickCount(void);

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen);
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg);
MMRESULT midiOutClose(HMIDIOUT hmo);

} // extern "C"

#endif
