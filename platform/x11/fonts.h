// The glyph lists of wglUseFontBitmapsA (gdi_fonts.cpp), beyond the Win32 calls.
#pragma once

#include "platform/win32.h"

namespace platform {

// Starts reading fontconfig's configuration and font list on a thread of its own, once at the
// start: it takes longer than anything else the glyph lists need, and nothing else waits for it.
// wglUseFontBitmapsA waits for it to end, finishFonts too. Where no thread can start, the reading
// waits for the glyph lists, said once on stderr.
void prepareFonts();
void finishFonts();

// The glyph lists of wglUseFontBitmapsA for a font object, compiled into whatever OpenGL context
// is current (the headless tools have no device context). False for a handle that is no font.
bool compileGlyphLists(HGDIOBJ font, DWORD first, DWORD count, DWORD listBase);

} // namespace platform
